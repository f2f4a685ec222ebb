#include "analytics/tallywire.hpp"

#include "analytics/telemetry_manager.hpp"
#include "analytics/telemetry_manager_storage.hpp"
#include "analytics/uuid.hpp"

#include <algorithm>
#include <mutex>

namespace clicktrove::analytics {

using Level = LogHandler::LogLevel;

namespace {

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::mutex unattachedMutex;
std::optional<LogHandler> unattachedHandler = LogHandler::standard(Level::info);

void logUnattached(const std::string& message) {
    std::optional<LogHandler> handler;
    {
        std::lock_guard lock(unattachedMutex);
        handler = unattachedHandler;
    }
    logTo(handler, Level::debug, message);
}

void checkParameterKey(const std::string& key, const ConfigurationSnapshot& config) {
    const std::string lower = lowercased(key);
    if (startsWith(lower, "tallywire.")) {
        config.log(Level::error,
                   "Sending parameter with reserved key prefix 'Tallywire.' will cause unexpected behavior. Please use "
                   "another prefix instead.");
    } else if (Tallywire::reservedParameterNames().count(lower) != 0) {
        config.log(Level::error, "Sending parameter with reserved key '" + key +
                                     "' will cause unexpected behavior. Please use another key instead.");
    }
}

}  // namespace

const std::set<std::string>& Tallywire::reservedParameterNames() {
    static const std::set<std::string> names = [] {
        std::set<std::string> s;
        for (const char* name : {"type",
                                 "clientUser",
                                 "appID",
                                 "sessionID",
                                 "floatValue",
                                 "newSessionBegan",
                                 "platform",
                                 "systemVersion",
                                 "majorSystemVersion",
                                 "majorMinorSystemVersion",
                                 "appVersion",
                                 "buildNumber",
                                 "isSimulator",
                                 "isDebug",
                                 "isTestFlight",
                                 "isAppStore",
                                 "modelName",
                                 "architecture",
                                 "operatingSystem",
                                 "targetEnvironment",
                                 "locale",
                                 "region",
                                 "appLanguage",
                                 "preferredLanguage",
                                 "telemetryClientVersion"}) {
            s.insert(lowercased(name));
        }
        return s;
    }();
    return names;
}

void Tallywire::initialize(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                           TelemetryEnvironment environment) {
    // The replaced manager goes first: its cache writes its file and lets it go, so that the new one loads what
    // the old one had not sent instead of leaving the file to it. Released outside the storage lock.
    auto previous = TelemetryManagerStorage::instance().exchange(nullptr);
    previous.reset();
    auto manager = TelemetryManager::create(std::move(configuration), std::move(environment));
    TelemetryManagerStorage::instance().exchange(manager);
    manager->resumeTrialConversionWatch();
}

void Tallywire::terminate() {
    auto previous = TelemetryManagerStorage::instance().exchange(nullptr);
}

void Tallywire::setUnattachedLogHandler(std::optional<LogHandler> handler) {
    std::lock_guard lock(unattachedMutex);
    unattachedHandler = std::move(handler);
}

Tallywire::Parameters Tallywire::applyParameterPrefix(const Parameters& parameters,
                                                      const ConfigurationSnapshot& configuration) {
    const std::string prefix = configuration.defaultParameterPrefix.value_or("");
    Parameters result;
    for (const auto& [key, value] : parameters) {
        result[startsWith(key, "Tallywire.") ? key : prefix + key] = value;
    }
    return result;
}

void Tallywire::signal(const std::string& name, const Parameters& parameters, std::optional<double> floatValue,
                       std::optional<std::string> customUserID) {
    const auto manager = TelemetryManager::shared();
    if (!manager) {
        logUnattached("Dropping signal " + name + ": the analytics client is not initialized");
        return;
    }
    const ConfigurationSnapshot config = manager->configuration()->snapshot();
    if (config.swiftUIPreviewMode() || config.analyticsDisabled) return;

    const std::string prefixedName = config.defaultSignalPrefix.value_or("") + name;
    const Parameters prefixed = applyParameterPrefix(parameters, config);
    if (config.reservedParameterWarningsEnabled) {
        const std::string lower = lowercased(prefixedName);
        if (startsWith(lower, "tallywire.")) {
            config.log(Level::error,
                       "Sending signal with reserved prefix 'Tallywire.' will cause unexpected behavior. Please use "
                       "another prefix instead.");
        } else if (reservedParameterNames().count(lower) != 0) {
            config.log(Level::error, "Sending signal with reserved name '" + prefixedName +
                                         "' will cause unexpected behavior. Please use another name instead.");
        }
        for (const auto& [key, value] : prefixed) checkParameterKey(key, config);
    }
    sendInternalSignal(prefixedName, prefixed, floatValue, std::move(customUserID));
}

void Tallywire::sendInternalSignal(const std::string& name, const Parameters& parameters,
                                   std::optional<double> floatValue, std::optional<std::string> customUserID) {
    const auto manager = TelemetryManager::shared();
    if (!manager) {
        // Creating a manager here would start timers and a deferred session for every such signal.
        logUnattached("Dropping signal " + name + ": the analytics client is not initialized");
        return;
    }
    ConfigurationSnapshot config = manager->configuration()->snapshot();
    if (config.swiftUIPreviewMode() || config.analyticsDisabled) return;

    const Parameters defaults =
        applyParameterPrefix(config.defaultParameters ? config.defaultParameters() : Parameters{}, config);
    Parameters merged = defaults;
    for (const auto& [key, value] : parameters) merged[key] = value;
    for (const auto& [key, value] : defaults) checkParameterKey(key, config);

    manager->signalManager().processSignal(name, floatValue, std::move(customUserID), std::move(merged),
                                           std::move(config));
}

void Tallywire::generateNewSession() {
    if (auto manager = TelemetryManager::shared()) manager->configuration()->setSessionID(randomUuidString());
}

void Tallywire::updateDefaultUser(std::optional<std::string> user) {
    if (auto manager = TelemetryManager::shared()) manager->configuration()->setDefaultUser(std::move(user));
}

void Tallywire::requestImmediateSync() {
    if (auto manager = TelemetryManager::shared()) manager->requestImmediateSync();
}

void Tallywire::applicationWillTerminate() {
    auto manager = TelemetryManager::shared();
    if (!manager) return;
    if (auto* sessions = manager->existingSessionManager()) sessions->applicationWillTerminate();
    manager->signalManager().appWillTerminate();
}

void Tallywire::applicationDidResignActive() {
    auto manager = TelemetryManager::shared();
    if (!manager) return;
    if (auto* sessions = manager->existingSessionManager()) sessions->handleDidEnterBackgroundNotification();
    if (auto* durations = manager->existingDurationSignalTracker()) durations->handleDidEnterBackgroundNotification();
}

void Tallywire::applicationWillBecomeActive() {
    auto manager = TelemetryManager::shared();
    if (!manager) return;
    if (auto* sessions = manager->existingSessionManager()) sessions->handleWillEnterForegroundNotification();
    if (auto* durations = manager->existingDurationSignalTracker()) durations->handleWillEnterForegroundNotification();
}

}  // namespace clicktrove::analytics
