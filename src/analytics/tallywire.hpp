#pragma once

#include "analytics/error_category.hpp"
#include "analytics/identifiable_error.hpp"
#include "analytics/log_handler.hpp"
#include "analytics/store_transaction.hpp"
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

    // Duration signals: the stopped signal carries "Tallywire.Signal.durationInSeconds".
    static void startDurationSignal(const std::string& name, const Parameters& parameters = {},
                                    bool includeBackgroundTime = false);
    static void cancelDurationSignal(const std::string& name);
    static void stopAndSendDurationSignal(const std::string& name, const Parameters& parameters = {},
                                          std::optional<double> floatValue = std::nullopt,
                                          std::optional<std::string> customUserID = std::nullopt);

    // Ready-made signals of common product events. The caller's parameters win over the operation's own.
    static void userAcquired(const std::string& channel, const Parameters& parameters = {},
                             std::optional<std::string> customUserID = std::nullopt);
    static void leadStarted(const std::string& leadID, const Parameters& parameters = {},
                            std::optional<std::string> customUserID = std::nullopt);
    static void leadConverted(const std::string& leadID, const Parameters& parameters = {},
                              std::optional<std::string> customUserID = std::nullopt);
    static void onboardingCompleted(const Parameters& parameters = {},
                                    std::optional<std::string> customUserID = std::nullopt);
    static void coreFeatureUsed(const std::string& featureName, const Parameters& parameters = {},
                                std::optional<std::string> customUserID = std::nullopt);
    static void referralSent(int receiversCount = 1, std::optional<std::string> kind = std::nullopt,
                             const Parameters& parameters = {}, std::optional<std::string> customUserID = std::nullopt);
    // Only ratings from 0 to 10 are sent; others are logged and dropped.
    static void userRatingSubmitted(int rating, std::optional<std::string> comment = std::nullopt,
                                    const Parameters& parameters = {},
                                    std::optional<std::string> customUserID = std::nullopt);
    static void paywallShown(const std::string& reason, const Parameters& parameters = {},
                             std::optional<std::string> customUserID = std::nullopt);
    static void errorOccurred(const std::string& id, std::optional<ErrorCategory> category = std::nullopt,
                              std::optional<std::string> message = std::nullopt, const Parameters& parameters = {},
                              std::optional<double> floatValue = std::nullopt,
                              std::optional<std::string> customUserID = std::nullopt);
    // The message is the error's description.
    static void errorOccurred(const IdentifiableError& error, ErrorCategory category, const Parameters& parameters = {},
                              std::optional<double> floatValue = std::nullopt,
                              std::optional<std::string> customUserID = std::nullopt);
    static void errorOccurred(const IdentifiableError& error, ErrorCategory category,
                              std::optional<std::string> message, const Parameters& parameters = {},
                              std::optional<double> floatValue = std::nullopt,
                              std::optional<std::string> customUserID = std::nullopt);
    static void navigationPathChanged(const std::string& source, const std::string& destination,
                                      std::optional<std::string> customUserID = std::nullopt);
    // From the destination of the previous report (empty for the first).
    static void navigationPathChangedTo(const std::string& destination,
                                        std::optional<std::string> customUserID = std::nullopt);

    // A store purchase: "Tallywire.Purchase.freeTrialStarted" for the free-trial start of an auto-renewable
    // subscription (whose conversion is then watched for), else "Tallywire.Purchase.completed" with the price
    // in US dollars as float value. The caller's parameters win over the purchase's own.
    static void purchaseCompleted(const StoreTransaction& transaction, const Parameters& parameters = {},
                                  std::optional<std::string> customUserID = std::nullopt);

    static Parameters applyParameterPrefix(const Parameters& parameters, const ConfigurationSnapshot& configuration);
    // The 25 reserved names, lower-cased.
    static const std::set<std::string>& reservedParameterNames();
};

}  // namespace clicktrove::analytics
