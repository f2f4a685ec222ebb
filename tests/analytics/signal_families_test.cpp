#include "analytics/navigation_status.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/track_navigation_modifier.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>
#include <stdexcept>

namespace clicktrove::analytics {
namespace {

using Level = LogHandler::LogLevel;

class SignalFamiliesTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness.startQuiet();
        NavigationStatus::shared().setPreviousNavigationPath(std::nullopt);
    }
    // The signals sent, each with only its own keys (the default parameters left out).
    std::vector<nlohmann::json> sent() {
        return harness.flushKeeping([](const std::string& k) {
            const bool isDefault = k.rfind("Tallywire.Device.", 0) == 0 || k.rfind("Tallywire.AppInfo.", 0) == 0 ||
                                   k.rfind("Tallywire.RunContext.", 0) == 0 || k.rfind("Tallywire.SDK.", 0) == 0 ||
                                   k.rfind("Tallywire.Calendar.", 0) == 0 || k.rfind("Tallywire.Retention.", 0) == 0 ||
                                   k == "Tallywire.Acquisition.firstSessionDate" ||
                                   k.rfind("Tallywire.UserPreference.", 0) == 0 || k.find('.') == std::string::npos;
            return !isDefault || k == "mine";
        });
    }
    clicktrove::testing::AnalyticsHarness harness;
};

TEST_F(SignalFamiliesTest, OwnParametersOptionalKeysAndCallerOverrides) {
    Tallywire::userAcquired("ads", {{"Tallywire.Acquisition.channel", "caller"}, {"mine", "1"}});
    Tallywire::referralSent(3);
    Tallywire::referralSent(-2, std::string("email"));
    Tallywire::leadConverted("L7");
    Tallywire::onboardingCompleted();
    Tallywire::paywallShown("limit");
    const auto s = sent();
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0], (nlohmann::json{{"type", "Tallywire.Acquisition.userAcquired"},
                                    {"payload", {{"Tallywire.Acquisition.channel", "caller"}, {"mine", "1"}}}}));
    EXPECT_EQ(s[1]["payload"], (nlohmann::json{{"Tallywire.Referral.receiversCount", "3"}}));
    EXPECT_EQ(s[2]["payload"],
              (nlohmann::json{{"Tallywire.Referral.receiversCount", "-2"}, {"Tallywire.Referral.kind", "email"}}));
    EXPECT_EQ(s[3], (nlohmann::json{{"type", "Tallywire.Acquisition.leadConverted"},
                                    {"payload", {{"Tallywire.Acquisition.leadID", "L7"}}}}));
    EXPECT_EQ(s[4], (nlohmann::json{{"type", "Tallywire.Activation.onboardingCompleted"},
                                    {"payload", nlohmann::json::object()}}));
    EXPECT_EQ(s[5]["payload"], (nlohmann::json{{"Tallywire.Revenue.paywallShowReason", "limit"}}));
}

TEST_F(SignalFamiliesTest, RatingsOutsideZeroToTenAreRejected) {
    for (int rating : {-1, 0, 10, 11})
        Tallywire::userRatingSubmitted(rating, rating == 10 ? std::optional<std::string>("great") : std::nullopt);
    EXPECT_EQ(harness.log.count("Rating must be between 0 and 10"), 2);
    const auto s = sent();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0]["payload"], (nlohmann::json{{"Tallywire.Referral.ratingValue", "0"}}));
    EXPECT_EQ(s[1]["payload"], (nlohmann::json{{"Tallywire.Referral.ratingValue", "10"},
                                               {"Tallywire.Referral.ratingComment", "great"}}));
}

struct DiskFull final : IdentifiableError {
    std::string id() const override { return "disk-full"; }
    std::string localizedDescription() const override { return "The disk is full."; }
};

TEST_F(SignalFamiliesTest, ErrorSignalsCarryTheCallersFloatValue) {
    Tallywire::errorOccurred("E1");
    Tallywire::errorOccurred("E2", ErrorCategory::userInput, std::string("bad"), {}, 2.5);
    Tallywire::errorOccurred(DiskFull{}, ErrorCategory::appState);
    Tallywire::errorOccurred(DiskFull{}, ErrorCategory::thrownException, std::nullopt);
    Tallywire::errorOccurred(withIdentifier(std::make_exception_ptr(std::runtime_error("inner text")), "wrapped"),
                             ErrorCategory::thrownException);
    const auto s = sent();
    ASSERT_EQ(s.size(), 5u);
    for (const auto& signal : s) EXPECT_EQ(signal["type"], "Tallywire.Error.occurred");
    EXPECT_EQ(s[0]["payload"], (nlohmann::json{{"Tallywire.Error.id", "E1"}}));
    EXPECT_FALSE(s[0].contains("floatValue"));
    EXPECT_EQ(s[1]["payload"], (nlohmann::json{{"Tallywire.Error.id", "E2"},
                                               {"Tallywire.Error.category", "user-input"},
                                               {"Tallywire.Error.message", "bad"}}));
    EXPECT_EQ(s[1]["floatValue"], 2.5);
    EXPECT_EQ(s[2]["payload"]["Tallywire.Error.message"], "The disk is full.");
    EXPECT_EQ(s[2]["payload"]["Tallywire.Error.category"], "app-state");
    EXPECT_FALSE(s[3]["payload"].contains("Tallywire.Error.message"));
    EXPECT_EQ(s[4]["payload"]["Tallywire.Error.id"], "wrapped");
    EXPECT_NE(s[4]["payload"]["Tallywire.Error.message"], "inner text");
    EXPECT_EQ(errorCategoryFromRawValue("user-input"), ErrorCategory::userInput);
    EXPECT_EQ(errorCategoryFromRawValue("User-Input"), std::nullopt);
}

TEST_F(SignalFamiliesTest, NavigationReportsChainTheirSourceAndDestination) {
    const TrackNavigationModifier settings("settings");
    Tallywire::navigationPathChangedTo("home");
    Tallywire::navigationPathChangedTo("presets");
    Tallywire::navigationPathChanged("deep-link", "history");
    settings.onAppear();
    settings.onAppear();
    const auto s = sent();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"", "home"}, {"home", "presets"}, {"deep-link", "history"}, {"history", "settings"}, {"settings", "settings"}};
    ASSERT_EQ(s.size(), expected.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto& [source, destination] = expected[i];
        EXPECT_EQ(s[i]["type"], "Tallywire.Navigation.pathChanged");
        EXPECT_EQ(s[i]["payload"], (nlohmann::json{{"Tallywire.Navigation.schemaVersion", "1"},
                                                   {"Tallywire.Navigation.identifier", source + " -> " + destination},
                                                   {"Tallywire.Navigation.sourcePath", source},
                                                   {"Tallywire.Navigation.destinationPath", destination}}));
        EXPECT_FALSE(s[i].contains("floatValue"));
    }
}

}  // namespace
}  // namespace clicktrove::analytics
