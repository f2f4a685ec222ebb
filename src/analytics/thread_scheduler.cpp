#include "analytics/thread_scheduler.hpp"

namespace clicktrove::analytics {

ThreadScheduler::ThreadScheduler() : thread_([this] { run(); }) {}

ThreadScheduler::~ThreadScheduler() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        tasks_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        // A task that releases the last owner of this scheduler runs on the worker itself.
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
}

Scheduler::TaskId ThreadScheduler::schedule(std::chrono::nanoseconds delay, Task task) {
    if (delay.count() < 0) delay = std::chrono::nanoseconds(0);
    TaskId id;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return 0;
        id = nextId_++;
        tasks_.emplace(std::make_pair(std::chrono::steady_clock::now() + delay, id), std::move(task));
    }
    wake_.notify_all();
    return id;
}

void ThreadScheduler::cancel(TaskId id) {
    std::lock_guard lock(mutex_);
    for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
        if (it->first.second == id) {
            tasks_.erase(it);
            return;
        }
    }
}

void ThreadScheduler::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (tasks_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto deadline = tasks_.begin()->first.first;
        if (std::chrono::steady_clock::now() < deadline) {
            wake_.wait_until(lock, deadline);
            continue;
        }
        Task task = std::move(tasks_.begin()->second);
        tasks_.erase(tasks_.begin());
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
    }
}

}  // namespace clicktrove::analytics
