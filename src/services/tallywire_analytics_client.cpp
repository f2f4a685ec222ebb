#include "services/tallywire_analytics_client.hpp"

#include "analytics/linux_platform_facts_source.hpp"
#include "analytics/tallywire.hpp"
#include "build_config.hpp"
#include "platform/file_user_defaults.hpp"

namespace clicktrove {

namespace {

analytics::LogHandler::LogLevel toClientLevel(AnalyticsClient::LogLevel level) {
    switch (level) {
        case AnalyticsClient::LogLevel::debug:
            return analytics::LogHandler::LogLevel::debug;
        case AnalyticsClient::LogLevel::info:
            return analytics::LogHandler::LogLevel::info;
        case AnalyticsClient::LogLevel::error:
            return analytics::LogHandler::LogLevel::error;
    }
    return analytics::LogHandler::LogLevel::info;
}

}  // namespace

TallywireAnalyticsClient::TallywireAnalyticsClient(analytics::TelemetryEnvironment environment)
    : environment_(std::move(environment)) {}

std::shared_ptr<AnalyticsClient> TallywireAnalyticsClient::forAppID(const std::string& appID,
                                                                    analytics::TelemetryEnvironment environment) {
    if (appID.empty()) return std::make_shared<EmptyAnalyticsClient>();
    return std::make_shared<TallywireAnalyticsClient>(std::move(environment));
}

std::shared_ptr<AnalyticsClient> TallywireAnalyticsClient::forBuild(std::shared_ptr<platform::MainQueue> mainQueue) {
    const std::string appID = CLICKTROVE_ANALYTICS_APP_ID;
    // No threads, no files, no network for a build that sends nothing.
    if (appID.empty()) return std::make_shared<EmptyAnalyticsClient>();
    return forAppID(appID,
                    analytics::TelemetryEnvironment::production(std::move(mainQueue), [](const std::string& suiteName) {
                        return platform::FileUserDefaults::suite(suiteName);
                    }));
}

void TallywireAnalyticsClient::initialize(const Configuration& configuration) {
    auto config = std::make_shared<analytics::TelemetryManagerConfiguration>(
        configuration.appID, configuration.salt, configuration.baseURL, configuration.signalNamespace);
    config->setLogHandler(analytics::LogHandler::standard(toClientLevel(configuration.logLevel)));
    if (configuration.testMode) config->setTestMode(*configuration.testMode);
    analytics::Tallywire::initialize(std::move(config), environment_);
}

void TallywireAnalyticsClient::signal(const std::string& name, const Parameters& parameters) {
    analytics::Tallywire::signal(name, parameters);
}

void TallywireAnalyticsClient::setDisplayFactsSource(DisplayFactsSource source) {
    auto linux = std::dynamic_pointer_cast<analytics::LinuxPlatformFactsSource>(environment_.platformFacts);
    if (!linux) return;
    if (!source) {
        linux->setAppFacts(nullptr);
        return;
    }
    linux->setAppFacts([source = std::move(source)](analytics::PlatformFacts& platform) {
        const DisplayFacts facts = source();
        if (facts.screenWidth && facts.screenHeight) {
            platform.mainScreen = analytics::PlatformFacts::Screen{*facts.screenWidth, *facts.screenHeight,
                                                                   facts.screenScale.value_or(1.0)};
        }
        platform.colorScheme = facts.colorScheme;
        if (facts.rightToLeft) {
            platform.layoutDirection = *facts.rightToLeft ? analytics::PlatformFacts::LayoutDirection::rightToLeft
                                                          : analytics::PlatformFacts::LayoutDirection::leftToRight;
        }
    });
}

void TallywireAnalyticsClient::applicationWillTerminate() {
    analytics::Tallywire::applicationWillTerminate();
}

void TallywireAnalyticsClient::applicationDidResignActive() {
    analytics::Tallywire::applicationDidResignActive();
}

void TallywireAnalyticsClient::applicationWillBecomeActive() {
    analytics::Tallywire::applicationWillBecomeActive();
}

}  // namespace clicktrove
