#pragma once

#include "platform/scheduling_system.hpp"

#include <chrono>

namespace clicktrove::platform {

// How long a thread may go on without blocking. A real-time thread that runs RLIMIT_RTTIME without a blocking
// system call gets SIGXCPU, then SIGKILL: RealtimeKit demands a limit of at most 200 ms, and a timing thread
// whose work left no time to sleep between deadlines would spin into it. A thread that keeps within the bound
// sleeps for real at least once per budget, which restarts the kernel's count. Not thread safe.
class SpinBound {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // The most any thread goes without sleeping, even without a limit: a real-time thread that never sleeps
    // starves everything else on its core.
    static constexpr std::chrono::nanoseconds kMaxRun = std::chrono::milliseconds(10);

    // A quarter of the limit (soft or hard, whichever is lower), at most kMaxRun: the kernel counts in
    // scheduler ticks, so the bound keeps well clear of the limit.
    static std::chrono::nanoseconds budgetFor(const SchedulingSystem::Limit& realTimeBudget);

    explicit SpinBound(std::chrono::nanoseconds budget = kMaxRun) : budget_(budget) {}

    // The thread has just come back from a wait that blocked.
    void slept(TimePoint now) { lastSlept_ = now; }
    // Whether running on the CPU until `until` keeps within the budget.
    bool maySpinUntil(TimePoint until) const { return until - lastSlept_ <= budget_; }
    // Whether the thread has used its budget and must sleep before it runs on.
    bool mustSleep(TimePoint now) const { return now - lastSlept_ >= budget_; }

    std::chrono::nanoseconds budget() const { return budget_; }

private:
    std::chrono::nanoseconds budget_;
    TimePoint lastSlept_ = std::chrono::steady_clock::now();
};

}  // namespace clicktrove::platform
