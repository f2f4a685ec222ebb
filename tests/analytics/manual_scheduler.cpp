#include "manual_scheduler.hpp"

namespace clicktrove::testing {

analytics::Scheduler::TaskId ManualScheduler::schedule(std::chrono::nanoseconds delay, Task task) {
    std::lock_guard lock(mutex_);
    if (delay.count() < 0) delay = std::chrono::nanoseconds(0);
    const TaskId id = nextId_++;
    tasks_.emplace(std::make_pair(clock_.monotonicNow() + delay, id), std::move(task));
    return id;
}

void ManualScheduler::cancel(TaskId id) {
    std::lock_guard lock(mutex_);
    for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
        if (it->first.second == id) {
            tasks_.erase(it);
            return;
        }
    }
}

int ManualScheduler::runDue() {
    int ran = 0;
    while (true) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty() || tasks_.begin()->first.first > clock_.monotonicNow()) break;
            task = std::move(tasks_.begin()->second);
            tasks_.erase(tasks_.begin());
        }
        task();
        ++ran;
    }
    return ran;
}

std::optional<std::chrono::steady_clock::time_point> ManualScheduler::nextDeadline() const {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) return std::nullopt;
    return tasks_.begin()->first.first;
}

std::size_t ManualScheduler::pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

}  // namespace clicktrove::testing
