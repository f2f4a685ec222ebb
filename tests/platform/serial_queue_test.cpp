// The engine's serial queue on a real thread. Every wait here is for an event with a generous cap; no
// assertion depends on how fast the machine is.
#include "platform/serial_queue.hpp"

#include <gtest/gtest.h>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using clicktrove::platform::OneShotTimer;
using clicktrove::platform::SerialQueue;
using Steady = std::chrono::steady_clock;

namespace {

constexpr auto kCap = 30s;

// Runs on the queue after everything queued before it.
void flush(SerialQueue& queue) {
    std::promise<void> done;
    queue.async([&] { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(kCap), std::future_status::ready);
}

TEST(SerialQueue, RunsTasksInOrderOneAtATimeOnItsOwnThread) {
    SerialQueue queue("test.serial");
    std::vector<int> order;
    std::atomic<int> inside{0};
    bool overlapped = false, onQueue = true;
    for (int i = 0; i < 100; ++i) {
        queue.async([&, i] {
            if (inside.fetch_add(1) != 0) overlapped = true;
            onQueue = onQueue && queue.isCurrent();
            order.push_back(i);
            inside.fetch_sub(1);
        });
    }
    flush(queue);
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(onQueue);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueue, TimerNeverFiresBeforeItsDeadlineAndFiresOncePerSchedule) {
    SerialQueue queue("test.timer");
    std::vector<Steady::duration> early;
    std::atomic<int> fired{0};
    std::promise<void> done;
    Steady::time_point deadline;
    std::unique_ptr<OneShotTimer> timer;
    timer = queue.createTimer([&] {
        early.push_back(deadline - Steady::now());
        if (fired.fetch_add(1) + 1 == 50) {
            done.set_value();
            return;
        }
        deadline = Steady::now() + 1ms;
        timer->schedule(deadline);
    });
    queue.async([&] {
        deadline = Steady::now() + 1ms;
        timer->schedule(deadline);
    });
    ASSERT_EQ(done.get_future().wait_for(kCap), std::future_status::ready);
    for (auto e : early) EXPECT_LE(e.count(), 0);
    flush(queue);
    EXPECT_EQ(fired.load(), 50);
    EXPECT_FALSE(timer->isPending());
}

TEST(SerialQueue, SuspendedTimerHoldsAPassedDeadlineUntilResumed) {
    SerialQueue queue("test.suspend");
    std::atomic<int> fired{0};
    std::promise<void> done;
    auto timer = queue.createTimer([&] {
        fired.fetch_add(1);
        done.set_value();
    });
    timer->suspend();
    timer->suspend();
    timer->schedule(Steady::now());
    std::this_thread::sleep_for(30ms);
    flush(queue);
    EXPECT_EQ(fired.load(), 0);
    EXPECT_TRUE(timer->isPending());
    timer->resume();  // still suspended once
    std::this_thread::sleep_for(30ms);
    flush(queue);
    EXPECT_EQ(fired.load(), 0);
    timer->resume();
    ASSERT_EQ(done.get_future().wait_for(kCap), std::future_status::ready);
    EXPECT_FALSE(timer->isPending());
}

TEST(SerialQueue, CancelledAndRescheduledTimersFireOnlyTheirLatestDeadline) {
    SerialQueue queue("test.cancel");
    std::atomic<int> cancelledFired{0}, movedFired{0};
    std::promise<void> moved;
    auto cancelled = queue.createTimer([&] { cancelledFired.fetch_add(1); });
    auto rescheduled = queue.createTimer([&] {
        if (movedFired.fetch_add(1) == 0) moved.set_value();
    });
    cancelled->schedule(Steady::now() + 20ms);
    cancelled->cancel();
    cancelled->schedule(Steady::now());  // a cancelled timer stays cancelled
    EXPECT_FALSE(cancelled->isPending());
    rescheduled->schedule(Steady::now() + 24h);
    rescheduled->schedule(Steady::now() + 20ms);
    ASSERT_EQ(moved.get_future().wait_for(kCap), std::future_status::ready);
    std::this_thread::sleep_for(40ms);
    flush(queue);
    EXPECT_EQ(cancelledFired.load(), 0);
    EXPECT_EQ(movedFired.load(), 1);
}

TEST(SerialQueue, AHandlerMayDestroyItsOwnTimer) {
    SerialQueue queue("test.selfdrop");
    std::promise<void> done;
    std::unique_ptr<OneShotTimer> timer;
    timer = queue.createTimer([&] {
        timer.reset();
        done.set_value();
    });
    // Scheduled from the queue: the main thread must not still be inside schedule() when the handler
    // destroys the timer.
    queue.async([&] { timer->schedule(Steady::now()); });
    ASSERT_EQ(done.get_future().wait_for(kCap), std::future_status::ready);
    flush(queue);
    EXPECT_EQ(timer, nullptr);
}

TEST(SerialQueue, DestructionWaitsForTheTaskUnderWayAndDropsTheRest) {
    std::atomic<int> ran{0};
    std::atomic<int> dropped{0};
    {
        SerialQueue queue("test.shutdown");
        std::promise<void> started;
        queue.async([&] {
            started.set_value();
            // Holds the queue until its destruction has begun: from then on a task handed in is refused, and
            // destroyed at once, so its token is let go before async returns.
            for (;;) {
                auto token = std::make_shared<int>(0);
                queue.async([token] {});
                if (token.use_count() == 1) break;
                std::this_thread::sleep_for(1ms);
            }
            ran.fetch_add(1);
        });
        for (int i = 0; i < 10; ++i) {
            queue.async([&, guard = std::shared_ptr<void>(nullptr, [&](void*) { dropped.fetch_add(1); })] {
                ran.fetch_add(100);
            });
        }
        started.get_future().wait();
        auto timer = queue.createTimer([&] { ran.fetch_add(10000); });
        timer->schedule(Steady::now() + 24h);
    }
    // The task under way finished before the destructor returned; the ten queued behind it and the timer never
    // ran, and the queue let go of them.
    EXPECT_EQ(ran.load(), 1);
    EXPECT_EQ(dropped.load(), 10);
}

TEST(SerialQueue, SleepEndsEarlyWhenAStopIsRequested) {
    SerialQueue queue("test.sleep");
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(20ms);
        stop.request_stop();
    });
    const auto before = Steady::now();
    queue.sleepFor(1h, stop.get_token());
    stopper.join();
    EXPECT_LT(Steady::now() - before, 1h);
    // A sleep too long for the clock to express lasts until the stop, not no time at all.
    std::stop_source stopLater;
    std::atomic<bool> requested{false};
    std::thread laterStopper([&] {
        std::this_thread::sleep_for(20ms);
        requested = true;
        stopLater.request_stop();
    });
    queue.sleepFor(std::chrono::nanoseconds::max(), stopLater.get_token());
    EXPECT_TRUE(requested.load());
    laterStopper.join();
    // Without a stop token the sleep lasts at least its duration.
    const auto t0 = Steady::now();
    queue.sleepFor(5ms);
    EXPECT_GE(Steady::now() - t0, 5ms);
}

}  // namespace
