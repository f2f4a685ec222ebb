#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace clicktrove::platform {

// The application's main thread and its event loop. The app implements it on the Qt event loop; tests use
// ManualMainQueue, which runs work only when the test says so.
class MainQueue {
public:
    using Task = std::function<void()>;
    using TaskId = std::uint64_t;

    virtual ~MainQueue() = default;

    // Runs task on the main thread on a later turn of the loop. Safe to call from any thread.
    virtual void post(Task task) = 0;
    // Runs task on the main thread once delay has passed (monotonic time). Main thread only.
    virtual TaskId postAfter(std::chrono::nanoseconds delay, Task task) = 0;
    // Forgets a delayed task that has not run yet; unknown or finished ids are ignored. Main thread only.
    virtual void cancel(TaskId id) = 0;
};

}  // namespace clicktrove::platform
