// What one tick posts, where it goes, holds, drags and the screen-corner stop.
#include "engine_fixture.hpp"
#include "support/wait_until.hpp"

#include <atomic>
#include <cmath>
#include <functional>
#include <optional>
#include <span>
#include <thread>

using namespace std::chrono_literals;
using clicktrove::ClickConfig;
using clicktrove::ClickEngine;
using clicktrove::ClickPositionMode;
using clicktrove::ClickType;
using clicktrove::CoordinatesOrder;
using clicktrove::ScreenPoint;
using clicktrove::platform::GlobalPoint;
using clicktrove::platform::MouseButton;
using clicktrove::platform::MouseEvent;
using clicktrove::platform::ScreenRect;
using clicktrove::testing::EngineTest;
using Kind = MouseEvent::Kind;

namespace {

constexpr GlobalPoint kAt{500, 400};

struct TickCase {
    ClickType type;
    std::vector<MouseEvent> events;
    std::int64_t clicks;
};

void PrintTo(const TickCase& c, std::ostream* os) {
    *os << clicktrove::displayText(c.type);
}

class OneTick : public EngineTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(OneTick, PostsTheEventsOfItsTypeAndCountsItsClicks) {
    auto config = baseConfig();
    config.clickType = GetParam().type;
    engine.start(config);
    advance(300ms);
    EXPECT_EQ(events(), GetParam().events);
    ASSERT_EQ(delegate->updates().size(), 1u);
    EXPECT_EQ(delegate->updates()[0].totalClicks, GetParam().clicks);
    // A double click is one tick: one time stamp.
    EXPECT_EQ(delegate->updates()[0].cps, 1);
    // The whole tick is one posting operation.
    EXPECT_EQ(input.operationCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    ClickTypes, OneTick,
    ::testing::Values(TickCase{ClickType::left,
                               {MouseEvent::down(MouseButton::left, kAt), MouseEvent::up(MouseButton::left, kAt)},
                               1},
                      TickCase{ClickType::right,
                               {MouseEvent::down(MouseButton::right, kAt), MouseEvent::up(MouseButton::right, kAt)},
                               1},
                      TickCase{ClickType::middle,
                               {MouseEvent::down(MouseButton::middle, kAt), MouseEvent::up(MouseButton::middle, kAt)},
                               1},
                      TickCase{ClickType::doubleClick,
                               {MouseEvent::down(MouseButton::left, kAt, 1), MouseEvent::up(MouseButton::left, kAt, 1),
                                MouseEvent::down(MouseButton::left, kAt, 2), MouseEvent::up(MouseButton::left, kAt, 2)},
                               2},
                      TickCase{ClickType::holdLeft, {MouseEvent::down(MouseButton::left, kAt)}, 1},
                      TickCase{ClickType::holdRight, {MouseEvent::down(MouseButton::right, kAt)}, 1},
                      TickCase{ClickType::holdMiddle, {MouseEvent::down(MouseButton::middle, kAt)}, 1},
                      TickCase{ClickType::scrollUp, {MouseEvent::move(kAt), MouseEvent::scroll(5)}, 1},
                      TickCase{ClickType::scrollDown, {MouseEvent::move(kAt), MouseEvent::scroll(-5)}, 1}));

std::vector<GlobalPoint> downPoints(const std::vector<MouseEvent>& events) {
    std::vector<GlobalPoint> out;
    for (const auto& e : events) {
        if (e.kind == Kind::buttonDown) out.push_back(e.point);
    }
    return out;
}

using Targeting = EngineTest;

TEST_F(Targeting, SequentialOrderWrapsFromTheLastPointToTheFirst) {
    auto config = baseConfig();
    config.fixedCoordinates = {{1, 1}, {2, 2}, {3, 3}};
    engine.start(config);
    advance(300ms + 6 * 100ms);
    EXPECT_EQ(downPoints(events()), (std::vector<GlobalPoint>{{1, 1}, {2, 2}, {3, 3}, {1, 1}, {2, 2}, {3, 3}, {1, 1}}));
}

TEST_F(Targeting, SequentialWalkStartsAgainWithEachRun) {
    auto config = baseConfig();
    config.fixedCoordinates = {{1, 1}, {2, 2}, {3, 3}};
    engine.start(config);
    advance(300ms);
    engine.stop(false);
    engine.start(config);
    advance(300ms);
    EXPECT_EQ(downPoints(events()), (std::vector<GlobalPoint>{{1, 1}, {1, 1}}));
}

TEST_F(Targeting, RandomOrderUsesTheDrawnIndex) {
    auto config = baseConfig();
    config.fixedCoordinates = {{1, 1}, {2, 2}, {3, 3}};
    config.coordinatesOrder = CoordinatesOrder::random;
    for (std::uint64_t i : {2, 2, 0, 1}) random.pushIndex(i);
    engine.start(config);
    advance(300ms + 3 * 100ms);
    EXPECT_EQ(downPoints(events()), (std::vector<GlobalPoint>{{3, 3}, {3, 3}, {1, 1}, {2, 2}}));
}

// At 1 ms a pointer query per tick would cost a round trip to the display server every tick: the clicks go
// out as button events at the pointer, and the corner test reads what rode behind the previous tick's events.
TEST_F(Targeting, CurrentModeClicksAtThePointerWithoutAQueryPerTick) {
    for (const bool cornerStop : {false, true}) {
        SCOPED_TRACE(cornerStop ? "corner stop on" : "corner stop off");
        input.clear();
        auto config = baseConfig();
        config.positionMode = ClickPositionMode::current;
        config.intervalMilliseconds = 1;
        config.edgeStopEnabled = cornerStop;
        config.clickType = ClickType::doubleClick;
        engine.start(config);
        advance(300ms + 99ms);
        // Where the pointer is cannot be read: the clicks still land wherever it is.
        input.setCursor(std::nullopt);
        advance(100ms);
        engine.stop(false);
        const auto posted = events();
        ASSERT_EQ(posted.size(), 200u * 4);
        for (std::size_t i = 0; i < posted.size(); i += 4) {
            ASSERT_EQ(
                std::vector<MouseEvent>(posted.begin() + static_cast<std::ptrdiff_t>(i),
                                        posted.begin() + static_cast<std::ptrdiff_t>(i + 4)),
                (std::vector<MouseEvent>{
                    MouseEvent::downAtPointer(MouseButton::left, 1), MouseEvent::upAtPointer(MouseButton::left, 1),
                    MouseEvent::downAtPointer(MouseButton::left, 2), MouseEvent::upAtPointer(MouseButton::left, 2)}))
                << "tick " << i / 4;
        }
        // The corner test's first tick has no reading behind an earlier post yet.
        EXPECT_EQ(input.cursorQueries(), cornerStop ? 1 : 0);
    }
}

TEST_F(Targeting, CurrentModeScrollsAndHoldsWhereThePointerIs) {
    auto config = baseConfig();
    config.positionMode = ClickPositionMode::current;
    config.clickType = ClickType::scrollDown;
    engine.start(config);
    advance(300ms);
    engine.stop(false);
    config.clickType = ClickType::holdMiddle;
    engine.start(config);
    advance(300ms);
    engine.pause();
    engine.resume();
    engine.stop(false);
    EXPECT_EQ(events(), (std::vector<MouseEvent>{MouseEvent::scroll(-5), MouseEvent::downAtPointer(MouseButton::middle),
                                                 MouseEvent::upAtPointer(MouseButton::middle),
                                                 MouseEvent::upAtPointer(MouseButton::middle)}));
    EXPECT_EQ(input.cursorQueries(), 0);
}

TEST_F(Targeting, RadiusJitterSpreadsBySquareRootAndStaysInsideTheDisc) {
    auto config = baseConfig();
    config.fixedCoordinates = {};  // (0, 0)
    config.randomizeRadius = true;
    config.randomRadius = 10;
    // (u, angle fraction): the distance is r * sqrt(u), so u = 0.25 lands at half the radius.
    random.pushUnit(1.0);
    random.pushUnit(0.0);
    random.pushUnit(0.25);
    random.pushUnit(0.25);
    engine.start(config);
    advance(300ms + 100ms);
    auto points = downPoints(events());
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].x, 10, 1e-9);
    EXPECT_NEAR(points[0].y, 0, 1e-9);
    EXPECT_NEAR(points[1].x, 0, 1e-9);
    EXPECT_NEAR(points[1].y, 5, 1e-9);
    // Unscripted draws: every target within the radius of (0, 0).
    advance(50 * 100ms);
    points = downPoints(events());
    ASSERT_GT(points.size(), 40u);
    for (const auto& p : points) EXPECT_LE(std::hypot(p.x, p.y), 10 + 1e-9);
}

// Each jittered click leaves the pointer at its offset. Centred on where the pointer was left, the clicks
// would wander off in a random walk; centred on where the user put it, they stay within the radius for good.
TEST_F(Targeting, RadiusJitterAtTheCursorStaysAroundWhereTheUserLeftThePointer) {
    input.setCursorFollowsEvents(true);
    input.setCursor(GlobalPoint{640, 480});
    auto config = baseConfig();
    config.positionMode = ClickPositionMode::current;
    config.intervalMilliseconds = 1;
    config.randomizeRadius = true;
    config.randomRadius = 5;
    config.edgeStopEnabled = true;
    engine.start(config);
    advance(300ms + 9999ms);
    auto points = downPoints(events());
    ASSERT_EQ(points.size(), 10'000u);
    double farthest = 0;
    for (const auto& p : points) farthest = std::max(farthest, std::hypot(p.x - 640, p.y - 480));
    EXPECT_LE(farthest, 5 + 1e-9);
    EXPECT_GT(farthest, 4) << "the offsets do spread over the disc";
    EXPECT_LE(input.cursorQueries(), 10'000) << "one reading per tick at most";

    // The user moves the pointer: the clicks follow it there, and stay.
    input.clear();
    input.setCursor(GlobalPoint{100, 900});
    advance(1000ms);
    points = downPoints(events());
    ASSERT_EQ(points.size(), 1000u);
    for (const auto& p : points) ASSERT_LE(std::hypot(p.x - 100, p.y - 900), 5 + 1e-9);
}

TEST_F(Targeting, RadiusThatIsNotPositiveAndFiniteLeavesTheTargetExact) {
    for (double radius : {0.0, -4.0, std::nan(""), HUGE_VAL}) {
        input.clear();
        auto config = baseConfig();
        config.randomizeRadius = true;
        config.randomRadius = radius;
        engine.start(config);
        advance(300ms + 100ms);
        engine.stop(false);
        EXPECT_EQ(downPoints(events()), (std::vector<GlobalPoint>{kAt, kAt})) << "radius " << radius;
    }
}

using Holds = EngineTest;

// The button goes down again with the first tick after a resume, not at the resume: at the cursor that press
// would land on the button that resumed, or come while the resume shortcut's keys are still down.
TEST_F(Holds, PressEachTickReleaseAtTheLastPointOnPauseAndStopAndPressAgainWithTheTickAfterAResume) {
    auto config = baseConfig();
    config.clickType = ClickType::holdRight;
    config.fixedCoordinates = {{10, 10}, {20, 20}};
    engine.start(config);
    advance(300ms + 100ms);
    engine.pause();
    engine.resume();
    EXPECT_EQ(events().back(), MouseEvent::up(MouseButton::right, {20, 20})) << "nothing at the resume";
    advance(300ms);
    engine.stop(false);
    EXPECT_EQ(events(),
              (std::vector<MouseEvent>{
                  MouseEvent::down(MouseButton::right, {10, 10}), MouseEvent::down(MouseButton::right, {20, 20}),
                  MouseEvent::up(MouseButton::right, {20, 20}),    // pause
                  MouseEvent::down(MouseButton::right, {10, 10}),  // the tick 300 ms after the resume
                  MouseEvent::up(MouseButton::right, {10, 10}),    // stop
              }));
    EXPECT_EQ(eventTimes()[3], 700ms);
}

TEST_F(Holds, NothingIsReleasedForClickTypesThatDoNotHold) {
    engine.start(baseConfig());
    advance(300ms);
    input.clear();
    engine.pause();
    engine.resume();
    engine.stop(false);
    EXPECT_TRUE(events().empty());
}

// A control that lands while a hold tick works out its target, after the tick's own test of the run's
// state and before its press: the press must not follow the control's release.
struct HoldRaceCase {
    const char* name;
    enum class Control { stop, pause, emergencyStop, stopAndStartAClickRun } control;
    // Everything posted, the control and whatever follows it included.
    std::vector<MouseEvent> events;
};

void PrintTo(const HoldRaceCase& c, std::ostream* os) {
    *os << c.name;
}

class HoldRace : public EngineTest, public ::testing::WithParamInterface<HoldRaceCase> {};

TEST_P(HoldRace, AControlDuringAHoldTicksTargetingLeavesNoButtonDown) {
    const auto& param = GetParam();
    using Control = HoldRaceCase::Control;
    auto config = baseConfig();
    config.clickType = ClickType::holdRight;
    config.fixedCoordinates = {{10, 10}, {20, 20}};
    config.randomizeRadius = true;  // two draws per tick, both scripted to leave the target exact
    for (int i = 0; i < 4; ++i) random.pushUnit(0.0);
    input.setCursor(GlobalPoint{7, 9});
    int draws = 0;
    random.setOnDraw([&] {
        if (++draws != 3) return;  // the second tick's first draw
        switch (param.control) {
            case Control::stop:
                engine.stop(false);
                break;
            case Control::pause:
                engine.pause();
                break;
            case Control::emergencyStop:
                engine.emergencyStop();
                break;
            case Control::stopAndStartAClickRun:
                engine.stop(false);
                engine.start(baseConfig());
                break;
        }
    });
    engine.start(config);
    advance(300ms + 100ms);
    if (param.control == Control::pause) {
        engine.resume();
        engine.stop(false);
    } else if (param.control == Control::stopAndStartAClickRun) {
        advance(300ms);
        engine.stop(false);
    }
    EXPECT_EQ(events(), param.events);
    EXPECT_FALSE(engine.isRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, HoldRace,
    ::testing::Values(
        HoldRaceCase{"Stop",
                     HoldRaceCase::Control::stop,
                     {MouseEvent::down(MouseButton::right, {10, 10}), MouseEvent::up(MouseButton::right, {10, 10})}},
        // The paused tick presses nothing and the resume neither; stop releases where the button was held.
        HoldRaceCase{"PauseThenResumeAndStop",
                     HoldRaceCase::Control::pause,
                     {MouseEvent::down(MouseButton::right, {10, 10}), MouseEvent::up(MouseButton::right, {10, 10}),
                      MouseEvent::up(MouseButton::right, {10, 10})}},
        HoldRaceCase{"EmergencyStop",
                     HoldRaceCase::Control::emergencyStop,
                     {MouseEvent::down(MouseButton::right, {10, 10}), MouseEvent::upAtPointer(MouseButton::left),
                      MouseEvent::upAtPointer(MouseButton::right), MouseEvent::upAtPointer(MouseButton::middle),
                      MouseEvent::up(MouseButton::right, {10, 10})}},
        // The left-over tick must not press for the next run, whose stop would not release a right button
        // it never pressed.
        HoldRaceCase{"StopAndStartAClickRun",
                     HoldRaceCase::Control::stopAndStartAClickRun,
                     {MouseEvent::down(MouseButton::right, {10, 10}), MouseEvent::up(MouseButton::right, {10, 10}),
                      MouseEvent::down(MouseButton::left, kAt), MouseEvent::up(MouseButton::left, kAt)}}),
    [](const auto& info) { return std::string(info.param.name); });

// Forwards to the fake pointer, running a hook first on the posting thread: lets a test act once a tick has made
// up its mind to post and before its events reach the pointer.
class BeforePostInput final : public clicktrove::platform::MouseInput {
public:
    explicit BeforePostInput(clicktrove::platform::FakeMouseInput& inner) : inner_(inner) {}
    void post(std::span<const MouseEvent> events) override {
        if (beforePost) beforePost(events);
        inner_.post(events);
    }
    std::optional<GlobalPoint> cursorPosition() override { return inner_.cursorPosition(); }
    std::optional<GlobalPoint> recentCursorPosition(std::chrono::nanoseconds maxAge) override {
        return inner_.recentCursorPosition(maxAge);
    }
    void readScreens(std::vector<ScreenRect>& out) override { inner_.readScreens(out); }
    bool canPost() override { return inner_.canPost(); }

    // Set before the run starts.
    std::function<void(std::span<const MouseEvent>)> beforePost;

private:
    clicktrove::platform::FakeMouseInput& inner_;
};

using StopDuringAHold = clicktrove::testing::EngineSurroundings;

// The user's Stop comes from the main thread after a hold tick has recorded its hold and before its press has
// reached the pointer: the release must wait for that press, or the button stays down after the run.
TEST_F(StopDuringAHold, AStopBetweenAHoldsRecordAndItsPressReleasesAfterThePress) {
    BeforePostInput hooked(input);
    ClickEngine engine(hooked, mainQueue, queue, clock, random);
    input.setCursorFollowsEvents(false);
    auto config = baseConfig();
    config.clickType = ClickType::holdLeft;
    std::thread mainThread;
    int presses = 0;
    hooked.beforePost = [&](std::span<const MouseEvent> events) {
        if (events.size() != 1 || events[0].kind != Kind::buttonDown || ++presses != 2) return;
        mainThread = std::thread([&] { engine.stop(false); });
        ASSERT_TRUE(clicktrove::testing::waitUntil([&] { return !engine.isRunning(); }, 10s)) << "the run has ended";
        // Time enough for a release that would not wait for this press to get out ahead of it.
        clicktrove::testing::waitUntil([&] { return input.events().size() > 1; }, 200ms);
    };
    engine.start(config);
    queue.advance(300ms + 100ms);
    if (mainThread.joinable()) mainThread.join();
    EXPECT_EQ(input.events(), (std::vector<MouseEvent>{MouseEvent::down(MouseButton::left, kAt),
                                                       MouseEvent::down(MouseButton::left, kAt),
                                                       MouseEvent::up(MouseButton::left, kAt)}));
    EXPECT_FALSE(engine.isRunning());
}

class Drags : public EngineTest {
protected:
    ClickConfig dragConfig() const {
        auto config = baseConfig();
        config.isDragEnabled = true;
        config.dragStartPoint = {100, 200};
        config.dragEndPoint = {200, 0};
        config.dragDuration = 1.0;
        config.intervalSeconds = 1;
        config.intervalMilliseconds = 0;
        return config;
    }
};

TEST_F(Drags, DownTenDraggedStepsAtExactTenthsAndUpOverTheDuration) {
    engine.start(dragConfig());
    advance(300ms);
    const auto recorded = events();
    ASSERT_EQ(recorded.size(), 12u);
    EXPECT_EQ(recorded.front(), MouseEvent::down(MouseButton::left, {100, 200}));
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(recorded[i], MouseEvent::drag(MouseButton::left, {100 + 10.0 * i, 200 - 20.0 * i})) << "step " << i;
    }
    EXPECT_EQ(recorded.back(), MouseEvent::up(MouseButton::left, {200, 0}));
    const auto times = eventTimes();
    EXPECT_EQ(times.front(), 300ms);
    EXPECT_EQ(times.back(), 1300ms);
    ASSERT_EQ(delegate->updates().size(), 1u);
    EXPECT_EQ(delegate->updates()[0].totalClicks, 1);
}

// A drag's duration adds to the period: the next drag comes an interval after the last one ended, never back
// to back with it, however long the drag against the interval.
TEST_F(Drags, EachDragBeginsAnIntervalAfterThePreviousOneEnded) {
    const struct {
        double duration;
        std::chrono::milliseconds interval;
        std::vector<std::chrono::nanoseconds> presses;
    } cases[] = {
        {0.5, 1000ms, {300ms, 1800ms, 3300ms}},
        {1.0, 100ms, {300ms, 1400ms, 2500ms}},
        {0.0, 100ms, {300ms, 400ms, 500ms}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        input.clear();
        const auto begun = clock.monotonicNow();
        auto config = dragConfig();
        config.dragDuration = c.duration;
        config.intervalSeconds = 0;
        config.intervalMilliseconds = c.interval.count();
        engine.start(config);
        advance(c.presses.back() + 1ms);
        std::vector<std::chrono::nanoseconds> presses;
        for (const auto& r : input.recorded()) {
            if (r.event.kind == Kind::buttonDown) presses.push_back(r.time - begun);
        }
        EXPECT_EQ(presses, c.presses);
        engine.stop(false);
        mainQueue.drain();
    }
}

TEST_F(Drags, UserStopEndsTheDragAtOnceAndReleasesTheButtonAtTheCursor) {
    input.setCursor(GlobalPoint{150, 150});
    int sleeps = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps == 3) engine.stop(false);
    });
    auto config = dragConfig();
    config.dragDuration = 3600;
    engine.start(config);
    advance(300ms);
    const auto recorded = events();
    ASSERT_EQ(recorded.size(), 5u) << "down, three steps, up";
    EXPECT_EQ(recorded.back(), MouseEvent::up(MouseButton::left, {150, 150}));
    // Two steps slept their six minutes; the third was cut short by the stop.
    EXPECT_EQ(eventTimes().back(), 300ms + 720s);
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
    EXPECT_FALSE(engine.isRunning());
}

struct AbortCase {
    int duringSleep;  // the emergency stop comes while the drag sleeps after this step
    std::size_t draggedEvents;
    GlobalPoint releasedAt;
};

void PrintTo(const AbortCase& c, std::ostream* os) {
    *os << "during sleep " << c.duringSleep;
}

class DragAbort : public Drags, public ::testing::WithParamInterface<AbortCase> {};

TEST_P(DragAbort, EmergencyStopEndsTheDragWithinOneStepAtTheCursor) {
    const auto param = GetParam();
    input.setCursorFollowsEvents(true);
    int sleeps = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps == param.duringSleep) engine.emergencyStop();
    });
    engine.start(dragConfig());
    advance(300ms);
    const auto recorded = events();
    std::size_t dragged = 0;
    for (const auto& e : recorded) dragged += e.kind == Kind::dragged;
    EXPECT_EQ(dragged, param.draggedEvents);
    // The emergency stop's own release of all three buttons, then the drag's button-up.
    ASSERT_GE(recorded.size(), 4u);
    EXPECT_EQ(recorded[recorded.size() - 4].kind, Kind::buttonUp);
    EXPECT_EQ(recorded.back(), MouseEvent::up(MouseButton::left, param.releasedAt));
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
    EXPECT_FALSE(engine.isRunning());
}

INSTANTIATE_TEST_SUITE_P(Steps, DragAbort,
                         ::testing::Values(AbortCase{1, 1, {110, 180}}, AbortCase{4, 4, {140, 120}},
                                           AbortCase{10, 10, {200, 0}}));

TEST_F(Drags, AbortedDragReleasesAtItsStartWhenTheCursorCannotBeRead) {
    input.setCursor(std::nullopt);
    int sleeps = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps == 3) engine.emergencyStop();
    });
    engine.start(dragConfig());
    advance(300ms);
    // The emergency stop's own release goes wherever the pointer is; the drag's button-up to its start point.
    EXPECT_EQ(events()[events().size() - 4], MouseEvent::upAtPointer(MouseButton::left));
    EXPECT_EQ(events().back(), MouseEvent::up(MouseButton::left, {100, 200}));
}

TEST_F(Drags, EmergencyStopCutsTheStepsSleepShort) {
    auto config = dragConfig();
    config.dragDuration = 3600;
    int sleeps = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps == 2) engine.emergencyStop();
    });
    engine.start(config);
    advance(300ms);
    // The first step slept its full 6 minutes; the interrupted one did not move the clock.
    EXPECT_EQ(eventTimes().back(), 300ms + 360s);
}

TEST_F(Drags, EmergencyStopBeforeTheRunDoesNotLeakIntoTheNextRun) {
    engine.emergencyStop();
    engine.start(dragConfig());
    advance(300ms);
    EXPECT_EQ(events().back(), MouseEvent::up(MouseButton::left, {200, 0}));
    EXPECT_EQ(events().size(), 3u + 12u);
}

// A pause ends a drag at once, as a stop does: its button comes up where the pointer is, no step follows, and it
// counts as the run's one click. Whatever comes next finds no button of the drag down.
struct DragPauseCase {
    const char* name;
    // At 2 s, long after the pause.
    std::function<void(ClickEngine&)> then;
    // Posted after the pause's release, until 4.5 s.
    std::vector<MouseEvent> after;
    std::vector<std::int64_t> totals;
    std::vector<bool> stops;
};

void PrintTo(const DragPauseCase& c, std::ostream* os) {
    *os << c.name;
}

class DragPause : public Drags, public ::testing::WithParamInterface<DragPauseCase> {};

TEST_P(DragPause, APauseInAStepsSleepEndsTheDragThereAndWhatFollowsFindsNoButtonDown) {
    const auto& param = GetParam();
    input.setCursorFollowsEvents(true);
    int sleeps = 0;
    queue.setSleepHook([&](auto) {
        if (++sleeps == 4) engine.pause();  // at 0.6 s
    });
    engine.start(dragConfig());
    advance(300ms);
    const std::vector<MouseEvent> untilThePause{
        MouseEvent::down(MouseButton::left, {100, 200}), MouseEvent::drag(MouseButton::left, {110, 180}),
        MouseEvent::drag(MouseButton::left, {120, 160}), MouseEvent::drag(MouseButton::left, {130, 140}),
        MouseEvent::drag(MouseButton::left, {140, 120}), MouseEvent::up(MouseButton::left, {140, 120})};
    ASSERT_EQ(events(), untilThePause);
    EXPECT_EQ(eventTimes().back(), 600ms);
    queue.setSleepHook({});
    advance(2s - (clock.monotonicNow() - origin));
    param.then(engine);
    advance(4500ms - (clock.monotonicNow() - origin));
    const auto all = events();
    EXPECT_EQ(std::vector<MouseEvent>(all.begin() + static_cast<std::ptrdiff_t>(untilThePause.size()), all.end()),
              param.after);
    std::vector<std::int64_t> totals;
    for (const auto& u : delegate->updates()) totals.push_back(u.totalClicks);
    EXPECT_EQ(totals, param.totals) << "the cut drag reported once, before any stopped report";
    EXPECT_DOUBLE_EQ(delegate->updates().front().elapsedTime, 0.6);
    EXPECT_EQ(delegate->stops(), param.stops);
}

std::vector<MouseEvent> wholeDrag() {
    std::vector<MouseEvent> out{MouseEvent::down(MouseButton::left, {100, 200})};
    for (int i = 1; i <= 10; ++i) out.push_back(MouseEvent::drag(MouseButton::left, {100 + 10.0 * i, 200 - 20.0 * i}));
    out.push_back(MouseEvent::up(MouseButton::left, {200, 0}));
    return out;
}

INSTANTIATE_TEST_SUITE_P(Then, DragPause,
                         ::testing::Values(
                             // The drag ended at the pause, and the next comes an interval (1 s) after a drag ends: 1 s
                             // after the resume, afresh from its start point.
                             DragPauseCase{"Resume", [](ClickEngine& e) { e.resume(); }, wholeDrag(), {1, 2}, {}},
                             DragPauseCase{"Stop", [](ClickEngine& e) { e.stop(false); }, {}, {1}, {false}},
                             DragPauseCase{"EmergencyStop",
                                           [](ClickEngine& e) { e.emergencyStop(); },
                                           {MouseEvent::upAtPointer(MouseButton::left),
                                            MouseEvent::upAtPointer(MouseButton::right),
                                            MouseEvent::upAtPointer(MouseButton::middle)},
                                           {1},
                                           {false}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Drags, APauseBeforeTheDragsPressKeepsThePressBackUntilTheTickAfterTheResume) {
    int calls = 0;
    engine.setBeforeClick([&] {
        if (++calls == 1) engine.pause();
    });
    engine.start(dragConfig());
    advance(2s);
    EXPECT_TRUE(events().empty()) << "no button down during the pause";
    EXPECT_TRUE(delegate->updates().empty()) << "nothing counted";
    engine.resume();  // at 2 s; the paused tick was a drag's, so an interval is left
    advance(1s);
    ASSERT_EQ(events(), wholeDrag());
    EXPECT_EQ(eventTimes().front(), 3000ms);
    ASSERT_EQ(delegate->updates().size(), 1u);
    EXPECT_EQ(delegate->updates()[0].totalClicks, 1);
}

using PauseDuringADrag = clicktrove::testing::EngineSurroundings;

// The user's Pause comes from the main thread while a drag's step is on its way to the pointer: once pause() has
// returned, that step is out and nothing follows but the release.
TEST_F(PauseDuringADrag, APauseReturnsOnlyOnceTheStepOnItsWayIsOut) {
    BeforePostInput hooked(input);
    ClickEngine engine(hooked, mainQueue, queue, clock, random);
    std::thread mainThread;
    std::atomic<bool> returned{false};
    std::size_t postedAtPause = 0;
    int steps = 0;
    hooked.beforePost = [&](std::span<const MouseEvent> events) {
        if (events.size() != 1 || events[0].kind != Kind::dragged || ++steps != 3) return;
        mainThread = std::thread([&] {
            engine.pause();
            postedAtPause = input.events().size();
            returned = true;
        });
        ASSERT_TRUE(clicktrove::testing::waitUntil([&] { return engine.isPaused(); }, 10s));
        // Time enough for a pause that would not wait for this step to return ahead of it.
        clicktrove::testing::waitUntil([&] { return returned.load(); }, 200ms);
    };
    auto config = baseConfig();
    config.isDragEnabled = true;
    config.dragStartPoint = {100, 200};
    config.dragEndPoint = {200, 0};
    config.dragDuration = 1.0;
    engine.start(config);
    queue.advance(300ms);
    if (mainThread.joinable()) mainThread.join();
    // The release may follow at once, before the pause's own thread looks.
    EXPECT_GE(postedAtPause, 4u) << "the press and three steps";
    const auto events = input.events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events.back(), MouseEvent::up(MouseButton::left, {130, 140})) << "released where the step left it";
    engine.stop(false);
}

struct CornerCase {
    const char* name;
    std::vector<ScreenRect> screens;
    GlobalPoint cursor;
    bool stops;
};

void PrintTo(const CornerCase& c, std::ostream* os) {
    *os << c.name;
}

class CornerStop : public EngineTest, public ::testing::WithParamInterface<CornerCase> {};

TEST_P(CornerStop, StopsBeforeClickingWhenTheCursorRestsNearAnyScreensCorner) {
    const auto& param = GetParam();
    input.setScreens(param.screens);
    input.setCursor(param.cursor);
    auto config = baseConfig();
    config.edgeStopEnabled = true;
    engine.start(config);
    advance(300ms);
    if (param.stops) {
        EXPECT_TRUE(events().empty());
        EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
        EXPECT_FALSE(engine.isRunning());
    } else {
        EXPECT_EQ(events().size(), 2u);
        EXPECT_TRUE(engine.isRunning());
    }
}

const std::vector<ScreenRect> kOne{{0, 0, 1920, 1080}};
const std::vector<ScreenRect> kSideBySide{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
const std::vector<ScreenRect> kLeftOfPrimary{{0, 0, 1920, 1080}, {-1280, 56, 1280, 1024}};

INSTANTIATE_TEST_SUITE_P(
    Screens, CornerStop,
    ::testing::Values(CornerCase{"TopLeft", kOne, {2, 2}, true}, CornerCase{"JustOutOfReach", kOne, {3, 3}, false},
                      CornerCase{"ExactlyThree", kOne, {3, 0}, true},
                      CornerCase{"BottomRight", kOne, {1918, 1078}, true},
                      CornerCase{"Middle", kOne, {960, 540}, false},
                      CornerCase{"WhereTopEdgesMeet", kSideBySide, {1921, 2}, true},
                      CornerCase{"InnerBottomCornerOfTheSmallerScreen", kSideBySide, {1922, 1023}, true},
                      CornerCase{"AlongTheSharedEdge", kSideBySide, {1920, 500}, false},
                      CornerCase{"SecondScreenFarCorner", kSideBySide, {3198, 1022}, true},
                      CornerCase{"ScreenAtNegativeCoordinates", kLeftOfPrimary, {-1279, 57}, true},
                      CornerCase{"NoScreens", {}, {0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CornerStop, AnUnreadableCursorIsNeverInACorner) {
    input.setCursor(std::nullopt);
    auto config = baseConfig();
    config.edgeStopEnabled = true;
    engine.start(config);
    advance(300ms);
    EXPECT_TRUE(engine.isRunning());
}

TEST_F(Holds, EmergencyStopWithoutARunReleasesAllButtonsAtThePointerAndReportsNothing) {
    const std::vector<MouseEvent> releases{MouseEvent::upAtPointer(MouseButton::left),
                                           MouseEvent::upAtPointer(MouseButton::right),
                                           MouseEvent::upAtPointer(MouseButton::middle)};
    engine.emergencyStop();
    mainQueue.drain();
    EXPECT_EQ(events(), releases);
    EXPECT_TRUE(delegate->stops().empty());
    // No reading first: an unreadable cursor changes nothing, and the stop waits for no round trip.
    input.clear();
    input.setCursor(std::nullopt);
    engine.emergencyStop();
    EXPECT_EQ(events(), releases);
    EXPECT_EQ(input.cursorQueries(), 0);
}

}  // namespace
