#pragma once

#include "platform/input_permission.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace clicktrove::platform {

// An input-permission answer the test sets. hold() makes the next checks block, as a hung display does, until
// release(); setDelay() makes each check take that long, as a worker waiting for a CPU does; checks() counts the
// checks that were made.
class FakeInputPermission final : public InputPermission {
public:
    bool inputMayBePosted() override;

    void setAnswer(bool answer);
    void hold();
    void release();
    void setDelay(std::chrono::milliseconds delay);
    int checks() const;
    // Blocks until a held check has begun (so a test knows the worker is stuck in it).
    void waitUntilBlocked();

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool answer_ = false;
    bool held_ = false;
    int blocked_ = 0;
    int checks_ = 0;
    std::chrono::milliseconds delay_{0};
};

}  // namespace clicktrove::platform
