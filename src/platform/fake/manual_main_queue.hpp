#pragma once

#include "platform/fake/fake_clock.hpp"
#include "platform/main_queue.hpp"

#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace clicktrove::platform {

// A main queue for tests: posted work waits until drain(); delayed work runs when advance() moves the
// FakeClock past its deadline, in deadline order (posting order for equal deadlines).
class ManualMainQueue final : public MainQueue {
public:
    explicit ManualMainQueue(FakeClock& clock) : clock_(clock) {}

    void post(Task task) override;
    TaskId postAfter(std::chrono::nanoseconds delay, Task task) override;
    void cancel(TaskId id) override;

    // Runs posted work, including work posted while draining. Returns how many tasks ran.
    int drain();
    // Moves the clock forward step by step through every deadline in range, running due work (and draining
    // posted work) at each.
    void advance(std::chrono::nanoseconds delta);
    std::size_t pendingDelayed() const;
    std::size_t pendingPosted() const;

private:
    FakeClock& clock_;
    mutable std::mutex mutex_;
    std::deque<Task> posted_;
    // key: (deadline, id)
    std::map<std::pair<std::chrono::steady_clock::time_point, TaskId>, Task> delayed_;
    TaskId nextId_ = 1;
};

}  // namespace clicktrove::platform
