#pragma once

#include "analytics/log_handler.hpp"
#include "analytics/signal_enricher.hpp"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::analytics {

// Every setting of the client as plain values. The configuration hands out a copy so that one signal is
// processed against one consistent set of settings while the app may change them on another thread.
struct ConfigurationSnapshot {
    std::string telemetryAppID;
    std::string apiBaseURL;
    std::optional<std::string> telemetryNamespace;
    std::string salt;
    std::optional<std::string> defaultUser;
    std::optional<std::string> defaultSignalPrefix;
    std::optional<std::string> defaultParameterPrefix;
    std::function<std::map<std::string, std::string>()> defaultParameters;
    bool sendNewSessionBeganSignal = true;
    std::string sessionID;
    int cacheLimit = 10000;
    double transmitInterval = 10.0;
    double maxBackoffInterval = 300.0;
    bool sendSignalsInDebugConfiguration = false;
    std::optional<bool> testModeStorage;
    std::optional<bool> previewModeStorage;
    bool analyticsDisabled = false;
    bool reservedParameterWarningsEnabled = true;
    bool sessionStatsEnabled = true;
    bool showDebugLogs = false;
    std::optional<LogHandler> logHandler;
    std::vector<std::shared_ptr<SignalEnricher>> metadataEnrichers;

    bool testMode() const { return testModeStorage.value_or(false); }
    // Unset storage follows the environment variable XCODE_RUNNING_FOR_PREVIEWS="1", read at each call.
    bool swiftUIPreviewMode() const;
    void log(LogHandler::LogLevel level, const std::string& message) const { logTo(logHandler, level, message); }
};

}  // namespace clicktrove::analytics
