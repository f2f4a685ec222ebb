#include "platform/thread_priority.hpp"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace clicktrove::platform {

namespace {

// Low among real-time priorities: above every normal thread, below the kernel's own and audio servers'.
constexpr rlim_t kRealTimePriority = 10;
// No lower than this even where the limit would allow it: enough to win against a parallel build.
constexpr int kBestNice = -10;

}  // namespace

bool raiseCurrentThreadPriority() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0) {
        sched_param param{};
        param.sched_priority = static_cast<int>(std::min(limit.rlim_cur, kRealTimePriority));
        // Round-robin rather than FIFO, and reset on fork: a child must not inherit a real-time class.
        // sched_setscheduler with 0 acts on the calling thread only.
        if (::sched_setscheduler(0, SCHED_RR | SCHED_RESET_ON_FORK, &param) == 0) return true;
    }
    // RLIMIT_NICE allows nice values down to 20 - limit.
    if (::getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur > 0) {
        const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
        const int floor = std::max(kBestNice, 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40)));
        errno = 0;
        const int current = ::getpriority(PRIO_PROCESS, tid);
        if (errno == 0 && floor < current) return ::setpriority(PRIO_PROCESS, tid, floor) == 0;
    }
    return false;
}

}  // namespace clicktrove::platform
