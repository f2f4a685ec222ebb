#pragma once

#include "analytics/configuration_snapshot.hpp"

#include <mutex>
#include <shared_mutex>

namespace clicktrove::analytics {

// Every setting of the analytics client, shared by reference between the app, the manager and the upload
// thread. Each property is read and written under one reader-writer lock; snapshot() copies them all at once.
class TelemetryManagerConfiguration {
public:
    // The smallest interval between uploads: a zero, negative or NaN setting would otherwise spin the timer.
    static constexpr double minimumTransmitInterval = 1.0;

    explicit TelemetryManagerConfiguration(std::string appID, std::optional<std::string> salt = std::nullopt,
                                           std::optional<std::string> baseURL = std::nullopt,
                                           std::optional<std::string> telemetryNamespace = std::nullopt);

    // The ingestion endpoint used when no base URL is given: a setting of the build.
    static std::string defaultIngestionEndpoint();

    ConfigurationSnapshot snapshot() const;

    std::string telemetryAppID() const { return get(&ConfigurationSnapshot::telemetryAppID); }
    void setTelemetryAppID(std::string v) { set(&ConfigurationSnapshot::telemetryAppID, std::move(v)); }
    std::string apiBaseURL() const { return get(&ConfigurationSnapshot::apiBaseURL); }
    void setApiBaseURL(std::string v) { set(&ConfigurationSnapshot::apiBaseURL, std::move(v)); }
    std::optional<std::string> telemetryNamespace() const { return get(&ConfigurationSnapshot::telemetryNamespace); }
    void setTelemetryNamespace(std::optional<std::string> v) {
        set(&ConfigurationSnapshot::telemetryNamespace, std::move(v));
    }
    std::string salt() const { return get(&ConfigurationSnapshot::salt); }
    void setSalt(std::string v) { set(&ConfigurationSnapshot::salt, std::move(v)); }
    std::optional<std::string> defaultUser() const { return get(&ConfigurationSnapshot::defaultUser); }
    void setDefaultUser(std::optional<std::string> v) { set(&ConfigurationSnapshot::defaultUser, std::move(v)); }
    std::optional<std::string> defaultSignalPrefix() const { return get(&ConfigurationSnapshot::defaultSignalPrefix); }
    void setDefaultSignalPrefix(std::optional<std::string> v) {
        set(&ConfigurationSnapshot::defaultSignalPrefix, std::move(v));
    }
    std::optional<std::string> defaultParameterPrefix() const {
        return get(&ConfigurationSnapshot::defaultParameterPrefix);
    }
    void setDefaultParameterPrefix(std::optional<std::string> v) {
        set(&ConfigurationSnapshot::defaultParameterPrefix, std::move(v));
    }
    void setDefaultParameters(std::function<std::map<std::string, std::string>()> v) {
        set(&ConfigurationSnapshot::defaultParameters, std::move(v));
    }
    bool sendNewSessionBeganSignal() const { return get(&ConfigurationSnapshot::sendNewSessionBeganSignal); }
    void setSendNewSessionBeganSignal(bool v) { set(&ConfigurationSnapshot::sendNewSessionBeganSignal, v); }
    std::string sessionID() const { return get(&ConfigurationSnapshot::sessionID); }
    // Stores the identifier, then begins a session in the session statistics (when they are on) and sends
    // "Tallywire.Session.started" (when that is on).
    void setSessionID(std::string v);
    // Stores the identifier and nothing else: the manager's first session, whose start follows later.
    void storeSessionID(std::string v) { set(&ConfigurationSnapshot::sessionID, std::move(v)); }
    int cacheLimit() const { return get(&ConfigurationSnapshot::cacheLimit); }
    // A negative limit is stored as 0.
    void setCacheLimit(int v) { set(&ConfigurationSnapshot::cacheLimit, v < 0 ? 0 : v); }
    double transmitInterval() const { return get(&ConfigurationSnapshot::transmitInterval); }
    // Values below minimumTransmitInterval, and NaN, are stored as minimumTransmitInterval.
    void setTransmitInterval(double v);
    double maxBackoffInterval() const { return get(&ConfigurationSnapshot::maxBackoffInterval); }
    void setMaxBackoffInterval(double v) { set(&ConfigurationSnapshot::maxBackoffInterval, v); }
    bool sendSignalsInDebugConfiguration() const {
        return get(&ConfigurationSnapshot::sendSignalsInDebugConfiguration);
    }
    void setSendSignalsInDebugConfiguration(bool v) { set(&ConfigurationSnapshot::sendSignalsInDebugConfiguration, v); }
    bool testMode() const {
        return snapshotField([](const ConfigurationSnapshot& s) { return s.testMode(); });
    }
    void setTestMode(bool v) { set(&ConfigurationSnapshot::testModeStorage, std::optional<bool>(v)); }
    bool swiftUIPreviewMode() const {
        return snapshotField([](const ConfigurationSnapshot& s) { return s.swiftUIPreviewMode(); });
    }
    void setSwiftUIPreviewMode(bool v) { set(&ConfigurationSnapshot::previewModeStorage, std::optional<bool>(v)); }
    bool analyticsDisabled() const { return get(&ConfigurationSnapshot::analyticsDisabled); }
    void setAnalyticsDisabled(bool v) { set(&ConfigurationSnapshot::analyticsDisabled, v); }
    bool reservedParameterWarningsEnabled() const {
        return get(&ConfigurationSnapshot::reservedParameterWarningsEnabled);
    }
    void setReservedParameterWarningsEnabled(bool v) {
        set(&ConfigurationSnapshot::reservedParameterWarningsEnabled, v);
    }
    bool sessionStatsEnabled() const { return get(&ConfigurationSnapshot::sessionStatsEnabled); }
    void setSessionStatsEnabled(bool v) { set(&ConfigurationSnapshot::sessionStatsEnabled, v); }
    bool showDebugLogs() const { return get(&ConfigurationSnapshot::showDebugLogs); }
    void setShowDebugLogs(bool v) { set(&ConfigurationSnapshot::showDebugLogs, v); }
    std::optional<LogHandler> logHandler() const { return get(&ConfigurationSnapshot::logHandler); }
    void setLogHandler(std::optional<LogHandler> v) { set(&ConfigurationSnapshot::logHandler, std::move(v)); }
    std::vector<std::shared_ptr<SignalEnricher>> metadataEnrichers() const {
        return get(&ConfigurationSnapshot::metadataEnrichers);
    }
    void setMetadataEnrichers(std::vector<std::shared_ptr<SignalEnricher>> v) {
        set(&ConfigurationSnapshot::metadataEnrichers, std::move(v));
    }

    void log(LogHandler::LogLevel level, const std::string& message) const;

private:
    template <class T>
    T get(T ConfigurationSnapshot::*member) const {
        std::shared_lock lock(mutex_);
        return values_.*member;
    }
    template <class T>
    void set(T ConfigurationSnapshot::*member, T value) {
        std::unique_lock lock(mutex_);
        values_.*member = std::move(value);
    }
    template <class F>
    bool snapshotField(F f) const {
        std::shared_lock lock(mutex_);
        return f(values_);
    }

    mutable std::shared_mutex mutex_;
    ConfigurationSnapshot values_;
};

}  // namespace clicktrove::analytics
