#pragma once

#include "platform/one_shot_timer.hpp"
#include "platform/serial_queue.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace clicktrove {

// A small repeating timer on a serial queue of its own: fires at once, then every interval on a fixed
// grid, with no leeway. The click engine does not use it; it re-arms its own one-shot timer after each tick.
class PrecisionTimer {
public:
    explicit PrecisionTimer(std::string label);
    PrecisionTimer(const PrecisionTimer&) = delete;
    PrecisionTimer& operator=(const PrecisionTimer&) = delete;
    // Stops the timer and waits for a handler call under way.
    ~PrecisionTimer();

    // Replaces a running timer. An interval of 0 counts as 1 ns.
    void start(std::uint64_t intervalNanoseconds, std::function<void()> handler);
    // No handler call starts after stop() returns (one under way on the queue may finish).
    void stop();
    bool isRunning() const;

private:
    void fire();

    std::unique_ptr<platform::SerialQueue> queue_;
    mutable std::mutex stateLock_;
    std::unique_ptr<platform::OneShotTimer> timerSource_;
    std::function<void()> handler_;
    std::chrono::nanoseconds interval_{1};
    platform::OneShotTimer::Deadline next_{};
    bool isRunning_ = false;
};

}  // namespace clicktrove
