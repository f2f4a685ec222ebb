#include "engine/click_rate_window.hpp"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using clicktrove::ClickRateWindow;
using clicktrove::Date;

TEST(ClickRateWindow, CountsStampsStrictlyWithinTheLastSecondAndGrowsPastItsFirstCapacity) {
    ClickRateWindow window;
    const Date t0{std::chrono::seconds(1'000'000)};
    EXPECT_EQ(window.record(t0), 1);
    EXPECT_EQ(window.record(t0 + 999ms), 2);
    EXPECT_EQ(window.record(t0 + 1000ms), 2);  // t0 is exactly one second old: gone
    // Three thousand stamps in one second: more than the ring first holds.
    for (int i = 1; i <= 3000; ++i) window.record(t0 + 2s + std::chrono::microseconds(i * 300));
    EXPECT_EQ(window.size(), 3000u);
    EXPECT_EQ(window.record(t0 + 3s + 1ms), 3000 - 3 + 1);
}

TEST(ClickRateWindow, AWallClockSetBackDropsTheStampsFromTheFuture) {
    ClickRateWindow window;
    const Date t0{std::chrono::seconds(1'000'000)};
    for (int i = 0; i < 10; ++i) window.record(t0 + std::chrono::milliseconds(i * 10));
    EXPECT_EQ(window.record(t0 - 1h), 1);
    EXPECT_EQ(window.record(t0 - 1h + 10ms), 2);
}
