// The engine's lock discipline under real threads: the main thread starts, pauses, resumes, stops and
// emergency-stops runs while the engine queue ticks at 1 ms. Meant for the ThreadSanitizer build; the
// assertions hold however the threads interleave.
#include "engine/click_engine.hpp"
#include "engine_fixture.hpp"
#include "platform/fake/fake_key_press_monitor.hpp"
#include "platform/fake/fake_mouse_input.hpp"
#include "platform/fake/manual_main_queue.hpp"

#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace std::chrono_literals;
using clicktrove::ClickConfig;
using clicktrove::ClickEngine;
using clicktrove::ClickPositionMode;
using clicktrove::ClickType;
using clicktrove::platform::MouseEvent;
using clicktrove::testing::RecordingDelegate;

TEST(ClickEngineStress, ControlsFromTheMainThreadWhileTickingAtOneMillisecond) {
    clicktrove::platform::FakeMouseInput input;
    clicktrove::platform::FakeClock reportClock;
    clicktrove::platform::ManualMainQueue mainQueue(reportClock);
    auto delegate = std::make_shared<RecordingDelegate>();
    int runs = 0;
    {
        ClickEngine engine(input, mainQueue);
        engine.setDelegate(delegate);
        const ClickType types[] = {ClickType::left, ClickType::holdLeft, ClickType::doubleClick, ClickType::scrollUp};
        for (int round = 0; round < 40; ++round) {
            ClickConfig config;
            config.intervalSeconds = 0;
            config.intervalMilliseconds = 1;
            config.clickType = types[round % 4];
            config.positionMode = round % 2 ? ClickPositionMode::fixed : ClickPositionMode::current;
            config.fixedCoordinates = {{100, 100}, {200, 200}};
            config.randomizeInterval = round % 3 == 0;
            config.intervalRandomRangeMs = 0.5;
            config.randomizeRadius = true;
            config.isDragEnabled = round % 8 == 7;
            config.dragDuration = 0.01;
            // A scheduled start 1 ms ahead skips the usual 300 ms wait before the first tick.
            config.scheduledStartEnabled = true;
            config.scheduledStartTime = std::chrono::system_clock::now() + 1ms;
            engine.start(config);
            ++runs;
            // A resumed run waits 300 ms before its next tick, longer than a round: in half the rounds the run is
            // never paused, so that its stop meets ticks under way.
            const bool pauses = round % 4 >= 2;
            for (int i = 0; i < 20; ++i) {
                std::this_thread::sleep_for(std::chrono::microseconds(300 + 100 * (i % 7)));
                switch (pauses ? (round + i) % 4 : 2 + i % 2) {
                    case 0:
                        engine.pause();
                        break;
                    case 1:
                        engine.resume();
                        break;
                    case 2:
                        (void)engine.isRunning();
                        (void)engine.isPaused();
                        break;
                    case 3:
                        mainQueue.drain();
                        break;
                }
            }
            if (round % 2) {
                engine.emergencyStop();
            } else {
                engine.stop(false);
            }
            EXPECT_FALSE(engine.isRunning());
            mainQueue.drain();
        }
    }
    mainQueue.drain();
    // One end report per run, whatever a tick was doing when the stop came.
    EXPECT_EQ(delegate->stops().size(), static_cast<std::size_t>(runs));
    // And no report of a run after it, whichever thread the reports and the stops came from.
    const auto updates = delegate->updates();
    const auto stoppedRuns = delegate->stoppedRuns();
    const auto updatesAtStops = delegate->updatesAtStops();
    for (std::size_t i = 0; i < stoppedRuns.size(); ++i) {
        for (std::size_t u = updatesAtStops[i]; u < updates.size(); ++u) {
            ASSERT_NE(updates[u].run, stoppedRuns[i]) << "report " << u << " after the stop of run " << stoppedRuns[i];
        }
    }
    // Every held press was released: each run ends with a stop, which releases the held button.
    int held = 0;
    for (const auto& e : input.events()) {
        if (e.button != clicktrove::platform::MouseButton::left) continue;
        if (e.kind == MouseEvent::Kind::buttonDown) held = 1;
        if (e.kind == MouseEvent::Kind::buttonUp) held = 0;
    }
    EXPECT_EQ(held, 0);
}

// The keyboard's own thread stops the engine at the press, while the engine queue ticks at 1 ms and the main
// thread works the run: once emergencyStop() has returned, nothing but its releases may follow.
TEST(ClickEngineStress, EmergencyStopFromTheKeyThreadIsTheLastWordWhileTickingAtOneMillisecond) {
    clicktrove::platform::FakeMouseInput input;
    clicktrove::platform::FakeClock reportClock;
    clicktrove::platform::ManualMainQueue mainQueue(reportClock);
    auto delegate = std::make_shared<RecordingDelegate>();
    ClickEngine engine(input, mainQueue);
    engine.setDelegate(delegate);
    const ClickType types[] = {ClickType::left, ClickType::doubleClick, ClickType::holdRight};
    for (int round = 0; round < 30; ++round) {
        ClickConfig config;
        config.intervalSeconds = 0;
        config.intervalMilliseconds = 1;
        config.clickType = types[round % 3];
        config.positionMode = round % 2 ? ClickPositionMode::fixed : ClickPositionMode::current;
        config.fixedCoordinates = {{100, 100}};
        config.edgeStopEnabled = false;
        config.scheduledStartEnabled = true;
        config.scheduledStartTime = std::chrono::system_clock::now() + 1ms;
        input.clear();
        ASSERT_TRUE(engine.start(config));
        std::size_t postedAtStop = 0;
        std::thread keys([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(2000 + 397 * round));
            engine.emergencyStop();
            postedAtStop = input.events().size();
        });
        for (int i = 0; i < 6; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            if (round % 3 == 1 && i == 2) engine.pause();
            if (round % 3 == 1 && i == 3) engine.resume();
            mainQueue.drain();
        }
        keys.join();
        std::this_thread::sleep_for(5ms);
        EXPECT_FALSE(engine.isRunning());
        const auto events = input.events();
        EXPECT_EQ(events.size(), postedAtStop) << "round " << round << ": something was posted after the stop";
        // The three releases at the pointer (and a held button's own release) end the record.
        std::size_t releasesAtEnd = 0;
        for (auto it = events.rbegin(); it != events.rend() && it->kind == MouseEvent::Kind::buttonUp; ++it) {
            ++releasesAtEnd;
        }
        EXPECT_GE(releasesAtEnd, 3u) << "round " << round;
        mainQueue.drain();
    }
    EXPECT_EQ(delegate->stops().size(), 30u);
}

// On a loaded machine the key watcher's thread may not run for a while after Escape has arrived; the engine
// hands the press out itself before its next click and so stops itself from its own thread, inside a tick. In
// some rounds the watcher's thread catches up at the same moment and races it for the press.
TEST(ClickEngineStress, AnEscapeThatArrivedStopsTheRunFromInsideATickWhileTickingAtOneMillisecond) {
    clicktrove::platform::FakeMouseInput input;
    clicktrove::platform::FakeClock reportClock;
    clicktrove::platform::ManualMainQueue mainQueue(reportClock);
    clicktrove::platform::FakeKeyPressMonitor keys;
    auto delegate = std::make_shared<RecordingDelegate>();
    ClickEngine engine(input, mainQueue);
    engine.setDelegate(delegate);
    std::atomic<int> escapes{0};
    const auto token = keys.addMonitor([&](const clicktrove::platform::KeyPressEvent&) {
        ++escapes;
        engine.emergencyStop();
    });
    ASSERT_TRUE(token);
    engine.setBeforeClick([&keys] { keys.deliverPending(); });
    for (int round = 0; round < 30; ++round) {
        ClickConfig config;
        config.intervalSeconds = 0;
        config.intervalMilliseconds = 1;
        config.clickType = round % 2 ? ClickType::doubleClick : ClickType::holdLeft;
        config.positionMode = round % 3 ? ClickPositionMode::current : ClickPositionMode::fixed;
        config.fixedCoordinates = {{100, 100}};
        config.edgeStopEnabled = false;
        config.scheduledStartEnabled = true;
        // Far enough ahead that a slow start (a sanitizer build) still finds it ahead: a start time already passed
        // means the ordinary first-tick delay, longer than this test waits.
        config.scheduledStartTime = std::chrono::system_clock::now() + 50ms;
        input.clear();
        escapes = 0;
        ASSERT_TRUE(engine.start(config));
        std::size_t postedAtArrival = 0;
        std::thread watcher([&] {
            std::this_thread::sleep_until(config.scheduledStartTime + std::chrono::microseconds(2000 + 397 * round));
            keys.arrive({9, 0, true});  // Escape
            // Counted once the key is there: a click posted between a count taken first and the key's arrival
            // came before the key.
            postedAtArrival = input.events().size();
            if (round % 2) keys.deliverPending();
        });
        watcher.join();
        // Until the run's stopped report, which goes out after the releases: the run ends first, so a run no
        // longer running may still be posting them.
        for (int i = 0; i < 2000 && delegate->stops().size() <= static_cast<std::size_t>(round); ++i) {
            std::this_thread::sleep_for(1ms);
            mainQueue.drain();
        }
        ASSERT_FALSE(engine.isRunning()) << "round " << round;
        EXPECT_EQ(escapes, 1) << "round " << round << ": the press goes out once, whoever asks";
        // At most the click that was already past its look at the presses, then the releases.
        std::size_t presses = 0;
        const auto events = input.events();
        for (std::size_t i = postedAtArrival; i < events.size(); ++i) {
            presses += events[i].kind == MouseEvent::Kind::buttonDown ? 1 : 0;
        }
        EXPECT_LE(presses, config.clickType == ClickType::doubleClick ? 2u : 1u) << "round " << round;
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, MouseEvent::Kind::buttonUp) << "round " << round;
    }
    mainQueue.drain();
    EXPECT_EQ(delegate->stops().size(), 30u);
    keys.removeMonitor(*token);
}

// Quitting during a run destroys an engine whose tick timer is armed: everything of its queue must go in order
// (the sanitizer builds catch a timer cancelled in a freed table).
TEST(ClickEngineStress, AnEngineDestroyedWhileTickingStopsCleanly) {
    clicktrove::platform::FakeMouseInput input;
    clicktrove::platform::FakeClock reportClock;
    clicktrove::platform::ManualMainQueue mainQueue(reportClock);
    for (const int intervalMs : {1, 60}) {
        auto engine = std::make_unique<ClickEngine>(input, mainQueue);
        ClickConfig config;
        config.intervalSeconds = 0;
        config.intervalMilliseconds = intervalMs;
        config.edgeStopEnabled = false;
        config.scheduledStartEnabled = true;
        config.scheduledStartTime = std::chrono::system_clock::now();
        input.clear();
        ASSERT_TRUE(engine->start(config));
        for (int i = 0; i < 2000 && input.events().empty(); ++i) std::this_thread::sleep_for(1ms);
        ASSERT_FALSE(input.events().empty()) << intervalMs << " ms";
        ASSERT_TRUE(engine->isRunning());
        engine.reset();
        const auto posted = input.events().size();
        std::this_thread::sleep_for(5ms);
        EXPECT_EQ(input.events().size(), posted) << "nothing ticks after the engine is gone";
        mainQueue.drain();
    }
}
