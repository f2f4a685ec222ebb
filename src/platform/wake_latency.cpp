#include "platform/wake_latency.hpp"

#include <algorithm>

namespace clicktrove::platform {

void WakeLatency::record(std::chrono::nanoseconds late) {
    samples_[next_] = std::clamp(late, std::chrono::nanoseconds(0), kCap);
    next_ = (next_ + 1) % kSamples;
    count_ = std::min(count_ + 1, kSamples);
    // A copy on the stack: 64 values, a few hundred nanoseconds per wake-up and no allocation.
    std::array<std::chrono::nanoseconds, kSamples> sorted = samples_;
    const auto end = sorted.begin() + static_cast<std::ptrdiff_t>(count_);
    const auto rank = static_cast<std::ptrdiff_t>((kRank * count_) / kSamples);
    const auto at = sorted.begin() + std::min<std::ptrdiff_t>(rank, static_cast<std::ptrdiff_t>(count_) - 1);
    std::nth_element(sorted.begin(), at, end);
    margin_ = *at;
}

std::chrono::nanoseconds WakeLatency::marginFor(std::chrono::nanoseconds wait) const {
    return std::max(std::chrono::nanoseconds(0), margin_ - wait / kToleratedShare);
}

}  // namespace clicktrove::platform
