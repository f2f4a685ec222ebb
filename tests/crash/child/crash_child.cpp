// A program that starts crash reporting as Clicktrove does and then crashes in the way its arguments ask, for
// the crash-reporting tests: crash_child <reports folder> <how> [dsn]
//   null-write    writes through a null pointer (SIGSEGV)
//   abort         calls abort() (SIGABRT)
//   thread-throw  lets an exception escape a thread named "crash-worker" (std::terminate, then SIGABRT)
//   stack-overflow     recurses until the main thread's stack is gone (SIGSEGV, handled on the alternate stack)
//   thread-overflow    the same in a thread named "crash-overflow" that set up its alternate stack as the
//                      program's own threads do
//   loader-locked writes through a null pointer while another thread holds the loader's lock (inside
//                 dl_iterate_phdr, where every thread that throws an exception or loads a library passes)
//   start         crashes not at all: a next start, which deals with earlier reports and sends its start-up
//                 trace to the DSN, then exits 0 (3 when that did not finish in time)
#include "crash/sentry_sdk.hpp"
#include "platform/alternate_signal_stack.hpp"

#include <link.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

// UBSan would stop the program at the store before the fault; the crash is the point here.
[[gnu::noinline, gnu::no_sanitize("null")]] void crashByNullWrite() {
    // A volatile store through a pointer the compiler cannot see is null: a store to a known null would be
    // compiled into a trap (SIGILL), and a plain one may be dropped.
    volatile int* volatile target = nullptr;
    *target = 42;
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
