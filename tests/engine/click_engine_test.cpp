// The run lifecycle: timing of ticks, stop conditions and their order, pause and resume, reports.
#include "engine_fixture.hpp"
#include "support/wait_until.hpp"

#include <thread>
#include <utility>

using namespace std::chrono_literals;
using clicktrove::ClickConfig;
using clicktrove::ClickEngine;
using clicktrove::ClickType;
using clicktrove::platform::GlobalPoint;
using clicktrove::platform::MouseEvent;
using clicktrove::testing::EngineTest;
using clicktrove::testing::RecordingDelegate;

namespace {

std::vector<std::chrono::nanoseconds> clickTimes(const std::vector<clicktrove::platform::FakeMouseInput::Recorded>& r,
                                                 std::chrono::steady_clock::time_point origin) {
    std::vector<std::chrono::nanoseconds> out;
    for (const auto& e : r) {
        if (e.event.kind == MouseEvent::Kind::buttonDown) out.push_back(e.time - origin);
    }
    return out;
}

// config, waiting for a scheduled start at `at` on the wall clock.
ClickConfig startingAt(ClickConfig config, clicktrove::Date at) {
    config.scheduledStartEnabled = true;
    config.scheduledStartTime = at;
    return config;
}

using Timing = EngineTest;

TEST_F(Timing, FirstClickAfter300MsThenOneIntervalApart) {
    ClickConfig config(clock.now());  // 1 s, left, at the cursor
    config.edgeStopEnabled = false;
    engine.start(config);
    advance(3s);
    EXPECT_EQ(clickTimes(input.recorded(), origin), (std::vector<std::chrono::nanoseconds>{300ms, 1300ms, 2300ms}));
}

// Each deadline lies one interval after the one before, whatever the ticks cost or however late they woke:
// a configured rate holds. A tick more than an interval late starts the grid again instead of a burst.
struct GridCase {
    const char* name;
    std::chrono::nanoseconds secondTickLate;  // the clock runs on this far past the second deadline (400 ms)
    std::chrono::nanoseconds secondTickCost;  // the second tick's posting takes this long
    std::vector<std::chrono::nanoseconds> clicks;
};

void PrintTo(const GridCase& c, std::ostream* os) {
    *os << c.name;
}

class Grid : public EngineTest, public ::testing::WithParamInterface<GridCase> {};

TEST_P(Grid, LateOrSlowTicksKeepTheDeadlinesThatFollow) {
    const auto& param = GetParam();
    input.setOnPost([&](auto) {
        if (input.operationCount() == 2) clock.advance(param.secondTickCost);
    });
    engine.start(baseConfig());
    advance(300ms);
    clock.advance(100ms + param.secondTickLate);
    advance(0ms);
    const auto now = clock.monotonicNow() - origin;
    advance(std::max<std::chrono::nanoseconds>(700ms, now) - now);
    EXPECT_EQ(clickTimes(input.recorded(), origin), param.clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Deadlines, Grid,
    ::testing::Values(GridCase{"OnTime", 0ms, 0ms, {300ms, 400ms, 500ms, 600ms, 700ms}},
                      GridCase{"SlowPosting", 0ms, 60ms, {300ms, 400ms, 500ms, 600ms, 700ms}},
                      GridCase{"WokeLateWithinAnInterval", 70ms, 0ms, {300ms, 470ms, 500ms, 600ms, 700ms}},
                      GridCase{"LateAndSlowMakesUpWithOneClickAtOnce", 70ms, 50ms, {300ms, 470ms, 520ms, 600ms, 700ms}},
                      GridCase{"MoreThanAnIntervalLateStartsAgain", 150ms, 0ms, {300ms, 550ms, 650ms}},
                      GridCase{"FarBehindClicksOnceNotInABurst", 5s, 0ms, {300ms, 5400ms}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Timing, IntervalJitterIsDrawnFromTheClosedRangeAndFlooredAtOneMillisecond) {
    auto config = baseConfig();
    config.intervalMilliseconds = 10;
    config.randomizeInterval = true;
    config.intervalRandomRangeMs = 50;
    random.pushUnit(0.0);  // -50 ms: floored to 1 ms
    random.pushUnit(1.0);  // +50 ms
    random.pushUnit(0.5);  // no jitter
    engine.start(config);
    advance(300ms + 1ms + 60ms + 10ms);
    EXPECT_EQ(clickTimes(input.recorded(), origin),
              (std::vector<std::chrono::nanoseconds>{300ms, 301ms, 361ms, 371ms}));
}

TEST_F(Timing, AnIntervalOfCenturiesNeverWrapsAroundToFireAtOnce) {
    auto config = baseConfig();
    config.intervalHours = 2'500'000;  // about 285 years: still inside a signed 64-bit count of nanoseconds
    engine.start(config);
    advance(300ms);
    ASSERT_EQ(input.events().size(), 2u);
    advance(24h * 365);
    EXPECT_EQ(input.events().size(), 2u);
    EXPECT_TRUE(engine.isRunning());
}

TEST_F(Timing, ScheduledStartDelaysTheFirstTickAndCountsInTheElapsedTime) {
    engine.start(startingAt(baseConfig(), clock.now() + 10s));
    advance(9999ms);
    EXPECT_TRUE(input.events().empty());
    advance(1ms);
    ASSERT_EQ(delegate->updates().size(), 1u);
    EXPECT_DOUBLE_EQ(delegate->updates()[0].elapsedTime, 10.0);
}

TEST_F(Timing, ScheduledStartInThePastStartsAfter300Ms) {
    engine.start(startingAt(baseConfig(), clock.now() - 1h));
    advance(300ms);
    EXPECT_EQ(clickTimes(input.recorded(), origin), std::vector<std::chrono::nanoseconds>{300ms});
}

// The monotonic clock stands still while the machine sleeps, so the wall clock moves on without it: the start
// keeps to the time the user gave on the wall clock.
struct SuspendCase {
    const char* name;
    std::chrono::nanoseconds suspended;  // the wall clock moves on this far, 10 minutes into a wait of an hour
    std::chrono::nanoseconds firstClick;  // monotonic, from the start
};

void PrintTo(const SuspendCase& c, std::ostream* os) {
    *os << c.name;
}

class ScheduledStartAcrossASuspend : public EngineTest, public ::testing::WithParamInterface<SuspendCase> {};

TEST_P(ScheduledStartAcrossASuspend, KeepsTheWallClockTime) {
    engine.start(startingAt(baseConfig(), clock.now() + 1h));
    advance(10min);
    clock.setNow(clock.now() + GetParam().suspended);
    advance(GetParam().firstClick - 10min - 1ms);
    EXPECT_TRUE(input.events().empty());
    advance(1ms);
    EXPECT_EQ(clickTimes(input.recorded(), origin), std::vector<std::chrono::nanoseconds>{GetParam().firstClick});
}

INSTANTIATE_TEST_SUITE_P(Suspends, ScheduledStartAcrossASuspend,
                         ::testing::Values(SuspendCase{"EndingBeforeTheStart", 40min, 20min},
                                           // Woken after the start time: it starts within a second of waking.
                                           SuspendCase{"Overnight", 8h, 10min + 1s},
                                           // The clock set back: the start waits for the wall clock to get there.
                                           SuspendCase{"ClockSetBack", -30min, 90min}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Timing, ClicksPerSecondCountsTheTicksOfTheLastSecond) {
    auto config = baseConfig();
    config.clickType = ClickType::doubleClick;
    engine.start(config);
    advance(300ms + 15 * 100ms);
    const auto updates = delegate->updates();
    ASSERT_EQ(updates.size(), 16u);
    EXPECT_EQ(updates[0].cps, 1);
    EXPECT_EQ(updates[9].cps, 10);
    // A stamp exactly one second old no longer counts.
    EXPECT_EQ(updates[15].cps, 10);
    EXPECT_EQ(updates[15].totalClicks, 32);
}

struct LimitCase {
    const char* name;
    ClickType type;
    std::int64_t maxClicks;
    std::vector<std::int64_t> totals;
    std::vector<std::int64_t> remaining;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.name;
}

class MaxClicks : public EngineTest, public ::testing::WithParamInterface<LimitCase> {};

// The run completes with the click that reaches its maximum, not at a tick one interval later (an hour later
// at an hourly interval), and a double click that would overshoot it is not made.
TEST_P(MaxClicks, TheClickThatReachesTheLimitCompletesTheRun) {
    const auto& param = GetParam();
    auto config = baseConfig();
    config.clickType = param.type;
    config.maxClicks = param.maxClicks;
    config.intervalMilliseconds = 0;
    config.intervalHours = 1;
    engine.start(config);
    advance(300ms + 1h * (param.totals.size() - 1));
    std::vector<std::int64_t> totals, remaining;
    for (const auto& u : delegate->updates()) {
        totals.push_back(u.totalClicks);
        remaining.push_back(u.remainingClicks);
    }
    EXPECT_EQ(totals, param.totals);
    EXPECT_EQ(remaining, param.remaining);
    const auto posted = input.events().size();
    if (param.maxClicks >= 1) {
        EXPECT_FALSE(engine.isRunning());
        EXPECT_EQ(delegate->stops(), std::vector<bool>{true});
    } else {
        EXPECT_TRUE(engine.isRunning());
    }
    advance(2h);
    if (param.maxClicks >= 1) {
        EXPECT_EQ(input.events().size(), posted);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MaxClicks,
    ::testing::Values(LimitCase{"Left5", ClickType::left, 5, {1, 2, 3, 4, 5}, {4, 3, 2, 1, 0}},
                      LimitCase{"DoubleStopsShortOfAnOddMaximum", ClickType::doubleClick, 5, {2, 4}, {3, 1}},
                      LimitCase{"DoubleReachesAnEvenMaximum", ClickType::doubleClick, 6, {2, 4, 6}, {4, 2, 0}},
                      LimitCase{"ZeroIsUnlimited", ClickType::left, 0, {1, 2, 3}, {0, 0, 0}},
                      LimitCase{"NegativeIsUnlimited", ClickType::left, -3, {1, 2, 3}, {0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

using StopTests = EngineTest;

TEST_F(StopTests, AMaximumThatNotEvenOneDoubleClickFitsCompletesWithoutAClick) {
    auto config = baseConfig();
    config.clickType = ClickType::doubleClick;
    config.maxClicks = 1;
    engine.start(config);
    advance(300ms);
    EXPECT_TRUE(input.events().empty());
    EXPECT_EQ(delegate->stops(), std::vector<bool>{true});
}

TEST_F(StopTests, ScheduledStopInThePastEndsTheFirstTickAsCompletedWithoutAClick) {
    auto config = baseConfig();
    config.scheduledStopEnabled = true;
    config.scheduledStopTime = clock.now() - 1s;
    engine.start(config);
    advance(300ms);
    EXPECT_TRUE(input.events().empty());
    EXPECT_EQ(delegate->stops(), std::vector<bool>{true});
}

TEST_F(StopTests, ScheduledStopEndsTheRunAtTheFirstTickAtOrAfterIt) {
    auto config = baseConfig();
    config.scheduledStopEnabled = true;
    config.scheduledStopTime = clock.now() + 500ms;
    engine.start(config);
    advance(2s);
    EXPECT_EQ(clickTimes(input.recorded(), origin), (std::vector<std::chrono::nanoseconds>{300ms, 400ms}));
    EXPECT_EQ(delegate->stops(), std::vector<bool>{true});
}

TEST_F(StopTests, TheCornerComesFirstSoARunWithEveryConditionMetIsNotCompleted) {
    auto config = baseConfig();
    config.edgeStopEnabled = true;
    config.scheduledStopEnabled = true;
    config.scheduledStopTime = clock.now() - 1s;
    config.maxClicks = 1;
    input.setCursor(GlobalPoint{0, 0});
    engine.start(config);
    advance(300ms);
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
}

TEST_F(StopTests, ScheduledStopThatPassesDuringAPauseEndsTheRunAtTheFirstTickAfterResume) {
    auto config = baseConfig();
    config.scheduledStopEnabled = true;
    config.scheduledStopTime = clock.now() + 1s;
    engine.start(config);
    advance(300ms);
    engine.pause();
    advance(5s);
    EXPECT_TRUE(engine.isRunning());
    EXPECT_TRUE(delegate->stops().empty());
    engine.resume();
    advance(299ms);
    EXPECT_TRUE(delegate->stops().empty());
    advance(1ms);
    EXPECT_EQ(delegate->stops(), std::vector<bool>{true});
    EXPECT_EQ(input.events().size(), 2u);
}

using Lifecycle = EngineTest;

TEST_F(Lifecycle, StartWhileActiveOrPausedKeepsTheFirstConfiguration) {
    auto config = baseConfig();
    engine.start(config);
    auto other = baseConfig();
    other.fixedCoordinates = {{9, 9}};
    engine.start(other);
    advance(300ms);
    engine.pause();
    engine.start(other);
    EXPECT_TRUE(engine.isPaused());
    engine.resume();
    advance(300ms);
    for (const auto& e : input.events()) EXPECT_EQ(e.point, (GlobalPoint{500, 400}));
    EXPECT_EQ(input.events().size(), 4u);
}

TEST_F(Lifecycle, EachRunReportsItsEndExactlyOnce) {
    engine.start(baseConfig());
    advance(300ms);
    engine.stop(false);
    engine.stop(true);
    engine.emergencyStop();
    mainQueue.drain();
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
    engine.start(baseConfig());
    engine.emergencyStop();
    engine.stop(true);
    mainQueue.drain();
    EXPECT_EQ(delegate->stops(), (std::vector<bool>{false, false}));
    EXPECT_FALSE(engine.isRunning());
    EXPECT_EQ(queue.liveTimers(), 0u);
}

TEST_F(Lifecycle, PausedRunStopsCleanlyAndTicksNoMore) {
    engine.start(baseConfig());
    advance(300ms);
    engine.pause();
    engine.stop(false);
    advance(5s);
    EXPECT_EQ(input.events().size(), 2u);
    EXPECT_FALSE(engine.isRunning());
    EXPECT_FALSE(engine.isPaused());
}

TEST_F(Lifecycle, PauseIsExcludedFromTheElapsedTime) {
    auto config = baseConfig();
    config.intervalSeconds = 1;
    config.intervalMilliseconds = 0;
    engine.start(config);
    advance(500ms);  // tick at 0.3 s
    engine.pause();
    advance(5s);
    engine.resume();  // 0.8 s were left of the wait: the next tick at 6.3 s
    advance(800ms);
    const auto updates = delegate->updates();
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_DOUBLE_EQ(updates[0].elapsedTime, 0.3);
    EXPECT_DOUBLE_EQ(updates[1].elapsedTime, 1.3);
    // Then on at the interval.
    advance(1s);
    EXPECT_EQ(delegate->updates().size(), 3u);
}

// A pause stops what the user sees at once: the drag's button comes up where the pointer is, the pointer stays,
// and the resume starts a drag afresh from its start point, as the first tick after any resume, 300 ms on.
TEST_F(Lifecycle, APauseCutsADragShortWhereThePointerIsAndTheResumeStartsAFreshOne) {
    using clicktrove::platform::MouseButton;
    auto config = baseConfig();
    config.isDragEnabled = true;
    config.dragStartPoint = {100, 200};
    config.dragEndPoint = {200, 0};
    config.dragDuration = 1.0;
    input.setCursorFollowsEvents(true);
    int sleeps = 0;
    std::size_t postedAtPause = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps != 5) return;  // at 0.7 s, half-way through the drag
        engine.pause();
        postedAtPause = input.events().size();
    });
    engine.start(config);
    advance(300ms);
    ASSERT_EQ(postedAtPause, 6u) << "the press and five steps";
    ASSERT_EQ(events().size(), 7u) << "then only the release";
    EXPECT_EQ(events().back(), MouseEvent::up(MouseButton::left, {150, 100}));
    EXPECT_EQ(eventTimes().back(), 700ms);
    // The cut drag is the run's one click, with the elapsed time of the pause.
    auto updates = delegate->updates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].totalClicks, 1);
    EXPECT_DOUBLE_EQ(updates[0].elapsedTime, 0.7);

    advance(5s);
    EXPECT_EQ(events().size(), 7u) << "nothing during the pause";
    EXPECT_TRUE(engine.isPaused());
    engine.resume();  // at 5.7 s
    advance(300ms);
    ASSERT_EQ(events().size(), 7u + 12u) << "a whole drag";
    EXPECT_EQ(events()[7], MouseEvent::down(MouseButton::left, {100, 200}));
    EXPECT_EQ(eventTimes()[7], 6000ms);
    EXPECT_EQ(events().back(), MouseEvent::up(MouseButton::left, {200, 0}));
    updates = delegate->updates();
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[1].totalClicks, 2);
    EXPECT_DOUBLE_EQ(updates[1].elapsedTime, 0.7 + 0.3 + 1.0) << "the pause left out";
}

// A resume never clicks at once: the pointer may still be on the button that resumed (now Pause), and the keys
// of the resume shortcut may still be down. The next click comes after what was left of the wait at the pause,
// and no sooner than a new run's first click (300 ms); the grid starts again from it, so no second click follows
// a few milliseconds later.
struct ResumeCase {
    const char* name;
    std::chrono::milliseconds interval;
    enum class Pause { betweenTicks, duringTheFirstTick, pausedAndResumedDuringTheFirstTick } pause;
    std::chrono::milliseconds pauseAt;   // betweenTicks only
    std::chrono::milliseconds resumeAt;  // not for pausedAndResumedDuringTheFirstTick
    std::chrono::milliseconds until;
    std::vector<std::chrono::nanoseconds> clicks;
};

void PrintTo(const ResumeCase& c, std::ostream* os) {
    *os << c.name;
}

class ResumeSpacing : public EngineTest, public ::testing::WithParamInterface<ResumeCase> {};

TEST_P(ResumeSpacing, TheNextClickComesAfterWhatWasLeftAndNeverSoonerThanAFirstClick) {
    const auto& param = GetParam();
    using Pause = ResumeCase::Pause;
    auto config = baseConfig();
    config.intervalMilliseconds = param.interval.count();
    bool paused = false;
    std::thread mainThread;
    if (param.pause != Pause::betweenTicks) {
        input.setOnPost([&](auto) {
            if (paused) return;
            paused = true;
            // The pause waits for the posting under way, which is this one: it must not be made on this thread.
            mainThread = std::thread([&] {
                engine.pause();
                if (param.pause == Pause::pausedAndResumedDuringTheFirstTick) engine.resume();
            });
            ASSERT_TRUE(clicktrove::testing::waitUntil([&] { return engine.isPaused(); }, 10s));
        });
    }
    engine.start(config);
    if (param.pause == Pause::betweenTicks) {
        advance(param.pauseAt);
        engine.pause();
    } else {
        advance(300ms);
        ASSERT_TRUE(mainThread.joinable());
        mainThread.join();
    }
    if (param.pause != Pause::pausedAndResumedDuringTheFirstTick) {
        advance(param.resumeAt - (clock.monotonicNow() - origin));
        engine.resume();
    }
    advance(param.until - (clock.monotonicNow() - origin));
    EXPECT_EQ(clickTimes(input.recorded(), origin), param.clicks);
}

using Pause = ResumeCase::Pause;
INSTANTIATE_TEST_SUITE_P(
    States, ResumeSpacing,
    ::testing::Values(
        ResumeCase{"WaitingForTheFirstClick", 100ms, Pause::betweenTicks, 100ms, 1100ms, 1600ms,
                   {1400ms, 1500ms, 1600ms}},
        ResumeCase{"MoreLeftThanAFirstClickWaits", 2000ms, Pause::betweenTicks, 800ms, 10800ms, 14300ms,
                   {300ms, 12300ms, 14300ms}},
        ResumeCase{"AShortPauseMovesTheRestOfTheWait", 1000ms, Pause::betweenTicks, 500ms, 600ms, 2400ms,
                   {300ms, 1400ms, 2400ms}},
        // The deadline passed 990 ms before the resume: neither a click at once nor one 10 ms after it.
        ResumeCase{"DeadlinePassedDuringThePause", 1000ms, Pause::betweenTicks, 1290ms, 2290ms, 3590ms,
                   {300ms, 2590ms, 3590ms}},
        // The tick under way would have laid the next deadline 100 ms on.
        ResumeCase{"PausedWhileATickPosted", 100ms, Pause::duringTheFirstTick, 0ms, 1300ms, 1700ms,
                   {300ms, 1600ms, 1700ms}},
        ResumeCase{"PausedAndResumedWhileATickPosted", 100ms, Pause::pausedAndResumedDuringTheFirstTick, 0ms, 0ms,
                   700ms, {300ms, 600ms, 700ms}}),
    [](const auto& info) { return std::string(info.param.name); });

// Paused while waiting for a scheduled start, the run keeps to that start; resumed after it, it waits as any
// resume does.
TEST_F(Lifecycle, APauseBeforeAScheduledStartKeepsTheStartTime) {
    const struct {
        std::chrono::milliseconds resumeAt;
        std::chrono::milliseconds firstClick;
    } cases[] = {{5000ms, 10000ms}, {9900ms, 10200ms}, {20000ms, 20300ms}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resumeAt.count());
        input.clear();
        const auto begun = clock.monotonicNow();
        engine.start(startingAt(baseConfig(), clock.now() + 10s));
        advance(2s);
        engine.pause();
        advance(c.resumeAt - 2s);
        engine.resume();
        advance(c.firstClick - c.resumeAt);
        ASSERT_EQ(clickTimes(input.recorded(), begun), std::vector<std::chrono::nanoseconds>{c.firstClick});
        engine.stop(false);
        mainQueue.drain();
    }
}

// A work queue that lets a test act when a timer has fired, before its handler runs: as the engine's thread does
// when it has taken a deadline and not yet begun the tick.
class TimerTakenQueue final : public clicktrove::platform::WorkQueue {
public:
    explicit TimerTakenQueue(clicktrove::platform::ManualWorkQueue& inner) : inner_(inner) {}
    void async(Task task) override { inner_.async(std::move(task)); }
    std::unique_ptr<clicktrove::platform::OneShotTimer> createTimer(Task handler) override {
        return inner_.createTimer([this, handler = std::move(handler)] {
            if (auto hook = std::exchange(onTaken, {})) hook();
            handler();
        });
    }
    void sleepFor(std::chrono::nanoseconds duration, std::stop_token stop) override {
        inner_.sleepFor(duration, stop);
    }
    // Runs once, at the next firing.
    std::function<void()> onTaken;

private:
    clicktrove::platform::ManualWorkQueue& inner_;
};

using ResumeRace = clicktrove::testing::EngineSurroundings;

// The engine's thread has taken the 400 ms deadline when the pause comes, and the resume comes before that tick
// looks at the run: the tick must leave the click to the deadline the resume laid.
TEST_F(ResumeRace, ADeadlineTakenJustBeforeThePauseDoesNotClickAtTheResume) {
    TimerTakenQueue taken(queue);
    ClickEngine engine(input, mainQueue, taken, clock, random);
    input.setCursorFollowsEvents(false);
    const auto origin = clock.monotonicNow();
    engine.start(baseConfig());
    queue.advance(300ms);
    taken.onTaken = [&] {
        engine.pause();
        clock.advance(5s);
        engine.resume();
    };
    queue.advance(100ms);
    EXPECT_EQ(clickTimes(input.recorded(), origin), std::vector<std::chrono::nanoseconds>{300ms});
    queue.advance(300ms);
    EXPECT_EQ(clickTimes(input.recorded(), origin), (std::vector<std::chrono::nanoseconds>{300ms, 5700ms}));
    queue.advance(100ms);
    EXPECT_EQ(clickTimes(input.recorded(), origin).size(), 3u) << "and on at the interval";
}

TEST_F(Lifecycle, ATickUnderWayWhenANewRunStartsCountsInItsOwnRunOnly) {
    auto drag = baseConfig();
    drag.isDragEnabled = true;
    drag.dragDuration = 1.0;
    int sleeps = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps == 5) {
            engine.stop(false);
            auto next = baseConfig();
            next.maxClicks = 1;
            engine.start(next);
        }
    });
    engine.start(drag);
    advance(300ms + 500ms);
    advance(1s);
    // The old drag, cut short, is its own run's one click, ahead of that run's stopped report; the new run has one
    // click of its own, which completes it.
    const auto updates = delegate->updates();
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[0].totalClicks, 1);
    EXPECT_DOUBLE_EQ(updates[0].elapsedTime, 0.7) << "the drag lasted until the stop cut it";
    EXPECT_EQ(updates[1].totalClicks, 1);
    EXPECT_EQ(updates[1].run, updates[0].run + 1);
    EXPECT_EQ(delegate->stops(), (std::vector<bool>{false, true}));
    EXPECT_EQ(delegate->stoppedRuns(), (std::vector<clicktrove::ClickRunId>{updates[0].run, updates[1].run}));
    EXPECT_EQ(delegate->updatesAtStops(), (std::vector<std::size_t>{1, 2}));
    // The old drag's press at 0.3 s, cut short by the stop during its fifth step at 0.7 s; the new run's
    // click 300 ms after its start.
    EXPECT_EQ(clickTimes(input.recorded(), origin), (std::vector<std::chrono::nanoseconds>{300ms, 1000ms}));
}

// The program lets the key watcher hand out waiting presses there: an Escape already on its way stops the
// run before the click, not after it.
TEST_F(Lifecycle, AStopMadeJustBeforeAClickKeepsThatClickFromGoingOut) {
    int calls = 0;
    engine.setBeforeClick([&] {
        if (++calls == 3) engine.emergencyStop();
    });
    engine.start(baseConfig());
    advance(300ms + 5 * 100ms);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(clickTimes(input.recorded(), origin), (std::vector<std::chrono::nanoseconds>{300ms, 400ms}));
    EXPECT_EQ(input.events().back(), MouseEvent::upAtPointer(clicktrove::platform::MouseButton::middle));
    EXPECT_EQ(delegate->updates().size(), 2u);
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
}

TEST_F(Lifecycle, RunsWithoutADelegateAndDropsReportsOfAGoneDelegate) {
    engine.setDelegate({});
    engine.start(baseConfig());
    advance(500ms);
    EXPECT_EQ(input.events().size(), 6u);

    auto late = std::make_shared<RecordingDelegate>();
    engine.setDelegate(late);
    advance(100ms);
    EXPECT_EQ(late->updates().size(), 1u);
    // A report waits on the main queue while its delegate goes away.
    queue.advance(100ms);
    std::weak_ptr<RecordingDelegate> watch = late;
    late.reset();
    EXPECT_EQ(mainQueue.drain(), 1);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(input.events().size(), 10u);
    EXPECT_TRUE(engine.isRunning());
}

using ClickEngineLifetime = clicktrove::testing::EngineSurroundings;

// At a quit during a hold run the engine goes with the button down: it lets it go, wherever the run held it.
TEST_F(ClickEngineLifetime, AnEngineDestroyedDuringAHoldRunReleasesTheHeldButton) {
    using clicktrove::platform::MouseButton;
    const struct {
        ClickType type;
        bool paused;
        std::vector<MouseEvent> events;
    } cases[] = {
        {ClickType::holdRight, false,
         {MouseEvent::down(MouseButton::right, {500, 400}), MouseEvent::up(MouseButton::right, {500, 400})}},
        // Let go at the pause already; the second release changes nothing at the server.
        {ClickType::holdMiddle, true,
         {MouseEvent::down(MouseButton::middle, {500, 400}), MouseEvent::up(MouseButton::middle, {500, 400}),
          MouseEvent::up(MouseButton::middle, {500, 400})}},
        {ClickType::left, false,
         {MouseEvent::down(MouseButton::left, {500, 400}), MouseEvent::up(MouseButton::left, {500, 400})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(clicktrove::displayText(c.type));
        input.clear();
        {
            ClickEngine engine(input, mainQueue, queue, clock, random);
            engine.setDelegate(delegate);
            auto config = baseConfig();
            config.clickType = c.type;
            engine.start(config);
            queue.advance(300ms);
            if (c.paused) engine.pause();
        }
        EXPECT_EQ(input.events(), c.events);
        EXPECT_EQ(queue.liveTimers(), 0u);
    }
    mainQueue.drain();
    EXPECT_TRUE(delegate->stops().empty()) << "a run ended by the engine's end is not reported";
}

TEST_F(ClickEngineLifetime, ReportsQueuedBeforeTheEngineWasDestroyedAreDropped) {
    {
        ClickEngine engine(input, mainQueue, queue, clock, random);
        engine.setDelegate(delegate);
        ClickConfig config(clock.now());
        config.edgeStopEnabled = false;
        engine.start(config);
        queue.advance(300ms);
        engine.stop(false);
    }
    EXPECT_EQ(mainQueue.drain(), 2);
    EXPECT_TRUE(delegate->updates().empty());
    EXPECT_TRUE(delegate->stops().empty());
    EXPECT_EQ(queue.liveTimers(), 0u);
}

// Held-back totals wait in the engine and its pacing timer lives on the engine's queue: neither may outlast
// the engine.
TEST_F(ClickEngineLifetime, AFastRunsQueuedDeliveryAndPacingTimerGoWithTheEngine) {
    {
        ClickEngine engine(input, mainQueue, queue, clock, random);
        engine.setDelegate(delegate);
        ClickConfig config(clock.now());
        config.edgeStopEnabled = false;
        config.intervalSeconds = 0;
        config.intervalMilliseconds = 1;
        engine.start(config);
        queue.advance(300ms);
        mainQueue.drain();
        queue.advance(ClickEngine::kReportPace + 10ms);
        ASSERT_EQ(mainQueue.pendingPosted(), 1u) << "the held-back totals, waiting for the main thread";
        ASSERT_EQ(queue.liveTimers(), 2u) << "the run's timer and the pacing timer";
    }
    EXPECT_EQ(queue.liveTimers(), 0u);
    EXPECT_EQ(mainQueue.drain(), 1);
    EXPECT_EQ(delegate->updates().size(), 1u);
}

}  // namespace
