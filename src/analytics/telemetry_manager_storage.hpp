#pragma once

#include <memory>
#include <shared_mutex>

namespace clicktrove::analytics {

class TelemetryManager;

// The one installed manager of the process, read by every signal and replaced by initialise and terminate.
class TelemetryManagerStorage {
public:
    static TelemetryManagerStorage& instance();

    std::shared_ptr<TelemetryManager> manager() const;
    // Returns the manager it replaces, so the caller releases it outside the lock.
    std::shared_ptr<TelemetryManager> exchange(std::shared_ptr<TelemetryManager> manager);

private:
    mutable std::shared_mutex mutex_;
    std::shared_ptr<TelemetryManager> manager_;
};

}  // namespace clicktrove::analytics
