#pragma once

#include "analytics/scheduler.hpp"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace clicktrove::analytics {

// A scheduler with one worker thread, ordered by deadline on the steady clock (posting order for equal
// deadlines). The destructor drops tasks that have not started and joins the thread.
class ThreadScheduler final : public Scheduler {
public:
    ThreadScheduler();
    ThreadScheduler(const ThreadScheduler&) = delete;
    ThreadScheduler& operator=(const ThreadScheduler&) = delete;
    ~ThreadScheduler() override;

    TaskId schedule(std::chrono::nanoseconds delay, Task task) override;
    void cancel(TaskId id) override;

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<std::pair<std::chrono::steady_clock::time_point, TaskId>, Task> tasks_;
    TaskId nextId_ = 1;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace clicktrove::analytics
