#pragma once

#include <array>
#include <chrono>
#include <cstddef>

namespace clicktrove::platform {

// How early a thread should ask to be woken before a deadline: a high percentile of how late its recent
// timed wake-ups came, capped. A percentile rather than an average, because the tail is what stretches an
// interval: one wake-up in twenty that comes 300 us late under load would otherwise be missed every time.
// The cap bounds what waiting out the margin on the CPU can cost. Not thread safe.
class WakeLatency {
public:
    static constexpr std::size_t kSamples = 64;
    // The 60th of 64 recent samples, about the 94th percentile.
    static constexpr std::size_t kRank = 60;
    static constexpr std::chrono::nanoseconds kCap = std::chrono::microseconds(250);
    // Waits up to this long may spend the whole cap waiting on the CPU; longer ones less and less, down to
    // kLongWaitCap from ten times this on. A 1 ms cadence needs every microsecond; at 100 ms a quarter of a
    // millisecond early or late is nothing, and spinning it out on every tick was most of the thread's time.
    static constexpr std::chrono::nanoseconds kShortWait = std::chrono::milliseconds(2);
    static constexpr std::chrono::nanoseconds kLongWaitCap = std::chrono::microseconds(50);

    void record(std::chrono::nanoseconds late);
    // The margin to wake early by: 0 until the first sample.
    std::chrono::nanoseconds margin() const { return margin_; }
    // The margin for a wait of this length: the learned one, within what such a wait may spend on the CPU.
    std::chrono::nanoseconds marginFor(std::chrono::nanoseconds wait) const;

private:
    std::array<std::chrono::nanoseconds, kSamples> samples_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    std::chrono::nanoseconds margin_{0};
};

}  // namespace clicktrove::platform
