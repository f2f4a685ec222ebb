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
    // The lateness a wake-up may keep without any waiting on the CPU: a twentieth of the wait. On a fixed grid
    // a late tick delays only its own click, and 50 us at 1 ms (half a millisecond at 10 ms) is far inside the
    // jitter anyone can see; spinning it out on every tick cost more than the rest of the thread's work. At
    // real-time priority the learned lateness mostly stays below it, and the thread does not spin at all.
    static constexpr int kToleratedShare = 20;

    void record(std::chrono::nanoseconds late);
    // The margin to wake early by: 0 until the first sample.
    std::chrono::nanoseconds margin() const { return margin_; }
    // The margin for a wait of this length: the learned one less the lateness such a wait tolerates.
    std::chrono::nanoseconds marginFor(std::chrono::nanoseconds wait) const;

private:
    std::array<std::chrono::nanoseconds, kSamples> samples_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    std::chrono::nanoseconds margin_{0};
};

}  // namespace clicktrove::platform
