#pragma once

#include "platform/scheduling_system.hpp"

#include <chrono>

namespace clicktrove::platform {

// How long a thread may run without blocking. A real-time thread that runs RLIMIT_RTTIME without a blocking
// system call gets SIGXCPU, then SIGKILL: RealtimeKit demands a limit of at most 200 ms, and a timing thread
// whose work left no time to sleep between deadlines would spin into it. A thread that keeps within the bound
// sleeps for real at least once per budget, which restarts the kernel's count. Not thread safe.
//
// The kernel counts the scheduler ticks at which the thread is on its CPU, from the wake-up that ended its last
// sleep; the count restarts there, not when the thread next looks at its clock. What the thread spends on its
// CPU between the two (the kernel's interrupt work done in its name after a wake-up, a stolen virtual CPU, the
// reacquiring of a lock) counts too, and under load it can take milliseconds. So the bound measures the thread's
// own CPU time, and counts a run from the reading taken before the sleep that ended it: from the wake-up, or a
// little before it, never after.
class SpinBound {
public:
    // What the kernel's count depends on, read off one thread.
    struct Reading {
        // Voluntary context switches: each is a real sleep, which restarts the count at its wake-up. A timed wait
        // that ends before the thread is descheduled (a short one often does) is none.
        long sleeps = 0;
        std::chrono::nanoseconds cpu{0};
    };

    // A sleep long enough that the thread really leaves the CPU (a shorter one may end before it is descheduled),
    // for a thread that must sleep before it runs on.
    static constexpr std::chrono::microseconds kBreather{50};

    // The most any thread goes without sleeping, even without a limit: a real-time thread that never sleeps
    // starves everything else on its core.
    static constexpr std::chrono::nanoseconds kMaxRun = std::chrono::milliseconds(10);

    // A quarter of the limit (soft or hard, whichever is lower), at most kMaxRun: the kernel counts in
    // scheduler ticks, so the bound keeps well clear of the limit.
    static std::chrono::nanoseconds budgetFor(const SchedulingSystem::Limit& realTimeBudget);

    // The calling thread's reading: two system calls, well under a microsecond each.
    static Reading readCallingThread();

    // start: the thread's reading when its run began.
    SpinBound(std::chrono::nanoseconds budget, Reading start) : budget_(budget), last_(start), runStart_(start.cpu) {}

    // Takes a newer reading of the thread. A sleep since the previous one ended after that reading was taken, so
    // the run is counted from there.
    void note(Reading now) {
        if (now.sleeps != last_.sleeps) runStart_ = last_.cpu;
        last_ = now;
    }
    // As of the last reading: whether running on the CPU for `spin` more keeps within the budget.
    bool maySpinFor(std::chrono::nanoseconds spin) const { return ran() + spin <= budget_; }
    // As of the last reading: whether the thread has used its budget and must sleep before it runs on.
    bool mustSleep() const { return ran() >= budget_; }

    std::chrono::nanoseconds budget() const { return budget_; }

private:
    std::chrono::nanoseconds ran() const { return last_.cpu - runStart_; }

    std::chrono::nanoseconds budget_;
    Reading last_;
    std::chrono::nanoseconds runStart_;
};

}  // namespace clicktrove::platform
