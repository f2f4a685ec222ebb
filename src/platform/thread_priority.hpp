#pragma once

#include "platform/realtime_kit.hpp"
#include "platform/scheduling_system.hpp"

#include <optional>
#include <string>

namespace clicktrove::platform {

// The scheduling a thread ended up with.
struct ThreadPriority {
    enum class Step {
        // Round-robin real time, set by the thread itself: RLIMIT_RTPRIO or CAP_SYS_NICE allowed it.
        realTime,
        // Round-robin real time, granted by RealtimeKit.
        realTimeThroughRealtimeKit,
        // A raised nice value, granted by RealtimeKit where it refused real time.
        niceThroughRealtimeKit,
        // A raised nice value, set by the thread itself: RLIMIT_NICE or CAP_SYS_NICE allowed it.
        nice,
        // Nothing was granted: the normal class at the nice value it had.
        none,
    };

    Step step = Step::none;
    // The real-time priority of the real-time steps, the nice value of the others (0 for none).
    int level = 0;
    // Why RealtimeKit granted nothing, when it was asked and refused or could not be reached; for the user.
    std::string realtimeKitRefusal;

    bool operator==(const ThreadPriority&) const = default;
};

// The real-time priority asked for: above every normal thread, below the kernel's own and audio servers'.
inline constexpr int kTimingRealTimePriority = 10;
// No lower nice value than this, even where more is allowed: enough to win against a parallel build.
inline constexpr int kTimingBestNice = -10;

// RLIMIT_RTTIME with a soft limit at most half the hard one (unlimited stays unlimited). Past the soft limit the
// kernel sends SIGXCPU, and the process demotes the thread to normal scheduling (RealTimeOverrunGuard); past the
// hard one it sends SIGKILL. The kernel counts in scheduler ticks (up to 10 ms) and checks the hard limit first, so
// a soft limit just below the hard one would often be passed in the same tick as the hard one: the process would
// be killed, never told.
SchedulingSystem::Limit withRoomToDemote(SchedulingSystem::Limit budget);

// Raises the thread as far as the process may, in this order: round-robin real time directly (the limits or the
// capability allow it); else RealtimeKit's real time, with RLIMIT_RTTIME lowered to what the service demands
// first (where the service's maximum leaves a timing thread's spin bound its full length); else RealtimeKit's
// raised nice value; else a nice value the limits allow. Keeps the thread as it is when none works (a desktop
// user's default on Debian without RealtimeKit). Waits for RealtimeKit's answers.
ThreadPriority raiseThreadPriority(SchedulingSystem& system, RealtimeKit& realtimeKit);

class ThreadIdLease;

// The steps of raiseThreadPriority after the thread's own real time, taken from another thread on behalf of the
// lease's thread (target acts on it): RealtimeKit is asked for its limits first, however long the bus takes, and
// then, only while the thread still lives, for the thread. None when the thread ended before.
std::optional<ThreadPriority> raiseThreadPriorityOnBehalf(ThreadIdLease& lease, SchedulingSystem& target,
                                                          RealtimeKit& realtimeKit);

// raiseThreadPriority for the calling thread with the real system calls and the system bus, without waiting for
// the bus: real time the thread may take by itself it takes before this returns; RealtimeKit is asked on its
// behalf from a thread of its own, and the steps after it are taken there. Says on the standard error which step
// took effect, once per process for each different outcome. Children forked later start with the normal class
// again.
void raiseCurrentThreadPriority();

// One line for the user about the outcome.
std::string describe(const ThreadPriority& priority);

}  // namespace clicktrove::platform
