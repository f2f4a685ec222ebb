#include "platform/wake_latency.hpp"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace clicktrove::platform {
namespace {

void record(WakeLatency& latency, int times, std::chrono::nanoseconds late) {
    for (int i = 0; i < times; ++i) latency.record(late);
}

// The margin follows the tail of the recent wake-ups: a few late ones in sixty-four already count (one in
// twenty late by 200 us would otherwise stretch one interval in twenty), a rare stray does not.
TEST(WakeLatency, MarginIsAHighPercentileOfRecentLatenessCapped) {
    const struct {
        const char* name;
        int onTime;
        int late;
        std::chrono::nanoseconds margin;
    } cases[] = {
        {"nothing observed yet", 0, 0, 0us},
        {"three late in sixty-four", 61, 3, 10us},
        {"four late in sixty-four", 60, 4, 200us},
        {"only a few samples, one late", 7, 1, 200us},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WakeLatency latency;
        record(latency, c.onTime, 10us);
        record(latency, c.late, 200us);
        EXPECT_EQ(latency.margin(), c.margin);
    }
}

TEST(WakeLatency, AHeavyLoadCostsNoMoreThanTheCapAndPassesWithIt) {
    WakeLatency latency;
    record(latency, 64, 5ms);
    EXPECT_EQ(latency.margin(), WakeLatency::kCap);
    record(latency, 60, 20us);
    EXPECT_EQ(latency.margin(), WakeLatency::kCap) << "four heavy samples are still among the recent ones";
    record(latency, 1, 20us);
    EXPECT_EQ(latency.margin(), 20us);
    latency.record(-3us);  // a clock that went backwards is no lateness at all
    record(latency, 63, 0us);
    EXPECT_EQ(latency.margin(), 0us);
}

// Only lateness beyond what the wait tolerates (a twentieth of it) is waited out on the CPU: at 1 ms a heavy
// load's margin mostly counts and a light one's not at all, from 5 ms on nothing does.
TEST(WakeLatency, OnlyLatenessBeyondWhatTheWaitToleratesIsSpentOnTheCpu) {
    WakeLatency heavy;
    record(heavy, 64, 5ms);
    WakeLatency light;
    record(light, 64, 30us);
    const struct {
        std::chrono::nanoseconds wait;
        std::chrono::nanoseconds heavyMargin;
        std::chrono::nanoseconds lightMargin;
    } cases[] = {
        {0ns, WakeLatency::kCap, 30us},
        {400us, WakeLatency::kCap - 20us, 10us},
        {1ms, WakeLatency::kCap - 50us, 0us},
        {2ms, WakeLatency::kCap - 100us, 0us},
        {5ms, 0us, 0us},
        {100ms, 0us, 0us},
        {1h, 0us, 0us},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wait.count());
        EXPECT_EQ(heavy.marginFor(c.wait), c.heavyMargin);
        EXPECT_EQ(light.marginFor(c.wait), c.lightMargin);
    }
}

}  // namespace
}  // namespace clicktrove::platform
