#pragma once

#include <chrono>

namespace clicktrove::platform {

// A timer bound to a serial work queue that fires its handler once per scheduled deadline, on that queue.
// Deadlines are monotonic and strict: no leeway, no coalescing.
//
// A new timer is idle: not scheduled and not suspended. schedule() replaces any pending deadline.
// suspend()/resume() nest like a counter; while suspended nothing fires, and a deadline that passed meanwhile
// fires as soon as the last resume() comes. cancel() is final: the handler never starts again (a run
// already under way on the queue finishes). Destroying the timer cancels it. All operations may be called
// from any thread, including from the handler itself.
class OneShotTimer {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    virtual ~OneShotTimer() = default;
    virtual void schedule(Deadline deadline) = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual void cancel() = 0;
    // A deadline is set that has not fired yet (suspended or not). False once it fired, after cancel(), and
    // for a timer never scheduled.
    virtual bool isPending() const = 0;
};

}  // namespace clicktrove::platform
