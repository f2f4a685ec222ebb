#include "analytics/log_handler.hpp"
#include "analytics/telemetry_manager_configuration.hpp"
#include "analytics_harness.hpp"
#include "support/scoped_env.hpp"

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
    // A handler without a sink does nothing (calling the empty sink would throw).
    const LogHandler withoutSink{Level::debug, nullptr};
    EXPECT_NO_THROW(withoutSink.log(Level::error, "nothing"));
}

TEST(LogHandlerTest, AConfigurationWithoutAHandlerEmitsNothing) {
    clicktrove::testing::LogRecorder log;
    TelemetryManagerConfiguration config("APP");
    config.setLogHandler(log.handler(Level::debug));
    config.log(Level::error, "heard");
    config.setLogHandler(std::nullopt);
    config.log(Level::error, "unheard");
    config.snapshot().log(Level::error, "unheard");
    EXPECT_EQ(log.all(), std::vector<std::string>{"heard"});
}

// The journal keeps debug entries unless told otherwise, and the client's carry whole upload bodies: they are
// written only when asked for.
TEST(LogHandlerTest, TheSystemLogReceivesDebugMessagesOnlyWhenAskedFor) {
    struct Case {
        const char* variable;
        Level handlerLevel;
        std::vector<std::pair<int, std::string>> written;
    };
    const std::vector<std::pair<int, std::string>> withoutDebug = {{6, "i"}, {3, "e"}};
    const std::vector<std::pair<int, std::string>> everything = {{7, "d"}, {6, "i"}, {3, "e"}};
    for (const Case& c : {Case{nullptr, Level::debug, withoutDebug}, Case{"0", Level::debug, withoutDebug},
                          Case{"true", Level::debug, withoutDebug}, Case{"1", Level::debug, everything},
                          Case{"1", Level::info, withoutDebug}, Case{"1", Level::error, {{3, "e"}}},
                          Case{nullptr, Level::error, {{3, "e"}}}}) {
        SCOPED_TRACE(std::string(c.variable ? c.variable : "(unset)") + " " +
                     std::string(LogHandler::description(c.handlerLevel)));
        clicktrove::testing::ScopedEnv variable(LogHandler::debugEnvironmentVariable);
        variable.set(c.variable);
        std::vector<std::pair<int, std::string>> written;
        const LogHandler handler = LogHandler::standard(
            c.handlerLevel,
            [&written](int priority, const std::string& message) { written.emplace_back(priority, message); });
        // Decided when the handler is made.
        variable.set(nullptr);
        handler.log(Level::debug, "d");
        handler.log(Level::info, "i");
        handler.log(Level::error, "e");
        EXPECT_EQ(written, c.written);
    }
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
