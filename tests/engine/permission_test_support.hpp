#pragma once

#include "engine/permission_manager.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "support/wait_until.hpp"

#include <QObject>
#include <atomic>
#include <chrono>
#include <vector>

namespace clicktrove::testing {

// A manual main queue that counts what is posted to it, so a test can wait for the worker's answer even when
// the queue has already run it while advancing.
class CountingMainQueue final : public platform::MainQueue {
public:
    explicit CountingMainQueue(platform::FakeClock& clock) : queue_(clock) {}

    void post(Task task) override {
        queue_.post(std::move(task));
        ++posted_;
    }
    TaskId postAfter(std::chrono::nanoseconds delay, Task task) override {
        return queue_.postAfter(delay, std::move(task));
    }
    void cancel(TaskId id) override { queue_.cancel(id); }

    int drain() { return queue_.drain(); }
    void advance(std::chrono::nanoseconds delta) { queue_.advance(delta); }
    std::size_t pendingDelayed() const { return queue_.pendingDelayed(); }
    int postedSoFar() const { return posted_.load(); }

    // Waits (generously: the worker runs on its own schedule) until more than `count` tasks were posted.
    bool waitForPostsBeyond(int count) const {
        return waitUntil([&] { return posted_.load() > count; });
    }

private:
    platform::ManualMainQueue queue_;
    std::atomic<int> posted_{0};
};

// Every value the manager published, in order.
struct Published {
    explicit Published(PermissionManager& manager) {
        QObject::connect(&manager, &PermissionManager::hasAccessibilityPermissionChanged,
                         [this](bool value) { values.push_back(value); });
    }
    std::size_t count() const { return values.size(); }
    std::vector<bool> values;
};

// How long a test lets the UI thread wait for an answer that is bound to come (the check does not hang): long
// enough that a busy machine never makes the wait run out, yet only ever spent when something is broken.
inline constexpr std::chrono::milliseconds kAnswerSurelyComes{std::chrono::minutes(1)};

// Waits until the check made at construction has posted its answer and runs it, so the flag holds that answer
// whether or not it came within the constructor's short wait.
inline bool settleConstruction(CountingMainQueue& queue) {
    if (!queue.waitForPostsBeyond(0)) return false;
    queue.drain();
    return true;
}

// Lets one poll of the permission monitor run: the one-second timer fires, the worker answers, the main queue
// runs the answer.
inline bool runOnePoll(CountingMainQueue& queue) {
    using namespace std::chrono_literals;
    const int before = queue.postedSoFar();
    queue.advance(1s);
    if (!queue.waitForPostsBeyond(before)) return false;
    queue.drain();
    return true;
}

}  // namespace clicktrove::testing
