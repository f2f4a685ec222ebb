#pragma once

#include "analytics/log_handler.hpp"
#include "analytics/telemetry_environment.hpp"
#include "analytics/telemetry_manager_configuration.hpp"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace clicktrove::analytics {

// The client's public face: initialise once, then send named signals with text parameters. Any thread may call
// it; the app calls it on the main thread.
class Tallywire {
public:
    using Parameters = std::map<std::string, std::string>;

    Tallywire() = delete;

    // Creates a manager for the configuration and installs it as the process-wide one, replacing any earlier.
    static void initialize(std::shared_ptr<TelemetryManagerConfiguration> configuration,
                           TelemetryEnvironment environment);
    // Uninstalls the manager; later signals are dropped until the next initialize.
    static void terminate();

    // The public send: drop rules, prefixes and reserved-name warnings, then sendInternalSignal.
    static void signal(const std::string& name, const Parameters& parameters = {},
                       std::optional<double> floatValue = std::nullopt,
                       std::optional<std::string> customUserID = std::nullopt);
    // The send of the client's own signals: merges the default parameters and queues the signal.
    static void sendInternalSignal(const std::string& name, const Parameters& parameters = {},
                                   std::optional<double> floatValue = std::nullopt,
                                   std::optional<std::string> customUserID = std::nullopt);

    static void generateNewSession();
    static void updateDefaultUser(std::optional<std::string> user);
    static void requestImmediateSync();

    // Lifecycle of the application, which Linux does not announce: the app calls these from its main loop
    // (will-terminate also on SIGTERM) and from its main window's focus changes.
    static void applicationWillTerminate();
    static void applicationDidResignActive();
    static void applicationWillBecomeActive();

    // Where messages go while no manager is installed (a signal then is dropped with a debug message).
    // Defaults to the system log at level info.
    static void setUnattachedLogHandler(std::optional<LogHandler> handler);

    static Parameters applyParameterPrefix(const Parameters& parameters, const ConfigurationSnapshot& configuration);
    // The 25 reserved names, lower-cased.
    static const std::set<std::string>& reservedParameterNames();
};

}  // namespace clicktrove::analytics
