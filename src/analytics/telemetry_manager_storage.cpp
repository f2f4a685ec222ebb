#include "analytics/telemetry_manager_storage.hpp"

#include "analytics/telemetry_manager.hpp"

#include <mutex>

namespace clicktrove::analytics {

TelemetryManagerStorage& TelemetryManagerStorage::instance() {
    static TelemetryManagerStorage storage;
    return storage;
}

std::shared_ptr<TelemetryManager> TelemetryManagerStorage::manager() const {
    std::shared_lock lock(mutex_);
    return manager_;
}

std::shared_ptr<TelemetryManager> TelemetryManagerStorage::exchange(std::shared_ptr<TelemetryManager> manager) {
    std::unique_lock lock(mutex_);
    manager_.swap(manager);
    return manager;
}

}  // namespace clicktrove::analytics
