#include "engine/click_config.hpp"

#include <cmath>
#include <limits>

namespace clicktrove {

namespace {
constexpr std::int64_t kMaxNanoseconds = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMinIntervalNanoseconds = 1'000'000;

// a + part * factor, with a negative part as 0 and saturation at INT64_MAX.
std::int64_t addPart(std::int64_t sum, std::int64_t part, std::int64_t factor) {
    if (part <= 0) return sum;
    std::int64_t product = 0;
    if (__builtin_mul_overflow(part, factor, &product)) return kMaxNanoseconds;
    std::int64_t total = 0;
    if (__builtin_add_overflow(sum, product, &total)) return kMaxNanoseconds;
    return total;
}
}  // namespace

ClickConfig::ClickConfig() : ClickConfig(std::chrono::system_clock::now()) {}

ClickConfig::ClickConfig(Date now) : scheduledStartTime(now), scheduledStopTime(now + std::chrono::seconds(3600)) {}

std::uint64_t ClickConfig::totalIntervalNanoseconds() const {
    std::int64_t sum = 0;
    sum = addPart(sum, intervalHours, 3'600'000'000'000);
    sum = addPart(sum, intervalMinutes, 60'000'000'000);
    sum = addPart(sum, intervalSeconds, 1'000'000'000);
    sum = addPart(sum, intervalMilliseconds, 1'000'000);
    sum = addPart(sum, intervalMicroseconds, 1'000);
    return static_cast<std::uint64_t>(sum <= kMinIntervalNanoseconds ? kMinIntervalNanoseconds : sum);
}

double ClickConfig::effectiveIntervalRandomRangeMs() const {
    if (!std::isfinite(intervalRandomRangeMs) || intervalRandomRangeMs <= 0.0) return 0.0;
    // The largest range whose nanosecond count still fits a signed 64-bit value.
    constexpr double maxRangeMs = 9'223'372'036'854.0;
    return intervalRandomRangeMs < maxRangeMs ? intervalRandomRangeMs : maxRangeMs;
}

std::int64_t ClickConfig::jitteredIntervalNanoseconds(double jitterMs) const {
    const auto base = static_cast<std::int64_t>(totalIntervalNanoseconds());
    if (!std::isfinite(jitterMs)) return base;
    const double jitterNs = std::trunc(jitterMs * 1'000'000.0);
    // Both limits are compared as doubles: base + jitter is exact enough to decide saturation.
    const double sum = static_cast<double>(base) + jitterNs;
    if (sum >= 9223372036854775807.0) return kMaxNanoseconds;
    if (sum <= static_cast<double>(kMinIntervalNanoseconds)) return kMinIntervalNanoseconds;
    std::int64_t total = 0;
    if (__builtin_add_overflow(base, static_cast<std::int64_t>(jitterNs), &total)) return kMaxNanoseconds;
    return total < kMinIntervalNanoseconds + 1 ? kMinIntervalNanoseconds : total;
}

}  // namespace clicktrove
