#pragma once

#include "platform/fake/fake_clock.hpp"
#include "platform/timer_table.hpp"
#include "platform/work_queue.hpp"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace clicktrove::platform {

// A work queue for tests, driven step by step on a FakeClock: tasks wait for runPending(); timers fire when
// advance() or fireNextTimer() moves the clock to their deadline. sleepFor() calls the sleep hook (which lets
// a test act "while" the queue sleeps) and then advances the clock by the duration, or not at all when a stop
// was requested meanwhile. Everything runs
// on the calling thread.
class ManualWorkQueue final : public WorkQueue {
public:
    explicit ManualWorkQueue(FakeClock& clock) : clock_(clock) {}

    void async(Task task) override;
    std::unique_ptr<OneShotTimer> createTimer(Task handler) override;
    void sleepFor(std::chrono::nanoseconds duration, std::stop_token stop = {}) override;

    // Runs queued tasks, including those queued meanwhile. Returns how many ran.
    int runPending();
    // Moves the clock to the earliest deadline of an unsuspended timer (not backwards) and fires it, after
    // running queued tasks. Returns false when no timer can fire.
    bool fireNextTimer();
    // Fires every deadline up to now + delta in order, then leaves the clock at now + delta.
    void advance(std::chrono::nanoseconds delta);
    // The earliest deadline that could fire now or later, suspended timers excluded.
    std::optional<OneShotTimer::Deadline> nextDeadline() const;
    // Timers created and not cancelled.
    std::size_t liveTimers() const;

    void setSleepHook(std::function<void(std::chrono::nanoseconds)> hook);
    // Durations passed to sleepFor, in order.
    std::vector<std::chrono::nanoseconds> sleeps() const;

private:
    FakeClock& clock_;
    mutable std::mutex mutex_;
    std::deque<Task> tasks_;
    TimerTable timers_{mutex_};
    std::function<void(std::chrono::nanoseconds)> sleepHook_;
    std::vector<std::chrono::nanoseconds> sleeps_;
};

}  // namespace clicktrove::platform
