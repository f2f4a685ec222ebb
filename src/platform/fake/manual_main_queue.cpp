#include "platform/fake/manual_main_queue.hpp"

namespace clicktrove::platform {

void ManualMainQueue::post(Task task) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(task));
}

MainQueue::TaskId ManualMainQueue::postAfter(std::chrono::nanoseconds delay, Task task) {
    std::lock_guard lock(mutex_);
    const TaskId id = nextId_++;
    if (delay.count() < 0) delay = std::chrono::nanoseconds(0);
    delayed_.emplace(std::make_pair(clock_.monotonicNow() + delay, id), std::move(task));
    return id;
}

void ManualMainQueue::cancel(TaskId id) {
    std::lock_guard lock(mutex_);
    for (auto it = delayed_.begin(); it != delayed_.end(); ++it) {
        if (it->first.second == id) {
            delayed_.erase(it);
            return;
        }
    }
}

int ManualMainQueue::drain() {
    int ran = 0;
    while (true) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty()) break;
            task = std::move(posted_.front());
            posted_.pop_front();
        }
        task();
        ++ran;
    }
    return ran;
}

void ManualMainQueue::advance(std::chrono::nanoseconds delta) {
    const auto end = clock_.monotonicNow() + delta;
    drain();
    while (true) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (delayed_.empty() || delayed_.begin()->first.first > end) break;
            const auto deadline = delayed_.begin()->first.first;
            task = std::move(delayed_.begin()->second);
            delayed_.erase(delayed_.begin());
            const auto now = clock_.monotonicNow();
            if (deadline > now) clock_.advance(deadline - now);
        }
        task();
        drain();
    }
    const auto now = clock_.monotonicNow();
    if (end > now) clock_.advance(end - now);
}

std::size_t ManualMainQueue::pendingDelayed() const {
    std::lock_guard lock(mutex_);
    return delayed_.size();
}

std::size_t ManualMainQueue::pendingPosted() const {
    std::lock_guard lock(mutex_);
    return posted_.size();
}

}  // namespace clicktrove::platform
