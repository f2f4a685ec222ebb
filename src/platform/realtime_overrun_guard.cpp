#include "platform/realtime_overrun_guard.hpp"

#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace clicktrove::platform {

namespace {

constexpr const char kNotice[] =
    "Clicktrove: a timing thread ran past its real-time limit (RLIMIT_RTTIME) and now runs at normal priority, so a "
    "busy machine may delay clicks";

// Filled in once at install, read only by the handler: nothing in it may allocate or lock.
struct Told {
    std::atomic<bool> done{false};
    int logSocket = -1;
    char logLine[512] = {};
    std::size_t logLength = 0;
};
Told told;
// The soft RLIMIT_RTTIME as the process last set it, which the handler puts back; RLIM_INFINITY for none.
std::atomic<rlim_t> keptSoftLimit{RLIM_INFINITY};
static_assert(std::atomic<rlim_t>::is_always_lock_free, "read in a signal handler");

void writeAll(int fd, const char* text, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text += written;
        length -= static_cast<std::size_t>(written);
    }
}

bool isRealTime(int policy) {
    policy &= ~SCHED_RESET_ON_FORK;
    return policy == SCHED_RR || policy == SCHED_FIFO;
}

// Only async-signal-safe system calls: the thread may have been anywhere, in malloc or holding a lock.
void onOverrun(int) {
    const int savedErrno = errno;
    if (isRealTime(::sched_getscheduler(0))) {
        sched_param normal{};
        normal.sched_priority = 0;
        // 0: the calling thread, which is the one the kernel sent the signal for.
        ::sched_setscheduler(0, SCHED_OTHER | SCHED_RESET_ON_FORK, &normal);
    }
    rlimit budget{};
    const rlim_t kept = keptSoftLimit.load();
    if (kept != RLIM_INFINITY && ::getrlimit(RLIMIT_RTTIME, &budget) == 0 && budget.rlim_cur > kept &&
        kept <= budget.rlim_max) {
        budget.rlim_cur = kept;
        ::setrlimit(RLIMIT_RTTIME, &budget);
    }
    if (!told.done.exchange(true)) {
        writeAll(STDERR_FILENO, kNotice, sizeof kNotice - 1);
        writeAll(STDERR_FILENO, "\n", 1);
        if (told.logSocket >= 0) ::send(told.logSocket, told.logLine, told.logLength, MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    errno = savedErrno;
}

// syslog(3) takes a lock and may allocate, so the handler cannot call it: it sends the line syslog would send, on
// a socket connected beforehand.
void prepareSystemLog(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    const int length = std::snprintf(told.logLine, sizeof told.logLine, "<%d>%s[%d]: %s", LOG_USER | LOG_WARNING,
                                     program_invocation_short_name, static_cast<int>(::getpid()), kNotice);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof told.logLine) {
        ::close(fd);
        return;
    }
    told.logLength = static_cast<std::size_t>(length);
    told.logSocket = fd;
}

}  // namespace

void RealTimeOverrunGuard::install(const std::string& systemLogSocket) {
    static std::once_flag once;
    std::call_once(once, [&] {
        prepareSystemLog(systemLogSocket);
        struct sigaction action {};
        action.sa_handler = &onOverrun;
        // On the thread's own signal stack where it has one; interrupted system calls go on.
        action.sa_flags = SA_ONSTACK | SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGXCPU, &action, nullptr);
    });
    keepSoftLimit();
    // A thread that blocked the signal would leave it to another thread, which cannot tell which one overran.
    sigset_t overrun;
    sigemptyset(&overrun);
    sigaddset(&overrun, SIGXCPU);
    ::pthread_sigmask(SIG_UNBLOCK, &overrun, nullptr);
}

void RealTimeOverrunGuard::keepSoftLimit() {
    rlimit budget{};
    if (::getrlimit(RLIMIT_RTTIME, &budget) == 0) keptSoftLimit = budget.rlim_cur;
}

const char* RealTimeOverrunGuard::notice() {
    return kNotice;
}

}  // namespace clicktrove::platform
