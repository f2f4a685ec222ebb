#include "platform/fake/manual_main_queue.hpp"

#include <gtest/gtest.h>
#include <string>

using namespace std::chrono_literals;
using clicktrove::platform::FakeClock;
using clicktrove::platform::ManualMainQueue;

TEST(ManualMainQueue, RunsDelayedWorkInDeadlineOrderAndSkipsCancelled) {
    FakeClock clock;
    ManualMainQueue queue(clock);
    std::string order;
    queue.postAfter(2s, [&] { order += "b"; });
    const auto cancelled = queue.postAfter(1500ms, [&] { order += "x"; });
    queue.postAfter(1s, [&] {
        order += "a";
        queue.post([&] { order += "p"; });
    });
    queue.cancel(cancelled);
    const auto start = clock.monotonicNow();
    queue.advance(1s);
    EXPECT_EQ(order, "ap");
    queue.advance(5s);
    EXPECT_EQ(order, "apb");
    EXPECT_EQ(clock.monotonicNow() - start, 6s);
    EXPECT_EQ(queue.pendingDelayed(), 0u);
}
