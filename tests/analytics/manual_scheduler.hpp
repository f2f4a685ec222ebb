#pragma once

#include "analytics/scheduler.hpp"
#include "platform/fake/fake_clock.hpp"

#include <map>
#include <mutex>
#include <optional>

namespace clicktrove::testing {

// A scheduler for tests: work runs on the test's thread when the test says so, at deadlines on the FakeClock.
class ManualScheduler final : public analytics::Scheduler {
public:
    explicit ManualScheduler(platform::FakeClock& clock) : clock_(clock) {}

    TaskId schedule(std::chrono::nanoseconds delay, Task task) override;
    void cancel(TaskId id) override;

    // Runs every task due now, including those that become due while running. Returns how many ran.
    int runDue();
    std::optional<std::chrono::steady_clock::time_point> nextDeadline() const;
    std::size_t pending() const;

private:
    platform::FakeClock& clock_;
    mutable std::mutex mutex_;
    std::map<std::pair<std::chrono::steady_clock::time_point, TaskId>, Task> tasks_;
    TaskId nextId_ = 1;
};

}  // namespace clicktrove::testing
