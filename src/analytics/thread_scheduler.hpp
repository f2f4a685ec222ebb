#pragma once

#include "analytics/scheduler.hpp"

#include <memory>
#include <thread>

namespace clicktrove::analytics {

// A scheduler with one worker thread, ordered by deadline on the steady clock (posting order for equal
// deadlines). The destructor drops tasks that have not started and waits for the running one, unless it runs
// on the worker itself (a task released the last owner), which then finishes on its own.
class ThreadScheduler final : public Scheduler {
public:
    ThreadScheduler();
    ThreadScheduler(const ThreadScheduler&) = delete;
    ThreadScheduler& operator=(const ThreadScheduler&) = delete;
    ~ThreadScheduler() override;

    TaskId schedule(std::chrono::nanoseconds delay, Task task) override;
    void cancel(TaskId id) override;

private:
    struct State;
    static void run(std::shared_ptr<State> state);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace clicktrove::analytics
