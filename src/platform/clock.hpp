#pragma once

#include <chrono>

namespace clicktrove::platform {

// Wall and monotonic time behind one interface so that every timing rule can be tested without sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    // Wall-clock time, for dates that are stored or shown.
    virtual std::chrono::system_clock::time_point now() const = 0;
    // Monotonic time, for deadlines and spans.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
};

class SystemClock final : public Clock {
public:
    std::chrono::system_clock::time_point now() const override { return std::chrono::system_clock::now(); }
    std::chrono::steady_clock::time_point monotonicNow() const override { return std::chrono::steady_clock::now(); }
    // One instance for the whole process; it holds no state.
    static SystemClock& instance();
};

}  // namespace clicktrove::platform
