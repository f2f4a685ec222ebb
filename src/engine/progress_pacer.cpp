#include "engine/progress_pacer.hpp"

#include <utility>

namespace clicktrove {

ProgressPacer::ProgressPacer(platform::MainQueue& mainQueue, platform::WorkQueue& queue, const platform::Clock& clock,
                             std::chrono::nanoseconds pace, Deliver deliver)
    : mainQueue_(mainQueue), queue_(queue), clock_(clock), pace_(pace), deliver_(std::move(deliver)) {}

ProgressPacer::~ProgressPacer() {
    lifeToken_.reset();
    shutdown();
}

void ProgressPacer::shutdown() {
    std::unique_ptr<platform::OneShotTimer> timer;
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        flushArmed_ = false;
        timer = std::move(flushTimer_);
    }
    // Destroying the handle cancels it; outside the lock, which a timer run under way may be waiting for.
    timer.reset();
}

void ProgressPacer::offer(const ClickProgress& progress) {
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        waiting_ = progress;
        // A delivery already queued takes these totals when it runs.
        if (deliveryQueued_) return;
        post = claimDeliveryLocked();
    }
    if (post) postDelivery();
}

void ProgressPacer::finishRun(ClickRunId run) {
    std::unique_ptr<platform::OneShotTimer> idleTimer;
    {
        std::lock_guard lock(mutex_);
        if (waiting_ && waiting_->run == run) waiting_.reset();
        if (!waiting_) {
            idleTimer = std::move(flushTimer_);
            flushArmed_ = false;
        }
    }
}

bool ProgressPacer::claimDeliveryLocked() {
    const Deadline now = clock_.monotonicNow();
    const Deadline due = lastDelivery_ ? *lastDelivery_ + pace_ : now;
    if (now >= due) {
        deliveryQueued_ = true;
        return true;
    }
    armFlushLocked(due);
    return false;
}

void ProgressPacer::armFlushLocked(Deadline due) {
    if (flushArmed_ || shutDown_) return;
    if (!flushTimer_) {
        flushTimer_ = queue_.createTimer([this, life = std::weak_ptr<int>(lifeToken_)] {
            if (life.expired()) return;
            flush();
        });
    }
    flushArmed_ = true;
    flushTimer_->schedule(due);
}

void ProgressPacer::postDelivery() {
    mainQueue_.post([this, life = std::weak_ptr<int>(lifeToken_)] {
        if (life.expired()) return;
        deliverWaiting();
    });
}

void ProgressPacer::deliverWaiting() {
    std::optional<ClickProgress> progress;
    {
        std::lock_guard lock(mutex_);
        deliveryQueued_ = false;
        progress = std::exchange(waiting_, std::nullopt);
        // The pace counts from the delivery, not from the post: a main thread that is slow to run it spaces
        // the deliveries further apart instead of letting them bunch up.
        if (progress) lastDelivery_ = clock_.monotonicNow();
    }
    if (progress) deliver_(*progress);
}

void ProgressPacer::flush() {
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        flushArmed_ = false;
        if (!waiting_ || deliveryQueued_) return;
        post = claimDeliveryLocked();
    }
    if (post) postDelivery();
}

}  // namespace clicktrove
