#pragma once

#include "analytics/thread_scheduler.hpp"
#include "platform/main_queue.hpp"

namespace clicktrove::analytics {

// The client's main queue in a process that gives it none (a host of the Objective-C bridge): a thread of the
// client's own. Signal processing starts there in the order of sending and the session statistics keep their
// timer there, whether or not the host ever runs a run loop of its own.
class ThreadMainQueue final : public platform::MainQueue {
public:
    void post(Task task) override { scheduler_.post(std::move(task)); }
    // Safe from any thread, unlike the main queue of an application.
    TaskId postAfter(std::chrono::nanoseconds delay, Task task) override {
        return scheduler_.schedule(delay, std::move(task));
    }
    void cancel(TaskId id) override { scheduler_.cancel(id); }

private:
    ThreadScheduler scheduler_;
};

}  // namespace clicktrove::analytics
