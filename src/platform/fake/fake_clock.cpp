#include "platform/fake/fake_clock.hpp"

namespace clicktrove::platform {

// 2026-01-01 00:00:00 UTC: a fixed start makes dates in test output repeatable.
FakeClock::FakeClock()
    : wall_(std::chrono::system_clock::time_point(std::chrono::seconds(1767225600))),
      mono_(std::chrono::steady_clock::time_point(std::chrono::hours(1000))) {}

std::chrono::system_clock::time_point FakeClock::now() const {
    std::lock_guard lock(mutex_);
    return wall_;
}

std::chrono::steady_clock::time_point FakeClock::monotonicNow() const {
    std::lock_guard lock(mutex_);
    return mono_;
}

void FakeClock::advance(std::chrono::nanoseconds delta) {
    std::lock_guard lock(mutex_);
    wall_ += std::chrono::duration_cast<std::chrono::system_clock::duration>(delta);
    mono_ += delta;
}

void FakeClock::setNow(std::chrono::system_clock::time_point wall) {
    std::lock_guard lock(mutex_);
    wall_ = wall;
}

}  // namespace clicktrove::platform
