#pragma once

#include "platform/work_queue.hpp"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clicktrove::platform {

// A serial work queue on a thread of its own, with strict one-shot timers. The thread runs with the
// smallest timer slack the kernel allows, so a deadline wakes it within microseconds instead of the default
// 50 us of slack that would stretch every 1 ms interval.
class SerialQueue final : public WorkQueue {
public:
    explicit SerialQueue(std::string label);
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;
    // Waits for the task or handler under way, drops everything still queued and ends the thread.
    ~SerialQueue() override;

    void async(Task task) override;
    std::unique_ptr<OneShotTimer> createTimer(Task handler) override;
    void sleepFor(std::chrono::nanoseconds duration) override;

    const std::string& label() const { return label_; }
    // True on the queue's own thread.
    bool isCurrent() const;

private:
    struct TimerState;
    class Timer;

    void run();
    void wake();

    const std::string label_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Task> tasks_;
    std::vector<std::shared_ptr<TimerState>> timers_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace clicktrove::platform
