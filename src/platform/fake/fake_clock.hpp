#pragma once

#include "platform/clock.hpp"

#include <mutex>

namespace clicktrove::platform {

// A clock that moves only when the test moves it. Wall and monotonic time advance together.
class FakeClock final : public Clock {
public:
    FakeClock();
    std::chrono::system_clock::time_point now() const override;
    std::chrono::steady_clock::time_point monotonicNow() const override;

    void advance(std::chrono::nanoseconds delta);
    // Sets the wall time only (a clock change); monotonic time is unaffected.
    void setNow(std::chrono::system_clock::time_point wall);

private:
    mutable std::mutex mutex_;
    std::chrono::system_clock::time_point wall_;
    std::chrono::steady_clock::time_point mono_;
};

}  // namespace clicktrove::platform
