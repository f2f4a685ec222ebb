#pragma once

#include "platform/timer_table.hpp"
#include "platform/wake_latency.hpp"
#include "platform/work_queue.hpp"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace clicktrove::platform {

// A serial work queue on a thread of its own, with strict one-shot timers: a handler never runs before its
// deadline and, on an idle machine, a few microseconds after it. The thread runs with the smallest timer
// slack the kernel allows (the default 50 us would stretch every 1 ms interval). Even then a wake-up arrives
// late, by some 20-60 us on an idle virtual machine and by much more on a loaded one, so the thread asks to
// be woken early by a high percentile of the lateness it has recently observed (capped, which bounds the CPU
// it spends) and waits out the rest on the CPU, but never so long that the thread goes without a real sleep
// for more than its bound (spin_bound.hpp): a real-time thread that did would be killed by RLIMIT_RTTIME.
class SerialQueue final : public WorkQueue {
public:
    enum class Priority {
        normal,
        // The thread asks for a real-time or raised priority where the limits allow it (thread_priority.hpp).
        timeCritical,
    };

    explicit SerialQueue(std::string label, Priority priority = Priority::normal);
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;
    // Waits for the task or handler under way, drops everything still queued and ends the thread.
    ~SerialQueue() override;

    void async(Task task) override;
    std::unique_ptr<OneShotTimer> createTimer(Task handler) override;
    void sleepFor(std::chrono::nanoseconds duration, std::stop_token stop = {}) override;

    const std::string& label() const { return label_; }
    // True on the queue's own thread.
    bool isCurrent() const;

private:
    void run();
    void wake();
    void learnWakeLatency(std::chrono::steady_clock::time_point askedFor);

    const std::string label_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Task> tasks_;
    TimerTable timers_{mutex_, [this] { wake(); }};
    bool stopping_ = false;
    const Priority priority_;
    // Only the queue's thread touches these.
    WakeLatency wakeLatency_;
    std::thread thread_;
};

}  // namespace clicktrove::platform
