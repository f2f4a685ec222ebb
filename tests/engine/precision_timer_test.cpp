#include "engine/precision_timer.hpp"

#include <gtest/gtest.h>
#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using clicktrove::PrecisionTimer;

TEST(PrecisionTimer, FiresAtOnceThenRepeatsUntilStoppedAndCanBeRestarted) {
    PrecisionTimer timer("test.precision");
    std::atomic<int> fired{0};
    std::promise<void> three;
    timer.start(1'000'000, [&] {
        if (fired.fetch_add(1) + 1 == 3) three.set_value();
    });
    EXPECT_TRUE(timer.isRunning());
    ASSERT_EQ(three.get_future().wait_for(30s), std::future_status::ready);
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    std::this_thread::sleep_for(20ms);
    const int afterStop = fired.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(fired.load(), afterStop);

    // Restarted with a long interval: the first firing still comes at once, the second not for an hour.
    std::atomic<int> again{0};
    std::promise<void> first;
    timer.start(3'600'000'000'000, [&] {
        if (again.fetch_add(1) == 0) first.set_value();
    });
    ASSERT_EQ(first.get_future().wait_for(30s), std::future_status::ready);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(again.load(), 1);
}
