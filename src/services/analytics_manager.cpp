#include "services/analytics_manager.hpp"

#include "build_config.hpp"
#include "services/tallywire_analytics_client.hpp"

namespace clicktrove {

AnalyticsManager& AnalyticsManager::shared() {
    // Never destroyed: signals sent during static teardown must still find it.
    static AnalyticsManager* const instance = new AnalyticsManager();
    return *instance;
}

AnalyticsManager::AnalyticsManager(std::shared_ptr<AnalyticsClient> client) : client_(std::move(client)) {
    if (!client_) client_ = std::make_shared<EmptyAnalyticsClient>();
}

void AnalyticsManager::setClient(std::shared_ptr<AnalyticsClient> client) {
    std::lock_guard lock(mutex_);
    client_ = client ? std::move(client) : std::make_shared<EmptyAnalyticsClient>();
}

void AnalyticsManager::useBuildClient(std::shared_ptr<platform::MainQueue> mainQueue) {
    setClient(TallywireAnalyticsClient::forBuild(std::move(mainQueue)));
}

std::shared_ptr<AnalyticsClient> AnalyticsManager::client() const {
    std::lock_guard lock(mutex_);
    return client_;
}

AnalyticsClient::Configuration AnalyticsManager::configuration() {
    AnalyticsClient::Configuration configuration;
    configuration.appID = CLICKTROVE_ANALYTICS_APP_ID;
    configuration.logLevel = AnalyticsClient::LogLevel::debug;
    configuration.testMode = false;
    return configuration;
}

void AnalyticsManager::configure() {
    client()->initialize(configuration());
}

void AnalyticsManager::track(const std::string& name, const Parameters& parameters) {
    client()->signal(name, parameters);
}

void AnalyticsManager::setDisplayFactsSource(AnalyticsClient::DisplayFactsSource source) {
    client()->setDisplayFactsSource(std::move(source));
}

void AnalyticsManager::applicationWillTerminate() {
    client()->applicationWillTerminate();
}

void AnalyticsManager::applicationDidResignActive() {
    client()->applicationDidResignActive();
}

void AnalyticsManager::applicationWillBecomeActive() {
    client()->applicationWillBecomeActive();
}

void AnalyticsManager::trackStartClicking(ClickType clickType) {
    track(kStartClicking, {{"clickType", std::string(displayText(clickType))}});
}

void AnalyticsManager::trackThemeChanged(AppTheme theme) {
    track(kThemeChanged, {{"theme", std::string(rawValue(theme))}});
}

void AnalyticsManager::trackAccentColorChanged(AccentThemeColor color) {
    track(kAccentColorChanged, {{"color", std::string(rawValue(color))}});
}

}  // namespace clicktrove
