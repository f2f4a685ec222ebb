#pragma once

#include "platform/timer_table.hpp"
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
// slack the kernel allows (the default 50 us would stretch every 1 ms interval), and since even then a
// wake-up arrives some 20-60 us late on a virtual machine, it asks to be woken that much early (a moving
// average of what it observed) and waits out the rest on the CPU.
class SerialQueue final : public WorkQueue {
public:
    explicit SerialQueue(std::string label);
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
    // Only the queue's thread touches it.
    std::chrono::nanoseconds wakeLatency_{0};
    std::thread thread_;
};

}  // namespace clicktrove::platform
