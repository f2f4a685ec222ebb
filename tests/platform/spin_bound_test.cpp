// The bound on how long a timing thread goes without sleeping: the budget a real-time limit leaves, and a
// real-time queue whose timer never leaves it time to sleep, run in a child under a small RLIMIT_RTTIME (the
// kernel kills a real-time thread that runs past it without blocking).
#include "platform/spin_bound.hpp"
#include "platform/serial_queue.hpp"
#include "support/real_time.hpp"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <atomic>
#include <cstdlib>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using clicktrove::platform::SerialQueue;
using clicktrove::platform::SpinBound;
using Limit = clicktrove::platform::SchedulingSystem::Limit;

namespace {

TEST(SpinBound, BudgetIsAQuarterOfTheLowerRealTimeLimitAndNeverMoreThanTheMaximum) {
    const struct {
        Limit limit;
        std::chrono::nanoseconds budget;
    } cases[] = {
        {{std::nullopt, std::nullopt}, SpinBound::kMaxRun},
        {{200'000, 200'000}, SpinBound::kMaxRun},
        {{20'000, std::nullopt}, 5ms},
        {{std::nullopt, 8'000}, 2ms},
        {{40'000, 12'000}, 3ms},
        {{0, 0}, 0ns},
        {{UINT64_MAX, UINT64_MAX}, SpinBound::kMaxRun},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpinBound::budgetFor(c.limit), c.budget)
            << "soft " << c.limit.soft.value_or(0) << " hard " << c.limit.hard.value_or(0);
    }
}

using Reading = SpinBound::Reading;

TEST(SpinBound, ARunIsTheCpuTimeSinceTheReadingBeforeTheLastSleep) {
    SpinBound bound(5ms, Reading{0, 100ms});
    bound.note({0, 102ms});
    EXPECT_TRUE(bound.maySpinFor(3ms));
    EXPECT_FALSE(bound.maySpinFor(3ms + 1ns));
    EXPECT_FALSE(bound.mustSleep());
    bound.note({0, 105ms});
    EXPECT_TRUE(bound.mustSleep());

    // A sleep between the readings at 105 and 109 ms: however long it was, the kernel's count restarted at its
    // wake-up, and what the thread ran on its CPU after that, before it looked, is part of the new run.
    bound.note({1, 109ms});
    EXPECT_FALSE(bound.mustSleep());
    EXPECT_TRUE(bound.maySpinFor(1ms));
    EXPECT_FALSE(bound.maySpinFor(1ms + 1ns)) << "4 ms may have been run since the wake-up";
    bound.note({1, 110ms});
    EXPECT_TRUE(bound.mustSleep());
}

TEST(SpinBound, TheCallingThreadsReadingCountsItsCpuTimeAndItsSleeps) {
    const Reading start = SpinBound::readCallingThread();
    Reading spun = start;
    while (spun.cpu < start.cpu + 2ms) spun = SpinBound::readCallingThread();
    EXPECT_EQ(spun.sleeps, start.sleeps) << "a thread that only ran did not sleep";
    const auto before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(2ms);
    const Reading slept = SpinBound::readCallingThread();
    const auto passed = std::chrono::steady_clock::now() - before;
    EXPECT_GT(slept.sleeps, spun.sleeps);
    // Whatever else the time held (a wait for a CPU, or a stolen virtual CPU, which counts as the thread's own),
    // the sleep's 2 ms are not in its CPU time.
    EXPECT_GE(passed - (slept.cpu - spun.cpu), 2ms) << "the time asleep is not CPU time";
}

// Deadlines 5 us apart, each set by the handler of the one before: closer than any wake-up lateness the queue
// learns, so without the bound it would wait every one out on the CPU and never sleep again.
int runTimerThatLeavesNoTimeToSleep() {
    rlimit budget{20'000, 20'000};
    if (::setrlimit(RLIMIT_RTTIME, &budget) != 0) return 2;
    std::atomic<bool> realTime{false};
    std::promise<void> done;
    {
        SerialQueue queue("test.spin", SerialQueue::Priority::timeCritical);
        const auto until = std::chrono::steady_clock::now() + 400ms;
        std::unique_ptr<clicktrove::platform::OneShotTimer> timer;
        timer = queue.createTimer([&] {
            realTime = clicktrove::testing::callingThreadPolicy() == SCHED_RR;
            const auto now = std::chrono::steady_clock::now();
            if (now >= until) {
                done.set_value();
                return;
            }
            timer->schedule(now + 5us);
        });
        queue.async([&] { timer->schedule(std::chrono::steady_clock::now() + 1ms); });
        done.get_future().wait();
        timer.reset();
    }
    return realTime ? 0 : 3;
}

TEST(SpinBound, ARealTimeQueueThatIsNeverLeftTimeToSleepStaysClearOfTheRealTimeLimit) {
    if (!clicktrove::testing::threadsMayRunRealTime())
        GTEST_SKIP() << "this process may not run threads at real-time priority";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Killed by SIGKILL (or SIGXCPU) when the queue spins past the limit.
    EXPECT_EXIT(std::exit(runTimerThatLeavesNoTimeToSleep()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
