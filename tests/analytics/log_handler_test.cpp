#include "analytics/log_handler.hpp"
#include "analytics/telemetry_manager_configuration.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>

namespace clicktrove::analytics {
namespace {

using Level = LogHandler::LogLevel;

TEST(LogHandlerTest, PassesMessagesAtOrAboveItsLevel) {
    struct Case {
        Level handlerLevel;
        std::vector<std::string> received;
    };
    for (const Case& c :
         {Case{Level::debug, {"d", "i", "e"}}, Case{Level::info, {"i", "e"}}, Case{Level::error, {"e"}}}) {
        clicktrove::testing::LogRecorder log;
        const LogHandler handler = log.handler(c.handlerLevel);
        handler.log(Level::debug, "d");
        handler.log(Level::info, "i");
        handler.log(Level::error, "e");
        EXPECT_EQ(log.all(), c.received);
    }
    // An absent handler is silence, and a handler without a sink does nothing.
    logTo(std::nullopt, Level::error, "nothing");
    LogHandler{Level::debug, nullptr}.log(Level::error, "nothing");
}

TEST(LogHandlerTest, LevelsAndThePrintedForm) {
    EXPECT_EQ(LogHandler::printedLine(Level::info, "Sending 3 signals"), "[Tallywire: INFO] Sending 3 signals\n");
    EXPECT_EQ(LogHandler::printedLine(Level::debug, ""), "[Tallywire: DEBUG] \n");
    EXPECT_EQ(LogHandler::printedLine(Level::error, "x"), "[Tallywire: ERROR] x\n");
    EXPECT_EQ(LogHandler::levelFromRawValue(0), Level::debug);
    EXPECT_EQ(LogHandler::levelFromRawValue(2), Level::error);
    EXPECT_EQ(LogHandler::levelFromRawValue(3), std::nullopt);
    EXPECT_EQ(LogHandler::levelFromRawValue(-1), std::nullopt);
}

TEST(TelemetryManagerConfigurationTest, DefaultsOfAConfigurationMadeFromAnIdentifier) {
    TelemetryManagerConfiguration config("APP");
    EXPECT_EQ(config.salt(), "");
    EXPECT_EQ(config.apiBaseURL(), TelemetryManagerConfiguration::defaultIngestionEndpoint());
    EXPECT_EQ(config.telemetryNamespace(), std::nullopt);
    EXPECT_EQ(config.cacheLimit(), 10000);
    EXPECT_EQ(config.transmitInterval(), 10.0);
    EXPECT_EQ(config.maxBackoffInterval(), 300.0);
    ASSERT_TRUE(config.logHandler().has_value());
    EXPECT_EQ(config.logHandler()->logLevel, Level::info);
    EXPECT_TRUE(config.sendNewSessionBeganSignal());
    EXPECT_TRUE(config.sessionStatsEnabled());
    EXPECT_TRUE(config.reservedParameterWarningsEnabled());
    EXPECT_FALSE(config.analyticsDisabled());
    EXPECT_EQ(config.sessionID().size(), 36u);
    EXPECT_NE(config.sessionID(), TelemetryManagerConfiguration("APP").sessionID());
    EXPECT_TRUE(config.snapshot().defaultParameters().empty());

    EXPECT_FALSE(config.testMode());
    config.setTestMode(true);
    EXPECT_TRUE(config.testMode());
    config.setTestMode(false);
    EXPECT_FALSE(config.testMode());
}

TEST(TelemetryManagerConfigurationTest, UnusableLimitsAndIntervalsAreClamped) {
    TelemetryManagerConfiguration config("APP");
    config.setCacheLimit(-1);
    EXPECT_EQ(config.cacheLimit(), 0);
    for (double bad : {0.0, -3.0, std::nan(""), 0.001}) {
        config.setTransmitInterval(bad);
        EXPECT_EQ(config.transmitInterval(), TelemetryManagerConfiguration::minimumTransmitInterval);
    }
    config.setTransmitInterval(2.5);
    EXPECT_EQ(config.transmitInterval(), 2.5);
}

TEST(TelemetryManagerConfigurationTest, PreviewModeFollowsTheEnvironmentUntilSet) {
    struct Case {
        const char* value;
        bool preview;
    };
    TelemetryManagerConfiguration config("APP");
    for (const Case& c :
         {Case{"1", true}, Case{"0", false}, Case{"true", false}, Case{"", false}, Case{nullptr, false}}) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value) {
            ::setenv("XCODE_RUNNING_FOR_PREVIEWS", c.value, 1);
        } else {
            ::unsetenv("XCODE_RUNNING_FOR_PREVIEWS");
        }
        EXPECT_EQ(config.swiftUIPreviewMode(), c.preview);
    }
    ::setenv("XCODE_RUNNING_FOR_PREVIEWS", "1", 1);
    config.setSwiftUIPreviewMode(false);
    EXPECT_FALSE(config.swiftUIPreviewMode());
    ::unsetenv("XCODE_RUNNING_FOR_PREVIEWS");
}

}  // namespace
}  // namespace clicktrove::analytics
