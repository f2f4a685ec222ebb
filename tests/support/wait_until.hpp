#pragma once

#include <chrono>
#include <thread>

namespace clicktrove::testing {

// Checks condition every step until it holds or cap has passed, for work that runs on a thread of its own.
// The cap is generous: it only keeps a broken build from hanging, and a busy machine never reaches it.
// Returns whether the condition held.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds cap = std::chrono::seconds(30),
               std::chrono::milliseconds step = std::chrono::milliseconds(1)) {
    const auto deadline = std::chrono::steady_clock::now() + cap;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

}  // namespace clicktrove::testing
