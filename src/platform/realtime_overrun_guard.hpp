#pragma once

#include <string>

namespace clicktrove::platform {

// What happens to a real-time thread that runs past the soft RLIMIT_RTTIME: the kernel sends the process
// SIGXCPU, whose default action ends it (and past the hard limit, SIGKILL does). Installed, the guard's handler
// moves the thread that overran to normal scheduling instead, so the run goes on at normal priority, and says so
// once, on the standard error and in the system log. It also puts the soft limit back: the kernel raises it by a
// second at each SIGXCPU, often above the hard one, which would leave the next overrun of another thread to the
// SIGKILL.
class RealTimeOverrunGuard {
public:
    // The system log's socket, where syslog(3) writes.
    static constexpr const char* kSystemLogSocket = "/dev/log";

    // Installs the handler, once per process (the first call's log socket counts), and lets the calling thread
    // receive the signal: the kernel sends it for the thread that overran, but a thread that blocks it would leave
    // it to another one, which cannot tell who overran. Call it on every thread before it takes real time.
    static void install(const std::string& systemLogSocket = kSystemLogSocket);
    // Takes the process's soft limit as it is now for the one to put back (install takes it too): call it after
    // changing the limit.
    static void keepSoftLimit();

    // What the guard says, once.
    static const char* notice();
};

}  // namespace clicktrove::platform
