// The ready-made signal families and duration signals of the facade.
#include "analytics/default_signal_payload.hpp"
#include "analytics/navigation_status.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics/track_navigation_modifier.hpp"

#include <cmath>

namespace clicktrove::analytics {

namespace {

using Parameters = Tallywire::Parameters;

// The operation's own parameters with the caller's laid over them.
Parameters merged(Parameters own, const Parameters& caller) {
    for (const auto& [k, v] : caller) own[k] = v;
    return own;
}

void send(const std::string& name, Parameters own, const Parameters& caller, std::optional<std::string> customUserID,
          std::optional<double> floatValue = std::nullopt) {
    Tallywire::sendInternalSignal(name, merged(std::move(own), caller), floatValue, std::move(customUserID));
}

void sendError(const std::string& id, std::optional<ErrorCategory> category, std::optional<std::string> message,
               const Parameters& parameters, std::optional<double> floatValue,
               std::optional<std::string> customUserID) {
    Parameters own{{"Tallywire.Error.id", id}};
    if (category) own["Tallywire.Error.category"] = std::string(rawValue(*category));
    if (message) own["Tallywire.Error.message"] = *message;
    send("Tallywire.Error.occurred", std::move(own), parameters, std::move(customUserID), floatValue);
}

}  // namespace

void Tallywire::startDurationSignal(const std::string& name, const Parameters& parameters, bool includeBackgroundTime) {
    if (auto manager = TelemetryManager::shared()) {
        manager->durationSignalTracker().startSignal(name, parameters, includeBackgroundTime);
    }
}

void Tallywire::cancelDurationSignal(const std::string& name) {
    if (auto manager = TelemetryManager::shared()) manager->durationSignalTracker().stopSignal(name);
}

void Tallywire::stopAndSendDurationSignal(const std::string& name, const Parameters& parameters,
                                          std::optional<double> floatValue, std::optional<std::string> customUserID) {
    auto manager = TelemetryManager::shared();
    if (!manager) return;
    auto stopped = manager->durationSignalTracker().stopSignal(name);
    if (!stopped) return;
    const double seconds = std::floor(stopped->first * 1000) / 1000;
    Parameters all{{"Tallywire.Signal.durationInSeconds", DefaultSignalPayload::doubleText(seconds)}};
    for (const auto& [k, v] : stopped->second) all[k] = v;
    for (const auto& [k, v] : parameters) all[k] = v;
    sendInternalSignal(name, all, floatValue, std::move(customUserID));
}

void Tallywire::userAcquired(const std::string& channel, const Parameters& parameters,
                             std::optional<std::string> customUserID) {
    send("Tallywire.Acquisition.userAcquired", {{"Tallywire.Acquisition.channel", channel}}, parameters,
         std::move(customUserID));
}

void Tallywire::leadStarted(const std::string& leadID, const Parameters& parameters,
                            std::optional<std::string> customUserID) {
    send("Tallywire.Acquisition.leadStarted", {{"Tallywire.Acquisition.leadID", leadID}}, parameters,
         std::move(customUserID));
}

void Tallywire::leadConverted(const std::string& leadID, const Parameters& parameters,
                              std::optional<std::string> customUserID) {
    send("Tallywire.Acquisition.leadConverted", {{"Tallywire.Acquisition.leadID", leadID}}, parameters,
         std::move(customUserID));
}

void Tallywire::onboardingCompleted(const Parameters& parameters, std::optional<std::string> customUserID) {
    send("Tallywire.Activation.onboardingCompleted", {}, parameters, std::move(customUserID));
}

void Tallywire::coreFeatureUsed(const std::string& featureName, const Parameters& parameters,
                                std::optional<std::string> customUserID) {
    send("Tallywire.Activation.coreFeatureUsed", {{"Tallywire.Activation.featureName", featureName}}, parameters,
         std::move(customUserID));
}

void Tallywire::referralSent(int receiversCount, std::optional<std::string> kind, const Parameters& parameters,
                             std::optional<std::string> customUserID) {
    Parameters own{{"Tallywire.Referral.receiversCount", std::to_string(receiversCount)}};
    if (kind) own["Tallywire.Referral.kind"] = *kind;
    send("Tallywire.Referral.sent", std::move(own), parameters, std::move(customUserID));
}

void Tallywire::userRatingSubmitted(int rating, std::optional<std::string> comment, const Parameters& parameters,
                                    std::optional<std::string> customUserID) {
    if (rating < 0 || rating > 10) {
        if (auto manager = TelemetryManager::shared()) {
            manager->configuration()->log(LogHandler::LogLevel::error, "Rating must be between 0 and 10");
        }
        return;
    }
    Parameters own{{"Tallywire.Referral.ratingValue", std::to_string(rating)}};
    if (comment) own["Tallywire.Referral.ratingComment"] = *comment;
    send("Tallywire.Referral.userRatingSubmitted", std::move(own), parameters, std::move(customUserID));
}

void Tallywire::paywallShown(const std::string& reason, const Parameters& parameters,
                             std::optional<std::string> customUserID) {
    send("Tallywire.Revenue.paywallShown", {{"Tallywire.Revenue.paywallShowReason", reason}}, parameters,
         std::move(customUserID));
}

void Tallywire::errorOccurred(const std::string& id, std::optional<ErrorCategory> category,
                              std::optional<std::string> message, const Parameters& parameters,
                              std::optional<double> floatValue, std::optional<std::string> customUserID) {
    sendError(id, category, std::move(message), parameters, floatValue, std::move(customUserID));
}

void Tallywire::errorOccurred(const IdentifiableError& error, ErrorCategory category, const Parameters& parameters,
                              std::optional<double> floatValue, std::optional<std::string> customUserID) {
    sendError(error.id(), category, error.localizedDescription(), parameters, floatValue, std::move(customUserID));
}

void Tallywire::errorOccurred(const IdentifiableError& error, ErrorCategory category,
                              std::optional<std::string> message, const Parameters& parameters,
                              std::optional<double> floatValue, std::optional<std::string> customUserID) {
    sendError(error.id(), category, std::move(message), parameters, floatValue, std::move(customUserID));
}

void Tallywire::navigationPathChanged(const std::string& source, const std::string& destination,
                                      std::optional<std::string> customUserID) {
    NavigationStatus::shared().setPreviousNavigationPath(destination);
    sendInternalSignal("Tallywire.Navigation.pathChanged",
                       {{"Tallywire.Navigation.schemaVersion", "1"},
                        {"Tallywire.Navigation.identifier", source + " -> " + destination},
                        {"Tallywire.Navigation.sourcePath", source},
                        {"Tallywire.Navigation.destinationPath", destination}},
                       std::nullopt, std::move(customUserID));
}

void Tallywire::navigationPathChangedTo(const std::string& destination, std::optional<std::string> customUserID) {
    navigationPathChanged(NavigationStatus::shared().previousNavigationPath().value_or(""), destination,
                          std::move(customUserID));
}

void TrackNavigationModifier::onAppear() const {
    Tallywire::navigationPathChangedTo(path_);
}

}  // namespace clicktrove::analytics
