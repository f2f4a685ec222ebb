#pragma once

#include "platform/clock.hpp"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace clicktrove::analytics {

// The running duration signals. Spans are measured on the monotonic clock, so a change of the wall clock
// cannot stretch or shrink them. Thread safe.
class DurationSignalTracker {
public:
    using Parameters = std::map<std::string, std::string>;

    explicit DurationSignalTracker(std::shared_ptr<const platform::Clock> clock) : clock_(std::move(clock)) {}

    // Starts (or restarts, replacing the running one) the signal of that name.
    void startSignal(const std::string& name, Parameters parameters, bool includeBackgroundTime);
    // Ends the signal: its elapsed seconds and start parameters, or nothing when it is not running.
    std::optional<std::pair<double, Parameters>> stopSignal(const std::string& name);

    void handleDidEnterBackgroundNotification();
    // Signals that leave inactive time out are moved forward by the inactive time they lived through.
    void handleWillEnterForegroundNotification();

private:
    struct CachedData {
        std::chrono::steady_clock::time_point startTime;
        Parameters parameters;
        bool includeBackgroundTime = false;
    };

    const std::shared_ptr<const platform::Clock> clock_;
    std::mutex mutex_;
    std::map<std::string, CachedData> startedSignals_;
    std::optional<std::chrono::steady_clock::time_point> lastEnteredBackground_;
};

}  // namespace clicktrove::analytics
