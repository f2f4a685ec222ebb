#include "services/analytics_manager.hpp"
#include "services/recording_analytics_client.hpp"

#include <gtest/gtest.h>
#include <memory>

using clicktrove::AccentThemeColor;
using clicktrove::AnalyticsClient;
using clicktrove::AnalyticsManager;
using clicktrove::AppTheme;
using clicktrove::ClickType;
using clicktrove::RecordingAnalyticsClient;
using Signal = RecordingAnalyticsClient::Signal;

class AnalyticsManagerTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingAnalyticsClient> client = std::make_shared<RecordingAnalyticsClient>();
    AnalyticsManager analytics{client};
};

TEST_F(AnalyticsManagerTest, ConfigureInitialisesTheClientOnceWithTheProgramsConfiguration) {
    analytics.configure();
    ASSERT_EQ(client->configurations().size(), 1u);
    const auto& c = client->configurations()[0];
    EXPECT_EQ(c.appID, CLICKTROVE_CONFIGURED_ANALYTICS_APP_ID) << "the build's identifier";
    EXPECT_EQ(c.logLevel, AnalyticsClient::LogLevel::debug);
    EXPECT_EQ(c.testMode, std::optional<bool>(false)) << "set explicitly, not left to the client";
    EXPECT_FALSE(c.salt);
    EXPECT_FALSE(c.baseURL);
    EXPECT_FALSE(c.signalNamespace);
    EXPECT_TRUE(client->sent().empty());
}

TEST_F(AnalyticsManagerTest, SignalsReachTheClientWithTheirCatalogueNamesAndParameters) {
    analytics.track(AnalyticsManager::kAppLaunched);
    analytics.trackStartClicking(ClickType::doubleClick);
    analytics.trackStartClicking(ClickType::holdMiddle);
    analytics.track(AnalyticsManager::kStopClicking);
    analytics.track(AnalyticsManager::kSavePresetAsNew);
    analytics.track(AnalyticsManager::kStartMacroRecording);
    analytics.trackThemeChanged(AppTheme::system);
    analytics.trackAccentColorChanged(AccentThemeColor::mint);
    analytics.track("Custom", {{"key", "value with spaces"}, {"other", ""}});
    const std::vector<Signal> expected = {
        {"AppLaunched", {}},
        {"StartClicking", {{"clickType", "Double Click"}}},
        {"StartClicking", {{"clickType", "Hold Middle Button"}}},
        {"StopClicking", {}},
        {"SavePresetAsNew", {}},
        {"StartMacroRecording", {}},
        {"ThemeChanged", {{"theme", "System"}}},
        {"AccentColorChanged", {{"color", "Mint"}}},
        {"Custom", {{"key", "value with spaces"}, {"other", ""}}},
    };
    EXPECT_EQ(client->sent(), expected);
}

// The shared instance is a default-made one; what it does is tested on one of the test's own.
TEST(AnalyticsManagerShared, IsOneInstanceAndADefaultManagerWorksWithoutAClientAndTakesOneWhenGiven) {
    EXPECT_EQ(&AnalyticsManager::shared(), &AnalyticsManager::shared());
    AnalyticsManager manager;
    manager.configure();  // the empty client: nothing happens, nothing fails
    manager.track(AnalyticsManager::kAppLaunched);

    auto client = std::make_shared<RecordingAnalyticsClient>();
    manager.setClient(client);
    manager.track(AnalyticsManager::kAppLaunched);
    manager.setClient(nullptr);
    manager.track(AnalyticsManager::kStopClicking);
    EXPECT_EQ(client->sent(), (std::vector<Signal>{{"AppLaunched", {}}}));
}
