#include "analytics/telemetry_manager_configuration.hpp"

#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics/uuid.hpp"
#include "build_config.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace clicktrove::analytics {

bool ConfigurationSnapshot::swiftUIPreviewMode() const {
    if (previewModeStorage) return *previewModeStorage;
    const char* value = std::getenv("XCODE_RUNNING_FOR_PREVIEWS");
    return value && std::strcmp(value, "1") == 0;
}

TelemetryManagerConfiguration::TelemetryManagerConfiguration(std::string appID, std::optional<std::string> salt,
                                                             std::optional<std::string> baseURL,
                                                             std::optional<std::string> telemetryNamespace) {
    values_.telemetryAppID = std::move(appID);
    values_.apiBaseURL = baseURL ? std::move(*baseURL) : defaultIngestionEndpoint();
    values_.telemetryNamespace = std::move(telemetryNamespace);
    values_.salt = salt ? std::move(*salt) : std::string();
    values_.defaultParameters = [] { return std::map<std::string, std::string>{}; };
    values_.sessionID = randomUuidString();
    values_.logHandler = LogHandler::standard(LogHandler::LogLevel::info);
}

std::string TelemetryManagerConfiguration::defaultIngestionEndpoint() {
    return CLICKTROVE_ANALYTICS_ENDPOINT;
}

ConfigurationSnapshot TelemetryManagerConfiguration::snapshot() const {
    std::shared_lock lock(mutex_);
    return values_;
}

void TelemetryManagerConfiguration::setTransmitInterval(double v) {
    set(&ConfigurationSnapshot::transmitInterval,
        std::isnan(v) || v < minimumTransmitInterval ? minimumTransmitInterval : v);
}

void TelemetryManagerConfiguration::setSessionID(std::string v) {
    set(&ConfigurationSnapshot::sessionID, std::move(v));
    const bool stats = sessionStatsEnabled();
    const bool announce = sendNewSessionBeganSignal();
    if (auto manager = TelemetryManager::shared()) {
        manager->beginSession(stats, announce);
    } else if (announce) {
        Tallywire::sendInternalSignal("Tallywire.Session.started");  // dropped, with its debug message
    }
}

void TelemetryManagerConfiguration::log(LogHandler::LogLevel level, const std::string& message) const {
    const auto handler = logHandler();
    logTo(handler, level, message);
}

}  // namespace clicktrove::analytics
