#include "engine/precision_timer.hpp"

#include <limits>

namespace clicktrove {

PrecisionTimer::PrecisionTimer(std::string label) : queue_(std::make_unique<platform::SerialQueue>(std::move(label))) {}

PrecisionTimer::~PrecisionTimer() {
    stop();
    // Joins the queue's thread before the members a firing under way still touches (the lock, the timer)
    // are destroyed; the queue, declared first, would otherwise go last.
    queue_.reset();
}

void PrecisionTimer::start(std::uint64_t intervalNanoseconds, std::function<void()> handler) {
    std::lock_guard lock(stateLock_);
    if (timerSource_) timerSource_->cancel();
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    interval_ = std::chrono::nanoseconds(static_cast<std::int64_t>(
        intervalNanoseconds == 0 ? 1 : (intervalNanoseconds > kMax ? kMax : intervalNanoseconds)));
    handler_ = std::move(handler);
    isRunning_ = true;
    timerSource_ = queue_->createTimer([this] { fire(); });
    next_ = std::chrono::steady_clock::now();
    timerSource_->schedule(next_);
}

void PrecisionTimer::stop() {
    std::unique_ptr<platform::OneShotTimer> timer;
    {
        std::lock_guard lock(stateLock_);
        isRunning_ = false;
        timer = std::move(timerSource_);
    }
    if (timer) timer->cancel();
}

bool PrecisionTimer::isRunning() const {
    std::lock_guard lock(stateLock_);
    return isRunning_;
}

void PrecisionTimer::fire() {
    std::function<void()> handler;
    {
        std::lock_guard lock(stateLock_);
        if (!isRunning_ || !timerSource_) return;
        handler = handler_;
        // On the grid, but never a backlog of missed firings after a stall.
        const auto now = std::chrono::steady_clock::now();
        next_ += interval_;
        if (next_ < now) next_ = now;
        timerSource_->schedule(next_);
    }
    handler();
}

}  // namespace clicktrove
