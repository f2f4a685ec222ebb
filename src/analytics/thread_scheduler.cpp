#include "analytics/thread_scheduler.hpp"

#include "platform/alternate_signal_stack.hpp"

#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

namespace clicktrove::analytics {

// Shared with the worker, so the worker can outlive the scheduler object when it is the one destroying it.
struct ThreadScheduler::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::map<std::pair<std::chrono::steady_clock::time_point, TaskId>, Task> tasks;
    TaskId nextId = 1;
    bool stopping = false;
};

ThreadScheduler::ThreadScheduler() : state_(std::make_shared<State>()), thread_(&ThreadScheduler::run, state_) {}

ThreadScheduler::~ThreadScheduler() {
    std::map<std::pair<std::chrono::steady_clock::time_point, TaskId>, Task> dropped;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        dropped.swap(state_->tasks);
    }
    state_->wake.notify_all();
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
    // The dropped tasks are destroyed here, outside the lock: their captures may own anything.
}

Scheduler::TaskId ThreadScheduler::schedule(std::chrono::nanoseconds delay, Task task) {
    if (delay.count() < 0) delay = std::chrono::nanoseconds(0);
    TaskId id;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopping) return 0;
        id = state_->nextId++;
        state_->tasks.emplace(std::make_pair(std::chrono::steady_clock::now() + delay, id), std::move(task));
    }
    state_->wake.notify_all();
    return id;
}

void ThreadScheduler::cancel(TaskId id) {
    Task dropped;
    std::lock_guard lock(state_->mutex);
    for (auto it = state_->tasks.begin(); it != state_->tasks.end(); ++it) {
        if (it->first.second == id) {
            dropped = std::move(it->second);
            state_->tasks.erase(it);
            break;
        }
    }
}

void ThreadScheduler::run(std::shared_ptr<State> state) {
    platform::useAlternateSignalStack();
    std::unique_lock lock(state->mutex);
    while (!state->stopping) {
        if (state->tasks.empty()) {
            state->wake.wait(lock);
            continue;
        }
        const auto deadline = state->tasks.begin()->first.first;
        if (std::chrono::steady_clock::now() < deadline) {
            state->wake.wait_until(lock, deadline);
            continue;
        }
        Task task = std::move(state->tasks.begin()->second);
        state->tasks.erase(state->tasks.begin());
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
    }
}

}  // namespace clicktrove::analytics
