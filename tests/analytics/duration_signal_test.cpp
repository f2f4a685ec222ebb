#include "analytics/tallywire.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;

class DurationSignalTest : public ::testing::Test {
protected:
    void SetUp() override { harness.startQuiet(); }
    // The durations sent, by signal name.
    std::map<std::string, std::string> sent() {
        std::map<std::string, std::string> out;
        for (const auto& s : harness.flush())
            out[s["type"]] = s["payload"].value("Tallywire.Signal.durationInSeconds", "");
        return out;
    }
    clicktrove::testing::AnalyticsHarness harness;
};

TEST_F(DurationSignalTest, StopOrCancelOfANameNeverStartedSendsNothing) {
    Tallywire::startDurationSignal("Running");
    Tallywire::stopAndSendDurationSignal("Never");
    Tallywire::cancelDurationSignal("Never");
    Tallywire::startDurationSignal("Cancelled");
    Tallywire::cancelDurationSignal("Cancelled");
    Tallywire::stopAndSendDurationSignal("Cancelled");
    harness.clock.advance(2s);
    Tallywire::stopAndSendDurationSignal("Running");
    EXPECT_EQ(sent(), (std::map<std::string, std::string>{{"Running", "2.0"}}));
}

TEST_F(DurationSignalTest, ARestartReplacesTheRunningSignal) {
    Tallywire::startDurationSignal("Task", {{"attempt", "1"}});
    harness.clock.advance(5s);
    Tallywire::startDurationSignal("Task", {{"attempt", "2"}});
    harness.clock.advance(3s);
    Tallywire::stopAndSendDurationSignal("Task");
    const auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0]["payload"]["Tallywire.Signal.durationInSeconds"], "3.0");
    EXPECT_EQ(batch[0]["payload"]["attempt"], "2");
}

TEST_F(DurationSignalTest, InactiveTimeIsLeftOutOnlyWhenAskedAndNeverMakesADurationNegative) {
    Tallywire::startDurationSignal("Excluded");
    Tallywire::startDurationSignal("Included", {}, true);
    harness.clock.advance(10s);
    Tallywire::applicationDidResignActive();
    harness.clock.advance(20s);
    // Started while inactive: only the 40 s it lived through are inactive time for it.
    Tallywire::startDurationSignal("StartedInactive");
    harness.clock.advance(40s);
    Tallywire::applicationWillBecomeActive();
    // A second return without a resign changes nothing.
    Tallywire::applicationWillBecomeActive();
    harness.clock.advance(5s);
    for (const char* name : {"Excluded", "Included", "StartedInactive"}) Tallywire::stopAndSendDurationSignal(name);
    EXPECT_EQ(sent(), (std::map<std::string, std::string>{
                          {"Excluded", "15.0"}, {"Included", "75.0"}, {"StartedInactive", "5.0"}}));
}

TEST_F(DurationSignalTest, MillisecondsAreCutAndLaterParametersWin) {
    Tallywire::startDurationSignal("Fine");
    Tallywire::startDurationSignal("StartOverride", {{"Tallywire.Signal.durationInSeconds", "start"}});
    Tallywire::startDurationSignal("StopOverride", {{"Tallywire.Signal.durationInSeconds", "start"}});
    harness.clock.advance(1234560us);
    Tallywire::stopAndSendDurationSignal("Fine");
    Tallywire::stopAndSendDurationSignal("StartOverride");
    Tallywire::stopAndSendDurationSignal("StopOverride", {{"Tallywire.Signal.durationInSeconds", "stop"}}, 4.5);
    EXPECT_EQ(sent(), (std::map<std::string, std::string>{
                          {"Fine", "1.234"}, {"StartOverride", "start"}, {"StopOverride", "stop"}}));
}

}  // namespace
}  // namespace clicktrove::analytics
