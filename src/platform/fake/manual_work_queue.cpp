#include "platform/fake/manual_work_queue.hpp"

namespace clicktrove::platform {

void ManualWorkQueue::async(Task task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

std::unique_ptr<OneShotTimer> ManualWorkQueue::createTimer(Task handler) {
    return timers_.createTimer(std::move(handler));
}

void ManualWorkQueue::sleepFor(std::chrono::nanoseconds duration, std::stop_token stop) {
    std::function<void(std::chrono::nanoseconds)> hook;
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(duration);
        hook = sleepHook_;
    }
    if (hook) hook(duration);
    if (duration.count() > 0 && !stop.stop_requested()) clock_.advance(duration);
}

int ManualWorkQueue::runPending() {
    int ran = 0;
    while (true) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        ++ran;
    }
    return ran;
}

bool ManualWorkQueue::fireNextTimer() {
    runPending();
    std::shared_ptr<TimerTable::Entry> next;
    {
        std::lock_guard lock(mutex_);
        next = timers_.nextDueLocked();
        if (!next) return false;
        const auto deadline = *next->deadline;
        next->deadline.reset();
        const auto now = clock_.monotonicNow();
        if (deadline > now) clock_.advance(deadline - now);
    }
    next->handler();
    runPending();
    return true;
}

void ManualWorkQueue::advance(std::chrono::nanoseconds delta) {
    const auto end = clock_.monotonicNow() + delta;
    runPending();
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (!timers_.nextDueLocked(end)) break;
        }
        fireNextTimer();
    }
    const auto now = clock_.monotonicNow();
    if (end > now) clock_.advance(end - now);
}

std::optional<OneShotTimer::Deadline> ManualWorkQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    const auto next = timers_.nextDueLocked();
    if (!next) return std::nullopt;
    return next->deadline;
}

std::size_t ManualWorkQueue::liveTimers() const {
    std::lock_guard lock(mutex_);
    return timers_.sizeLocked();
}

void ManualWorkQueue::setSleepHook(std::function<void(std::chrono::nanoseconds)> hook) {
    std::lock_guard lock(mutex_);
    sleepHook_ = std::move(hook);
}

std::vector<std::chrono::nanoseconds> ManualWorkQueue::sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

}  // namespace clicktrove::platform
