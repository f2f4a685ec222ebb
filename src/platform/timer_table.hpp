#pragma once

#include "platform/one_shot_timer.hpp"
#include "platform/work_queue.hpp"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace clicktrove::platform {

// The one-shot timers of a serial work queue: the handles the queue gives out and the state they share with
// it. The table guards that state with the queue's own mutex, so that the queue can pick the next deadline
// and wait on it under one lock. The handles take the mutex themselves; the ...Locked members expect the
// caller to hold it.
class TimerTable {
public:
    // Shared between the table and the handle, so that a handler run in progress keeps its state alive when
    // the handle is dropped meanwhile. Every field but the handler (fixed at creation) is guarded by the mutex.
    struct Entry {
        WorkQueue::Task handler;
        std::optional<OneShotTimer::Deadline> deadline;
        int suspendCount = 0;
        bool cancelled = false;
    };

    // wake, when set, runs after the mutex is released whenever a deadline may have come closer (schedule,
    // resume), so that a queue waiting on its earliest deadline looks again.
    explicit TimerTable(std::mutex& mutex, std::function<void()> wake = {});
    TimerTable(const TimerTable&) = delete;
    TimerTable& operator=(const TimerTable&) = delete;

    // A new idle timer. Takes the mutex.
    std::unique_ptr<OneShotTimer> createTimer(WorkQueue::Task handler);

    // The timer with the earliest deadline not later than limit, suspended timers excluded; null when there
    // is none. The queue resets its deadline when it fires it.
    std::shared_ptr<Entry> nextDueLocked(OneShotTimer::Deadline limit = OneShotTimer::Deadline::max()) const;
    // Timers created and not cancelled.
    std::size_t sizeLocked() const { return entries_.size(); }

private:
    class Handle;

    std::mutex& mutex_;
    const std::function<void()> wake_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace clicktrove::platform
