// A program that starts crash reporting as Clicktrove does and then crashes in the way its arguments ask, for
// the crash-reporting tests: crash_child <reports folder> <how> [dsn or library]
//   null-write    writes through a null pointer (SIGSEGV)
//   null-call     calls through a null function pointer (SIGSEGV at a pc in no module)
//   breakpoint    stops at a breakpoint instruction, as GLib's fatal errors do (SIGTRAP)
//   bad-syscall   makes a system call its seccomp filter refuses (SIGSYS)
//   abort         calls abort() (SIGABRT)
//   thread-throw  lets an exception escape a thread named "crash-worker" (std::terminate, then SIGABRT)
//   stack-overflow     recurses until the main thread's stack is gone (SIGSEGV, handled on the alternate stack)
//   thread-overflow    the same in a thread named "crash-overflow" that set up its alternate stack as the
//                      program's own threads do
//   loader-locked writes through a null pointer while another thread holds the loader's lock (inside
//                 dl_iterate_phdr, where every thread that throws an exception or loads a library passes)
//   in-library <library>  writes through a null pointer in a callback that the library's function calls
//   start         crashes not at all: a next start, which deals with earlier reports and sends its start-up
//                 trace to the DSN, then exits 0 (3 when that did not finish in time)
#include "crash/sentry_sdk.hpp"
#include "platform/alternate_signal_stack.hpp"

#include <dlfcn.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <link.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

// Something after a crashing call, so that the call is no tail call and its caller stays on the stack.
[[gnu::noinline]] void keepFrame() {
    __asm__ volatile("" ::: "memory");
}

// UBSan would stop the program at the store before the fault; the crash is the point here.
[[gnu::noinline, gnu::no_sanitize("null")]] void crashByNullWrite() {
    // A volatile store through a pointer the compiler cannot see is null: a store to a known null would be
    // compiled into a trap (SIGILL), and a plain one may be dropped.
    volatile int* volatile target = nullptr;
    *target = 42;
}

[[gnu::noinline]] void crashByNullCall() {
    // Through a volatile pointer, so that the call is made as written and returns here.
    void (*volatile function)() = nullptr;
    function();
    keepFrame();
}

[[gnu::noinline]] void crashByBreakpoint() {
#if defined(__x86_64__) || defined(__i386__)
    __asm__ volatile("int3");
#elif defined(__aarch64__)
    __asm__ volatile("brk #0");
#else
    ::raise(SIGTRAP);
#endif
    keepFrame();
}

// Refuses getppid in this thread from now on with SIGSYS, as a sandbox's seccomp filter refuses what it does
// not allow.
bool refuseGetppid() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_getppid, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

[[gnu::noinline]] void crashByBadSystemCall() {
    ::syscall(SYS_getppid);
    keepFrame();
}

[[gnu::noinline]] void crashByAbort() {
    std::abort();
}

[[gnu::noinline]] void throwOutOfThread() {
    throw std::runtime_error("thrown out of a thread");
}

std::atomic<bool> holdingLoaderLock{false};

// Keeps the loader's lock for good: the callback runs with it held and never returns.
void holdLoaderLock() {
    ::dl_iterate_phdr(
        [](dl_phdr_info*, size_t, void*) -> int {
            holdingLoaderLock = true;
            for (;;) ::pause();
        },
        nullptr);
}

volatile bool keepRecursing = true;

[[gnu::noinline]] int recurseForever(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (!keepRecursing) return frame[0];
    return recurseForever(depth + 1) + frame[0];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string how = argv[2];
    const std::string dsn = argc > 3 ? argv[3] : "";
    // The test asserts on the signal; a core file per case would only litter the build tree.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);

    clicktrove::crash::SentrySDK::start([&](clicktrove::crash::SentryOptions& options) {
        options.dsn = dsn;
        options.debug = std::getenv("CRASH_CHILD_DEBUG") != nullptr;
        options.tracesSampleRate = 1.0;
        options.releaseName = "crash-child@1.2.3";
        options.dist = "build-7";
        options.reportsDirectory = argv[1];
    });

    if (how == "null-write") crashByNullWrite();
    if (how == "null-call") crashByNullCall();
    if (how == "breakpoint") crashByBreakpoint();
    if (how == "bad-syscall") {
        if (!refuseGetppid()) return 4;
        crashByBadSystemCall();
    }
    if (how == "in-library") {
        void* library = argc > 3 ? ::dlopen(argv[3], RTLD_NOW) : nullptr;
        auto callBack = library ? reinterpret_cast<void (*)(void (*)())>(::dlsym(library, "crashChildCallBack"))
                                : nullptr;
        if (!callBack) return 4;
        callBack(&crashByNullWrite);
    }
    if (how == "abort") crashByAbort();
    if (how == "thread-throw") {
        std::thread worker([] {
            ::pthread_setname_np(::pthread_self(), "crash-worker");
            throwOutOfThread();
        });
        worker.join();
    }
    if (how == "stack-overflow") recurseForever(0);
    if (how == "thread-overflow") {
        std::thread worker([] {
            ::pthread_setname_np(::pthread_self(), "crash-overflow");
            clicktrove::platform::useAlternateSignalStack();
            recurseForever(0);
        });
        worker.join();
    }
    if (how == "loader-locked") {
        std::thread(holdLoaderLock).detach();
        while (!holdingLoaderLock) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        crashByNullWrite();
    }
    if (how == "start") {
        clicktrove::crash::SentrySDK::appStartFinished();
        return clicktrove::crash::SentrySDK::flush(std::chrono::seconds(60)) ? 0 : 3;
    }
    return 2;
}
