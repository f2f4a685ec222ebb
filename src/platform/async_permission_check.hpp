#pragma once

#include "platform/clock.hpp"
#include "platform/input_permission.hpp"
#include "platform/main_queue.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace clicktrove::platform {

// Runs input-permission checks on a worker thread and hands the answers to the main thread, so that a display
// which never answers (a stopped or hung X server) cannot freeze the window. One check runs at a time; a
// check that hangs for good leaves its worker blocked but the UI responsive.
class AsyncPermissionCheck {
public:
    using Listener = std::function<void(bool mayPost)>;

    AsyncPermissionCheck(std::shared_ptr<InputPermission> permission, MainQueue& mainQueue, const Clock& clock,
                         std::chrono::milliseconds answerTimeout = std::chrono::seconds(2));
    AsyncPermissionCheck(const AsyncPermissionCheck&) = delete;
    AsyncPermissionCheck& operator=(const AsyncPermissionCheck&) = delete;
    ~AsyncPermissionCheck();

    // Main thread. Receives every answer, on the main queue, newest last: an answer older than one already
    // handed out (by the listener or by checkNow) is dropped.
    void setListener(Listener listener);

    // Main thread. Begins a check unless one is under way. When the one under way has gone unanswered for
    // longer than the timeout, the listener hears false, once: a display that does not answer takes no input.
    void request();

    // Main thread. Checks now and waits at most `wait` for the answer; nothing when it takes longer (the
    // answer then reaches the listener) or when a check is already stuck past the timeout.
    std::optional<bool> checkNow(std::chrono::milliseconds wait);

private:
    struct State;
    static void run(std::shared_ptr<State> state);

    std::shared_ptr<State> state_;
    const Clock& clock_;
    std::chrono::milliseconds answerTimeout_;
    std::thread worker_;
};

}  // namespace clicktrove::platform
