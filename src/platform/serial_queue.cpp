#include "platform/serial_queue.hpp"

#include "platform/alternate_signal_stack.hpp"
#include "platform/linux_scheduling_system.hpp"
#include "platform/spin_bound.hpp"
#include "platform/thread_priority.hpp"

#include <pthread.h>
#include <sys/prctl.h>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <ctime>

namespace clicktrove::platform {

namespace {

using Steady = std::chrono::steady_clock;

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

}  // namespace

SerialQueue::SerialQueue(std::string label, Priority priority) : label_(std::move(label)), priority_(priority) {
    thread_ = std::thread([this] { run(); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SerialQueue::async(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        tasks_.push_back(std::move(task));
    }
    wake();
}

std::unique_ptr<OneShotTimer> SerialQueue::createTimer(Task handler) {
    return timers_.createTimer(std::move(handler));
}

void SerialQueue::sleepFor(std::chrono::nanoseconds duration, std::stop_token stop) {
    if (duration.count() <= 0 || stop.stop_requested()) return;
    if (stop.stop_possible()) {
        // now + duration would overflow for a sleep of centuries and wake at once; it saturates instead.
        const auto now = std::chrono::steady_clock::now();
        const auto room = std::chrono::steady_clock::time_point::max() - now;
        const auto until = duration < room ? now + duration : std::chrono::steady_clock::time_point::max();
        std::mutex mutex;
        std::condition_variable_any cv;
        std::unique_lock lock(mutex);
        cv.wait_until(lock, stop, until, [] { return false; });
        return;
    }
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    const auto total = static_cast<long long>(deadline.tv_nsec) + duration.count() % 1'000'000'000;
    deadline.tv_sec += static_cast<time_t>(duration.count() / 1'000'000'000 + total / 1'000'000'000);
    deadline.tv_nsec = static_cast<long>(total % 1'000'000'000);
    // Absolute deadline: a signal that interrupts the sleep does not stretch it.
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

bool SerialQueue::isCurrent() const {
    return std::this_thread::get_id() == thread_.get_id();
}

void SerialQueue::wake() {
    // Called after changing the queue's state; a timer re-armed from its own handler finds no waiter, and
    // notify_one without a waiter costs no system call.
    cv_.notify_one();
}

void SerialQueue::learnWakeLatency(std::chrono::steady_clock::time_point askedFor) {
    wakeLatency_.record(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - askedFor));
}

void SerialQueue::run() {
    useAlternateSignalStack();
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // Thread names are at most 15 characters; the end of a reverse-DNS label is the telling part.
    const std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
    ::pthread_setname_np(::pthread_self(), name.c_str());
    if (priority_ == Priority::timeCritical) raiseCurrentThreadPriority();
    // Read once: RealtimeKit's real time, granted later, lowers the limit only where the bound keeps its length.
    SpinBound bound(SpinBound::budgetFor(LinuxSchedulingSystem().realTimeBudgetLimit()),
                    SpinBound::readCallingThread());
    // Work that has kept the thread on the CPU for the whole budget waits for a short real sleep first; the next
    // turn's reading tells whether it was one.
    auto breatheIfDue = [&](std::unique_lock<std::mutex>& lock) {
        if (!bound.mustSleep()) return false;
        lock.unlock();
        std::this_thread::sleep_for(SpinBound::kBreather);
        lock.lock();
        return true;
    };

    std::unique_lock lock(mutex_);
    while (!stopping_) {
        // One reading a turn: taken before a wait, it is where the run after that wait is counted from.
        bound.note(SpinBound::readCallingThread());
        if (!tasks_.empty()) {
            if (breatheIfDue(lock)) continue;
            Task task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            continue;
        }
        auto next = timers_.nextDueLocked();
        if (!next) {
            cv_.wait(lock);
            continue;
        }
        const auto deadline = *next->deadline;
        const auto now = Steady::now();
        if (now < deadline) {
            const auto wakeAt = deadline - wakeLatency_.marginFor(deadline - now);
            // Inside the window the kernel's wake-up latency would overshoot, the rest is waited out on the CPU,
            // unless that would keep the thread from sleeping for longer than the bound allows.
            if (now < wakeAt || !bound.maySpinFor(deadline - now)) {
                const auto asked = now < wakeAt ? wakeAt : deadline;
                if (cv_.wait_until(lock, asked) == std::cv_status::timeout) learnWakeLatency(asked);
            } else {
                // Without the lock, so that callers are never held up by it.
                lock.unlock();
                while (Steady::now() < deadline) cpuRelax();
                lock.lock();
            }
            continue;
        }
        if (breatheIfDue(lock)) continue;
        next->deadline.reset();
        lock.unlock();
        next->handler();
        next.reset();
        lock.lock();
    }
}

}  // namespace clicktrove::platform
