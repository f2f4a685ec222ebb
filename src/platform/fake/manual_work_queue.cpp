#include "platform/fake/manual_work_queue.hpp"

#include <algorithm>

namespace clicktrove::platform {

struct ManualWorkQueue::TimerState {
    Task handler;
    std::optional<OneShotTimer::Deadline> deadline;
    int suspendCount = 0;
    bool cancelled = false;
};

class ManualWorkQueue::Timer final : public OneShotTimer {
public:
    Timer(ManualWorkQueue& queue, std::shared_ptr<TimerState> state) : queue_(queue), state_(std::move(state)) {}
    ~Timer() override { cancel(); }

    void schedule(Deadline deadline) override {
        std::lock_guard lock(queue_.mutex_);
        if (!state_->cancelled) state_->deadline = deadline;
    }
    void suspend() override {
        std::lock_guard lock(queue_.mutex_);
        ++state_->suspendCount;
    }
    void resume() override {
        std::lock_guard lock(queue_.mutex_);
        if (state_->suspendCount > 0) --state_->suspendCount;
    }
    void cancel() override {
        std::lock_guard lock(queue_.mutex_);
        if (state_->cancelled) return;
        state_->cancelled = true;
        state_->deadline.reset();
        auto& timers = queue_.timers_;
        timers.erase(std::remove(timers.begin(), timers.end(), state_), timers.end());
    }
    bool isPending() const override {
        std::lock_guard lock(queue_.mutex_);
        return state_->deadline.has_value();
    }

private:
    ManualWorkQueue& queue_;
    std::shared_ptr<TimerState> state_;
};

void ManualWorkQueue::async(Task task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

std::unique_ptr<OneShotTimer> ManualWorkQueue::createTimer(Task handler) {
    auto state = std::make_shared<TimerState>();
    state->handler = std::move(handler);
    {
        std::lock_guard lock(mutex_);
        timers_.push_back(state);
    }
    return std::make_unique<Timer>(*this, std::move(state));
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

std::shared_ptr<ManualWorkQueue::TimerState> ManualWorkQueue::nextDueLocked(OneShotTimer::Deadline limit) const {
    std::shared_ptr<TimerState> next;
    for (const auto& t : timers_) {
        if (t->deadline && t->suspendCount == 0 && *t->deadline <= limit && (!next || *t->deadline < *next->deadline)) {
            next = t;
        }
    }
    return next;
}

bool ManualWorkQueue::fireNextTimer() {
    runPending();
    std::shared_ptr<TimerState> next;
    {
        std::lock_guard lock(mutex_);
        next = nextDueLocked(OneShotTimer::Deadline::max());
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
            if (!nextDueLocked(end)) break;
        }
        fireNextTimer();
    }
    const auto now = clock_.monotonicNow();
    if (end > now) clock_.advance(end - now);
}

std::optional<OneShotTimer::Deadline> ManualWorkQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    const auto next = nextDueLocked(OneShotTimer::Deadline::max());
    if (!next) return std::nullopt;
    return next->deadline;
}

std::size_t ManualWorkQueue::liveTimers() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
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
