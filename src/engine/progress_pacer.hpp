#pragma once

#include "engine/click_progress.hpp"
#include "platform/clock.hpp"
#include "platform/main_queue.hpp"
#include "platform/one_shot_timer.hpp"
#include "platform/work_queue.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace clicktrove {

// Carries a fast run's progress to the main thread at a pace a person can follow and the main thread can
// afford: the newest totals wait in one slot (a newer tick overwrites them), at most one delivery waits on
// the main queue and takes whatever is newest when it runs, and a delivery comes at least one pace after the
// previous one. Totals the pace held back go out as soon as it allows, from a timer on the engine's queue, so
// the last tick before a pause or a long jittered wait is reported too. Offering allocates nothing.
//
// offer() and the timer run on the engine's queue, deliveries on the main thread; take() may be called
// from any thread.
class ProgressPacer {
public:
    using Deliver = std::function<void(const ClickProgress&)>;

    // deliver runs on the main thread, once per delivery.
    ProgressPacer(platform::MainQueue& mainQueue, platform::WorkQueue& queue, const platform::Clock& clock,
                  std::chrono::nanoseconds pace, Deliver deliver);
    ProgressPacer(const ProgressPacer&) = delete;
    ProgressPacer& operator=(const ProgressPacer&) = delete;
    ~ProgressPacer();

    // The newest totals of a tick.
    void offer(const ClickProgress& progress);
    // run has stopped: drops its totals still waiting (its stopped report carries its final ones). With nothing
    // left waiting the timer goes until a fast run needs it again.
    void finishRun(ClickRunId run);
    // Drops the timer for good. It must happen before the work queue goes away; a timer run under way
    // finishes and arms nothing more. Deliveries already posted do nothing once the pacer is gone.
    void shutdown();

private:
    using Deadline = platform::OneShotTimer::Deadline;

    // Whether a delivery should be posted now (and is then marked as queued); otherwise makes sure the timer
    // will try again when the pace allows.
    bool claimDeliveryLocked();
    void armFlushLocked(Deadline due);
    void postDelivery();
    void deliverWaiting();
    void flush();

    platform::MainQueue& mainQueue_;
    platform::WorkQueue& queue_;
    const platform::Clock& clock_;
    const std::chrono::nanoseconds pace_;
    const Deliver deliver_;
    // Posted deliveries hold this weakly.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);

    std::mutex mutex_;
    std::optional<ClickProgress> waiting_;
    bool deliveryQueued_ = false;
    bool flushArmed_ = false;
    bool shutDown_ = false;
    std::optional<Deadline> lastDelivery_;
    // Made when first needed, so that slow runs and an idle engine keep no timer.
    std::unique_ptr<platform::OneShotTimer> flushTimer_;
};

}  // namespace clicktrove
