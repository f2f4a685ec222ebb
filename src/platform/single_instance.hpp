#pragma once

#include <functional>
#include <string>

namespace clicktrove::platform {

// One running copy of the program per user session: two copies would both answer every global shortcut and
// write the same settings. The first launch claims the instance and hears of every later launch; a later launch
// hands over to it and ends.
class SingleInstance {
public:
    enum class Claim {
        // This process is the one instance; onActivate runs for each later launch.
        primary,
        // A running instance took this launch over (it shows its window); this process should end.
        handedOver,
        // A running instance holds the claim but did not take the launch within the time allowed.
        unanswered,
        // Nothing to claim with (no bus, no runtime folder): this process runs without the guard.
        unguarded,
    };

    virtual ~SingleInstance() = default;

    // Call once, before anything else of the program starts. error, when given, describes an unanswered or
    // unguarded claim.
    virtual Claim claim(std::string* error) = 0;

    // Run on the main thread when a later launch handed over; startupId is that launch's startup-notification
    // identifier (empty without one), which a window raised for it should carry.
    std::function<void(const std::string& startupId)> onActivate;
};

}  // namespace clicktrove::platform
