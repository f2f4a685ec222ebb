#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace clicktrove::analytics {

// Runs the client's timers and deferred work one task at a time, off the main thread. Production uses one
// thread (ThreadScheduler); tests drive a manual one on the fake clock.
class Scheduler {
public:
    using Task = std::function<void()>;
    using TaskId = std::uint64_t;

    virtual ~Scheduler() = default;
    // Runs task once delay (monotonic) has passed. Safe from any thread, including a running task.
    virtual TaskId schedule(std::chrono::nanoseconds delay, Task task) = 0;
    // Forgets a task that has not started; unknown ids are ignored. Safe from any thread.
    virtual void cancel(TaskId id) = 0;

    TaskId post(Task task) { return schedule(std::chrono::nanoseconds(0), std::move(task)); }
};

}  // namespace clicktrove::analytics
