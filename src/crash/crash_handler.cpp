#include "crash/crash_handler.hpp"

#include "crash/crash_report_format.hpp"
#include "crash/module_map_reader.hpp"
#include "crash/signal_safe_writer.hpp"
#include "platform/alternate_signal_stack.hpp"
#include "platform/utc_time.hpp"

#define UNW_LOCAL_ONLY
#include <libunwind.h>

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

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kMaxFrames = 128;
constexpr std::size_t kMaxModules = 48;

// Everything the handler reads is prepared here by install, so that the handler itself only copies and writes.
std::atomic<int> directoryFd{-1};
char release[128];
char dist[64];

// The first thread to crash writes the report; any other waits for the process to end.
std::atomic<pid_t> reportingThread{0};

// What the terminate handler learnt before it aborted, for the SIGABRT that follows on the same thread.
std::atomic<pid_t> terminatingThread{0};
bool terminateHadException = false;
char exceptionType[256];
char exceptionWhat[512];
std::terminate_handler previousTerminate = nullptr;

// Static, not on the (small) alternate stack; only the reporting thread touches them.
std::uintptr_t frames[kMaxFrames];
int moduleOfFrame[kMaxFrames];
MappedModule modules[kMaxModules];

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
        default:
            return "?";
    }
}

std::size_t walkStack(void* context) {
    std::size_t count = 0;
    unw_cursor_t cursor;
    if (context && unw_init_local2(&cursor, static_cast<unw_context_t*>(context), UNW_INIT_SIGNAL_FRAME) == 0) {
        do {
            unw_word_t ip = 0;
            if (unw_get_reg(&cursor, UNW_REG_IP, &ip) != 0 || ip == 0) break;
            frames[count++] = ip;
        } while (count < kMaxFrames && unw_step(&cursor) > 0);
    }
    if (count == 0 && context) {
        // Unwinding failed outright (a jump to nowhere): the faulting address alone still tells something.
        const auto& machine = static_cast<ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
        frames[count++] = static_cast<std::uintptr_t>(machine.gregs[REG_RIP]);
#elif defined(__aarch64__)
        frames[count++] = static_cast<std::uintptr_t>(machine.pc);
#else
        (void)machine;
#endif
    }
    return count;
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

    const std::size_t frameCount = walkStack(context);
    const std::size_t moduleCount = ModuleMapReader::resolve(frames, frameCount, moduleOfFrame, modules, kMaxModules);

    {
        SignalSafeWriter out(fd);
        out.text(kReportHeader).character('\n');
        out.text(kReleaseKey).field(release, sizeof release).character('\n');
        out.text(kDistKey).field(dist, sizeof dist).character('\n');
        char iso[25];
        when.formatIso(static_cast<int>(now.tv_nsec / 1000000), iso);
        out.text(kTimeKey).text(iso).character('\n');
        out.text(kProcessKey).decimal(::getpid()).character('\n');
        out.text(kSignalKey).decimal(signal).character(' ').text(signalName(signal)).character('\n');
        if (info) {
            out.text(kCodeKey).decimal(info->si_code).character('\n');
            // Only a fault raised by the CPU has an address; for a signal sent by kill or raise the field holds
            // the sender instead.
            if (info->si_code > 0 && signal != SIGABRT) {
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
        for (std::size_t i = 0; i < moduleCount; ++i) {
            const MappedModule& m = modules[i];
            out.text(kModuleKey).decimal(static_cast<std::int64_t>(i)).character(' ').hex(m.start).character(' ');
            out.hex(m.end).character(' ').hex(m.vmaddr).character(' ');
            if (m.buildIdSize > 0) {
                out.hexBytes(m.buildId, m.buildIdSize);
            } else {
                out.character('-');
            }
            out.character(' ').field(m.path, sizeof m.path).character('\n');
        }
        for (std::size_t i = 0; i < frameCount; ++i) {
            out.text(kFrameKey).decimal(static_cast<std::int64_t>(i)).character(' ').hex(frames[i]).character(' ');
            if (moduleOfFrame[i] >= 0) {
                out.decimal(moduleOfFrame[i]);
            } else {
                out.character('-');
            }
            out.character('\n');
        }
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

// Runs libunwind once outside any handler, so that whatever it sets up on first use is ready before a crash.
void warmUpUnwinder() {
    unw_set_caching_policy(unw_local_addr_space, UNW_CACHE_NONE);
    unw_context_t context;
    unw_cursor_t cursor;
    if (unw_getcontext(&context) == 0 && unw_init_local(&cursor, &context) == 0) {
        while (unw_step(&cursor) > 0) {
        }
    }
}

}  // namespace

bool CrashHandler::install(const Config& config) {
    std::error_code error;
    std::filesystem::create_directories(config.directory, error);
    std::filesystem::permissions(config.directory, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    const int dir = ::open(config.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    copyText(release, sizeof release, config.release.c_str());
    copyText(dist, sizeof dist, config.dist.c_str());
    const int previousDir = directoryFd.exchange(dir);
    if (previousDir >= 0) ::close(previousDir);

    static bool installed = false;
    if (installed) return true;
    installed = true;
    warmUpUnwinder();
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
