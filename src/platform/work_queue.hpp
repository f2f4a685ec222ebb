#pragma once

#include "platform/one_shot_timer.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace clicktrove::platform {

// A serial queue of work: tasks and timer handlers run one at a time, in order, never concurrently.
// SerialQueue runs them on a thread of its own; ManualWorkQueue (tests) runs them when the test says so.
class WorkQueue {
public:
    using Task = std::function<void()>;

    virtual ~WorkQueue() = default;
    // Runs task on the queue later. Safe from any thread.
    virtual void async(Task task) = 0;
    // A one-shot timer whose handler runs on this queue. The queue must outlive its timers.
    virtual std::unique_ptr<OneShotTimer> createTimer(Task handler) = 0;
    // Blocks the calling thread (work on the queue blocks the queue) for about duration, or until a stop is
    // requested on stop.
    virtual void sleepFor(std::chrono::nanoseconds duration, std::stop_token stop = {}) = 0;
};

}  // namespace clicktrove::platform
