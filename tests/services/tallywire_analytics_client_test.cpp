#include "services/tallywire_analytics_client.hpp"

#include "analytics/linux_platform_facts_source.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/in_memory_user_defaults.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/xdg_paths.hpp"
#include "services/analytics_manager.hpp"
#include "services/recording_analytics_client.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <deque>
#include <nlohmann/json.hpp>

namespace clicktrove {
namespace {

// Runs posted work when the test says so; timers never fire.
class QueuedScheduler final : public analytics::Scheduler {
public:
    TaskId schedule(std::chrono::nanoseconds delay, Task task) override {
        if (delay.count() == 0) posted_.push_back(std::move(task));
        return ++next_;
    }
    void cancel(TaskId) override {}
    void runPosted() {
        while (!posted_.empty()) {
            auto task = std::move(posted_.front());
            posted_.pop_front();
            task();
        }
    }

private:
    std::deque<Task> posted_;
    TaskId next_ = 0;
};

class NoTransport final : public platform::HttpTransport {
public:
    void send(platform::HttpRequest, Completion) override { ++requests; }
    int requests = 0;
};

class TallywireAnalyticsClientTest : public testing::TempHomeTest {
protected:
    analytics::TelemetryEnvironment environment() {
        analytics::TelemetryEnvironment env;
        env.clock = std::shared_ptr<const platform::Clock>(&clock, [](const auto*) {});
        env.mainQueue = mainQueue;
        env.scheduler = scheduler;
        env.transport = transport;
        env.openDefaultsSuite = [this](const std::string&) -> std::shared_ptr<platform::UserDefaults> { return suite; };
        env.cachesFolder = [] { return platform::xdg::cacheHome(); };
        env.platformFacts = std::make_shared<analytics::LinuxPlatformFactsSource>("1.0", "1");
        return env;
    }
    void TearDown() override { analytics::Tallywire::terminate(); }

    platform::FakeClock clock;
    std::shared_ptr<platform::ManualMainQueue> mainQueue = std::make_shared<platform::ManualMainQueue>(clock);
    std::shared_ptr<QueuedScheduler> scheduler = std::make_shared<QueuedScheduler>();
    std::shared_ptr<NoTransport> transport = std::make_shared<NoTransport>();
    std::shared_ptr<platform::InMemoryUserDefaults> suite = std::make_shared<platform::InMemoryUserDefaults>();
};

TEST_F(TallywireAnalyticsClientTest, ABuildWithoutAnApplicationIdentifierKeepsTheEmptyClient) {
    EXPECT_NE(dynamic_cast<EmptyAnalyticsClient*>(TallywireAnalyticsClient::forAppID("", environment()).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<TallywireAnalyticsClient*>(TallywireAnalyticsClient::forAppID("ID", environment()).get()),
              nullptr);
    if (AnalyticsManager::configuration().appID.empty()) {  // the build has no identifier
        EXPECT_NE(dynamic_cast<EmptyAnalyticsClient*>(TallywireAnalyticsClient::forBuild(mainQueue).get()), nullptr);
        // The manager switched to the build's client no longer reaches the one it had, and installs nothing.
        auto previous = std::make_shared<RecordingAnalyticsClient>();
        AnalyticsManager manager(previous);
        manager.useBuildClient(mainQueue);
        manager.configure();
        manager.track(AnalyticsManager::kAppLaunched);
        EXPECT_TRUE(previous->configurations().empty());
        EXPECT_TRUE(previous->sent().empty());
        EXPECT_FALSE(analytics::TelemetryManager::isInstalled());
    }
}

TEST_F(TallywireAnalyticsClientTest, TheManagersConfigurationAndSignalsReachTheClient) {
    AnalyticsManager manager(TallywireAnalyticsClient::forAppID("ID", environment()));
    manager.configure();
    const AnalyticsClient::Configuration configuration = AnalyticsManager::configuration();

    auto installed = analytics::TelemetryManager::shared();
    ASSERT_NE(installed, nullptr);
    const auto config = installed->configuration()->snapshot();
    EXPECT_EQ(config.telemetryAppID, configuration.appID);
    EXPECT_EQ(config.apiBaseURL, analytics::TelemetryManagerConfiguration::defaultIngestionEndpoint());
    EXPECT_FALSE(config.testMode());
    ASSERT_TRUE(config.logHandler.has_value());
    EXPECT_EQ(config.logHandler->logLevel, analytics::LogHandler::LogLevel::debug);

    manager.track(AnalyticsManager::kAppLaunched);
    manager.trackStartClicking(ClickType::doubleClick);
    mainQueue->drain();
    scheduler->runPosted();
    EXPECT_EQ(installed->signalManager().cachedSignalCount(), 2u);

    // The display is asked at each signal, so a later change of theme or screen shows in later signals.
    AnalyticsClient::DisplayFacts display{1920.0, 1080.0, 2.0, std::string("Dark"), false};
    manager.setDisplayFactsSource([&display] { return display; });
    manager.track("WithFacts");
    mainQueue->drain();
    scheduler->runPosted();
    display = {std::nullopt, std::nullopt, std::nullopt, std::string("Light"), true};
    manager.track("AfterTheChange");
    mainQueue->drain();
    scheduler->runPosted();

    manager.applicationWillTerminate();
    const auto file = tempHome.cacheHome() / analytics::TelemetryManager::defaultsSuiteName(configuration.appID) /
                      "telemetrysignalcache";
    const auto saved = nlohmann::json::parse(testing::readFile(file));
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0]["type"], "AppLaunched");
    EXPECT_EQ(saved[1]["payload"]["clickType"], "Double Click");
    EXPECT_EQ(saved[0]["payload"]["Tallywire.Device.screenResolutionWidth"], "N/A");
    EXPECT_EQ(saved[2]["payload"]["Tallywire.Device.screenResolutionWidth"], "1920.0");
    EXPECT_EQ(saved[2]["payload"]["Tallywire.Device.screenScaleFactor"], "2.0");
    EXPECT_EQ(saved[2]["payload"]["Tallywire.UserPreference.colorScheme"], "Dark");
    EXPECT_EQ(saved[2]["payload"]["Tallywire.UserPreference.layoutDirection"], "leftToRight");
    EXPECT_EQ(saved[3]["payload"]["Tallywire.Device.screenResolutionWidth"], "N/A");
    EXPECT_EQ(saved[3]["payload"]["Tallywire.UserPreference.colorScheme"], "Light");
    EXPECT_EQ(saved[3]["payload"]["Tallywire.UserPreference.layoutDirection"], "rightToLeft");
    EXPECT_EQ(transport->requests, 0);
}

}  // namespace
}  // namespace clicktrove
