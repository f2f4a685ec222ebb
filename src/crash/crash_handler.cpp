#include "crash/crash_handler.hpp"

#include "crash/crash_report_format.hpp"
#include "crash/distribution.hpp"
#include "crash/module_map_reader.hpp"
#include "crash/signal_safe_writer.hpp"
#include "platform/alternate_signal_stack.hpp"
#include "platform/utc_time.hpp"

#include <cxxabi.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <exception>

namespace clicktrove::crash {

// Everything that runs inside a crash lives in this namespace (kHandlerNamespace), so that the event can tell the
// handler's own frames from the code that crashed.
namespace handler {
namespace {

// SIGTRAP and SIGSYS end a process too: GLib's fatal errors (g_error, a failed g_malloc) trap into a breakpoint
// and a system call that a seccomp filter refuses raises SIGSYS.
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};
// The stack saved for the walk at the next start: enough for the frames of a deep Qt event dispatch.
constexpr std::size_t kMaxStackBytes = 256 * 1024;
#if defined(__x86_64__)
// What a leaf function may keep below its stack pointer (the System V red zone).
constexpr std::uintptr_t kRedZone = 128;
#else
constexpr std::uintptr_t kRedZone = 0;
#endif

// Everything the handler reads is prepared here by install, so that the handler itself only copies and writes.
std::atomic<int> directoryFd{-1};
char release[128];
char dist[64];
char version[64];
char distributionName[128];
char distributionVersion[128];

// The first thread to crash writes the report; any other waits for the process to end.
std::atomic<pid_t> reportingThread{0};

// What the terminate handler learnt before it aborted, for the SIGABRT that follows on the same thread.
std::atomic<pid_t> terminatingThread{0};
bool terminateHadException = false;
char exceptionType[256];
char exceptionWhat[512];
std::terminate_handler previousTerminate = nullptr;

pid_t currentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

void copyText(char* out, std::size_t capacity, const char* text) {
    std::size_t i = 0;
    for (; text && text[i] && i + 1 < capacity; ++i) out[i] = text[i];
    out[i] = '\0';
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        case SIGTRAP:
            return "SIGTRAP";
        case SIGSYS:
            return "SIGSYS";
        default:
            return "?";
    }
}

// The crashing thread's registers as the unwinder numbers them (DWARF), with its program counter and stack pointer.
struct ThreadState {
    std::uint64_t registers[32] = {};
    std::size_t registerCount = 0;
    std::uintptr_t pc = 0;
    std::uintptr_t sp = 0;
};

ThreadState threadState(const void* context) {
    ThreadState state;
    if (!context) return state;
    const auto& machine = static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
    // DWARF 0 to 16: rax, rdx, rcx, rbx, rsi, rdi, rbp, rsp, r8 to r15, and the return address column (rip).
    constexpr int kDwarfOrder[] = {REG_RAX, REG_RDX, REG_RCX, REG_RBX, REG_RSI, REG_RDI, REG_RBP, REG_RSP, REG_R8,
                                   REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    for (const int r : kDwarfOrder)
        state.registers[state.registerCount++] = static_cast<std::uint64_t>(machine.gregs[r]);
    state.pc = static_cast<std::uintptr_t>(machine.gregs[REG_RIP]);
    state.sp = static_cast<std::uintptr_t>(machine.gregs[REG_RSP]);
#elif defined(__aarch64__)
    // DWARF 0 to 31: x0 to x30 and sp; the program counter has no number of its own.
    for (int i = 0; i < 31; ++i) state.registers[state.registerCount++] = machine.regs[i];
    state.registers[state.registerCount++] = machine.sp;
    state.pc = static_cast<std::uintptr_t>(machine.pc);
    state.sp = static_cast<std::uintptr_t>(machine.sp);
#else
    (void)machine;
#endif
    return state;
}

// Writes each module as the maps are read, and notes which one holds the crashing instruction.
struct ModuleLines {
    SignalSafeWriter& out;
    std::uintptr_t pc;
    std::int64_t written = 0;
    std::int64_t moduleOfPc = -1;
};

void writeModule(const MappedModule& m, void* context) {
    auto& lines = *static_cast<ModuleLines*>(context);
    SignalSafeWriter& out = lines.out;
    if (lines.pc >= m.start && lines.pc < m.end) lines.moduleOfPc = lines.written;
    out.text(kModuleKey).decimal(lines.written++).character(' ').hex(m.start).character(' ');
    out.hex(m.end).character(' ').hex(m.vmaddr).character(' ');
    if (m.buildIdSize > 0) {
        out.hexBytes(m.buildId, m.buildIdSize);
    } else {
        out.character('-');
    }
    out.character(' ').field(m.path, sizeof m.path).character('\n');
}

// The stack's bytes from just below the stack pointer upwards, read only where the maps say memory is readable.
// Not instrumented: AddressSanitizer would report the reads of other frames' locals as overflows.
[[gnu::no_sanitize_address]] void writeStack(SignalSafeWriter& out, const StackMapping& mapping, std::uintptr_t sp) {
    if (!mapping.found()) return;
    const std::uintptr_t below = sp - mapping.start > kRedZone ? sp - kRedZone : mapping.start;
    const std::uintptr_t from = sp >= mapping.start && sp < mapping.end ? below : mapping.start;
    const std::uintptr_t to = mapping.end - from > kMaxStackBytes ? from + kMaxStackBytes : mapping.end;
    // Each line's bytes are copied here first, so that only this function reads the stack.
    std::uint8_t line[kStackLineBytes];
    for (std::uintptr_t address = from; address < to && !out.failed();) {
        const std::size_t count = to - address > kStackLineBytes ? kStackLineBytes : to - address;
        for (std::size_t i = 0; i < count; ++i) line[i] = *reinterpret_cast<const volatile std::uint8_t*>(address + i);
        out.text(kStackKey).hex(address).character(' ').hexBytes(line, count).character('\n');
        address += count;
    }
}

// "<stamp>.crash", or "<stamp>-<n>.crash" when a crash in the same second (of another instance) took that.
void reportName(const char* stamp, int attempt, const char* extension, char (&name)[48]) {
    std::size_t n = 0;
    for (const char* p = stamp; *p; ++p) name[n++] = *p;
    if (attempt > 1) {
        name[n++] = '-';
        if (attempt >= 10) name[n++] = static_cast<char>('0' + attempt / 10);
        name[n++] = static_cast<char>('0' + attempt % 10);
    }
    for (const char* p = kReportExtension; *p; ++p) name[n++] = *p;
    for (const char* p = extension; *p; ++p) name[n++] = *p;
    name[n] = '\0';
}

// The report is written under a name the start-up scan ignores and renamed when complete: the scan runs in the
// crashing process too (on its worker thread) and must not take a half-written report for a damaged one.
int openPartialReport(int dir, const char* stamp, int& attempt) {
    char name[48];
    for (attempt = 1; attempt < 100; ++attempt) {
        reportName(stamp, attempt, "", name);
        if (::faccessat(dir, name, F_OK, 0) == 0) continue;
        reportName(stamp, attempt, kPartialExtension, name);
        const int fd = ::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void publishReport(int dir, const char* stamp, int attempt) {
    char partial[48];
    char final[48];
    reportName(stamp, attempt, kPartialExtension, partial);
    for (; attempt < 100; ++attempt) {
        reportName(stamp, attempt, "", final);
        // Never over a report of the same second that appeared meanwhile.
        if (::renameat2(dir, partial, dir, final, RENAME_NOREPLACE) == 0) return;
        if (errno == EEXIST) continue;
        if (errno == ENOSYS || errno == EINVAL) ::renameat(dir, partial, dir, final);  // a file system without it
        return;
    }
}

void writeReport(int signal, const siginfo_t* info, void* context, pid_t thread) {
    const int dir = directoryFd.load();
    if (dir < 0) return;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const platform::UtcTime when = platform::UtcTime::fromUnixSeconds(now.tv_sec);
    char stamp[17];
    when.formatCompact(stamp);
    int attempt = 1;
    const int fd = openPartialReport(dir, stamp, attempt);
    if (fd < 0) return;

    const ThreadState state = threadState(context);

    {
        SignalSafeWriter out(fd);
        out.text(kReportHeader).character('\n');
        out.text(kReleaseKey).field(release, sizeof release).character('\n');
        out.text(kDistKey).field(dist, sizeof dist).character('\n');
        if (version[0]) out.text(kVersionKey).field(version, sizeof version).character('\n');
        char iso[25];
        when.formatIso(static_cast<int>(now.tv_nsec / 1000000), iso);
        out.text(kTimeKey).text(iso).character('\n');
        out.text(kProcessKey).decimal(::getpid()).character('\n');
        out.text(kSignalKey).decimal(signal).character(' ').text(signalName(signal)).character('\n');
        if (info) {
            out.text(kCodeKey).decimal(info->si_code).character('\n');
            // Only a fault raised by the CPU has an address; for a signal sent by kill or raise the field holds
            // the sender instead, and one the kernel raised for its own reasons (SI_KERNEL: a breakpoint, a
            // general protection fault) has none.
            if (info->si_code > 0 && info->si_code != SI_KERNEL && signal != SIGABRT) {
                out.text(kAddressKey).hex(reinterpret_cast<std::uintptr_t>(info->si_addr)).character('\n');
            }
        }
        char threadName[17] = {};
        ::prctl(PR_GET_NAME, threadName, 0, 0, 0);
        out.text(kThreadKey).decimal(thread).character(' ').field(threadName, 16).character('\n');
        if (signal == SIGABRT && terminatingThread.load() == thread) {
            out.text(kTerminateKey);
            if (terminateHadException) {
                out.field(exceptionType, sizeof exceptionType)
                    .character('\t')
                    .field(exceptionWhat, sizeof exceptionWhat);
            }
            out.character('\n');
        }
        utsname system{};
        if (::uname(&system) == 0) {
            out.text(kOsKey).field(system.sysname, sizeof system.sysname).character(' ');
            out.field(system.release, sizeof system.release).character(' ');
            out.field(system.machine, sizeof system.machine).character('\n');
        }
        if (distributionName[0] || distributionVersion[0]) {
            out.text(kDistributionKey).field(distributionName, sizeof distributionName).character('\t');
            out.field(distributionVersion, sizeof distributionVersion).character('\n');
        }
        ModuleLines modules{out, state.pc};
        const StackMapping stack = ModuleMapReader::read(state.sp, &writeModule, &modules);
        if (state.registerCount > 0) {
            out.text(kRegistersKey);
            for (std::size_t i = 0; i < state.registerCount; ++i) {
                if (i > 0) out.character(' ');
                out.hex(state.registers[i]);
            }
            out.character('\n');
        }
        out.text(kFrameKey).text("0 ").hex(state.pc).character(' ');
        if (modules.moduleOfPc >= 0) {
            out.decimal(modules.moduleOfPc);
        } else {
            out.character('-');
        }
        out.character('\n');
        writeStack(out, stack, state.sp);
        out.text(kReportEnd).character('\n');
    }
    ::fsync(fd);
    ::close(fd);
    publishReport(dir, stamp, attempt);
}

void restoreDefaultAndRaise(int signal, pid_t thread) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    // Sent again rather than left to the faulting instruction: a raise() or kill() would not repeat by itself.
    // It stays pending (the handler blocks it) and ends the process as soon as the handler returns.
    ::syscall(SYS_tgkill, ::getpid(), thread, signal);
}

void onFatalSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const pid_t thread = currentThreadId();
    pid_t expected = 0;
    if (reportingThread.compare_exchange_strong(expected, thread)) {
        writeReport(signal, info, context, thread);
    } else if (expected != thread) {
        // Another thread is writing its report; the process ends when it is done. Wait for that (bounded, in
        // case that thread is stuck) rather than killing the process under it.
        for (int i = 0; i < 500; ++i) {
            timespec tenMilliseconds{0, 10 * 1000 * 1000};
            ::nanosleep(&tenMilliseconds, nullptr);
        }
    }
    restoreDefaultAndRaise(signal, thread);
    errno = savedErrno;
}

[[noreturn]] void onTerminate() {
    terminateHadException = false;
    if (const std::type_info* type = abi::__cxa_current_exception_type()) {
        terminateHadException = true;
        copyText(exceptionType, sizeof exceptionType, type->name());
        exceptionWhat[0] = '\0';
        try {
            throw;
        } catch (const std::exception& e) {
            copyText(exceptionWhat, sizeof exceptionWhat, e.what());
        } catch (...) {
        }
    }
    terminatingThread.store(currentThreadId());
    // The standard handler prints the exception to the standard error and aborts; the SIGABRT writes the report.
    if (previousTerminate) previousTerminate();
    std::abort();
}

}  // namespace
}  // namespace handler

bool CrashHandler::install(const Config& config) {
    using namespace handler;
    std::error_code error;
    std::filesystem::create_directories(config.directory, error);
    std::filesystem::permissions(config.directory, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    const int dir = ::open(config.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    copyText(release, sizeof release, config.release.c_str());
    copyText(dist, sizeof dist, config.dist.c_str());
    copyText(version, sizeof version, config.version.c_str());
    // Read now: parsing a file allocates, which the handler may not. os-release changes only with an upgrade of
    // the system, and the libraries a running program has loaded stay those of before the upgrade anyway.
    const Distribution distribution = Distribution::ofThisSystem();
    copyText(distributionName, sizeof distributionName, distribution.name.c_str());
    copyText(distributionVersion, sizeof distributionVersion, distribution.version.c_str());
    const int previousDir = directoryFd.exchange(dir);
    if (previousDir >= 0) ::close(previousDir);

    static bool installed = false;
    if (installed) return true;
    installed = true;
    platform::useAlternateSignalStack();

    struct sigaction action {};
    action.sa_sigaction = &onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A second fault while the report is written ends the process at once (the kernel forces the default action
    // on a blocked synchronous signal) instead of recursing into the handler.
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals) sigaddset(&action.sa_mask, signal);
    for (int signal : kFatalSignals) ::sigaction(signal, &action, nullptr);
    previousTerminate = std::set_terminate(&onTerminate);
    return true;
}

}  // namespace clicktrove::crash
