#include "analytics/duration_signal_tracker.hpp"

#include <algorithm>

namespace clicktrove::analytics {

void DurationSignalTracker::startSignal(const std::string& name, Parameters parameters, bool includeBackgroundTime) {
    std::lock_guard lock(mutex_);
    startedSignals_[name] = CachedData{clock_->monotonicNow(), std::move(parameters), includeBackgroundTime};
}

std::optional<std::pair<double, DurationSignalTracker::Parameters>> DurationSignalTracker::stopSignal(
    const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto it = startedSignals_.find(name);
    if (it == startedSignals_.end()) return std::nullopt;
    const double seconds = std::chrono::duration<double>(clock_->monotonicNow() - it->second.startTime).count();
    auto result = std::make_pair(seconds, std::move(it->second.parameters));
    startedSignals_.erase(it);
    return result;
}

void DurationSignalTracker::handleDidEnterBackgroundNotification() {
    std::lock_guard lock(mutex_);
    lastEnteredBackground_ = clock_->monotonicNow();
}

void DurationSignalTracker::handleWillEnterForegroundNotification() {
    std::lock_guard lock(mutex_);
    if (!lastEnteredBackground_) return;
    const auto now = clock_->monotonicNow();
    const auto inactive = now - *lastEnteredBackground_;
    for (auto& [name, data] : startedSignals_) {
        if (data.includeBackgroundTime) continue;
        // A signal started while inactive lived through only part of the inactive span.
        data.startTime += std::min(inactive, now - data.startTime);
    }
    lastEnteredBackground_.reset();
}

}  // namespace clicktrove::analytics
