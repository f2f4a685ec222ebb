// Held buttons and the middle button on a real X server: what a window under the pointer receives, and that no
// button is left down once a run has ended or while it is paused.
#include "engine/click_engine.hpp"
#include "engine_fixture.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "support/wait_until.hpp"
#include "support/x11_event_window.hpp"

#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using clicktrove::ClickConfig;
using clicktrove::ClickEngine;
using clicktrove::ClickPositionMode;
using clicktrove::ClickType;
using clicktrove::testing::RecordingDelegate;
using clicktrove::testing::waitUntil;
using clicktrove::testing::X11EventWindow;
using Received = X11EventWindow::Received;
using Type = Received::Type;

// The buttons the server holds down for the pointer, as any client would read them.
unsigned int buttonsDown() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return ~0u;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    XCloseDisplay(display);
    return mask & (Button1Mask | Button2Mask | Button3Mask);
}

// An engine posting through XTest into a window that covers both target points.
class HeldButtonsOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.isOpen());
        ASSERT_TRUE(input.canPost());
        engine.setDelegate(delegate);
    }
    void TearDown() override {
        engine.stop(false);
        EXPECT_EQ(buttonsDown(), 0u) << "a button stayed down";
    }

    ClickConfig config(ClickType type, std::int64_t maxClicks, std::int64_t intervalMs = 10) const {
        ClickConfig c;
        c.intervalSeconds = 0;
        c.intervalMilliseconds = intervalMs;
        c.clickType = type;
        c.positionMode = ClickPositionMode::fixed;
        c.fixedCoordinates = {{300, 250}, {500, 450}};
        c.maxClicks = maxClicks;
        c.edgeStopEnabled = false;
        return c;
    }
    bool runUntilStopped() {
        return waitUntil(
            [&] {
                mainQueue.drain();
                return !delegate->stops().empty();
            },
            30s, 5ms);
    }
    // Waits until the window has had `count` presses and releases, then a little longer for any beyond them.
    std::vector<Received> received(std::size_t count) {
        window.waitForButtonEvents(count);
        window.waitForButtonEvents(count + 1, 200ms);
        return window.buttonEvents();
    }

    X11EventWindow window{100, 100, 800, 600};
    clicktrove::platform::X11MouseInput input;
    // Reports only need to be collected; the run's own time is the system's.
    clicktrove::platform::FakeClock reportClock;
    clicktrove::platform::ManualMainQueue mainQueue{reportClock};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    ClickEngine engine{input, mainQueue};
};

// Every tick presses again at its point with no release in between; the server passes on the first press
// only, the pointer then moves with the button down, and the end of the run releases it at the last point.
TEST_F(HeldButtonsOnX11, AHoldRunPressesOnceAndReleasesAtTheLastPointWhenItEnds) {
    const struct {
        ClickType type;
        unsigned int button;
    } cases[] = {{ClickType::holdLeft, 1}, {ClickType::holdRight, 3}, {ClickType::holdMiddle, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        const auto before = window.buttonEvents().size();
        delegate = std::make_shared<RecordingDelegate>();
        engine.setDelegate(delegate);
        engine.start(config(c.type, 2));
        ASSERT_TRUE(runUntilStopped());
        EXPECT_EQ(delegate->stops(), std::vector<bool>{true});
        auto events = received(before + 2);
        events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(before));
        EXPECT_EQ(events,
                  (std::vector<Received>{{Type::press, c.button, 300, 250}, {Type::release, c.button, 500, 450}}));
        EXPECT_EQ(buttonsDown(), 0u);
    }
}

TEST_F(HeldButtonsOnX11, PauseLetsTheHeldButtonGoAndTheTickAfterTheResumePressesItAgain) {
    // A second between ticks: the pause, resume and stop below never meet a tick under way.
    engine.start(config(ClickType::holdRight, 0, 1000));
    window.waitForButtonEvents(1);
    ASSERT_EQ(window.buttonEvents(), (std::vector<Received>{{Type::press, 3, 300, 250}}));
    EXPECT_EQ(buttonsDown(), static_cast<unsigned int>(Button3Mask));

    engine.pause();
    const auto paused = received(2);
    ASSERT_EQ(paused.size(), 2u);
    EXPECT_EQ(paused[1].type, Type::release);
    EXPECT_EQ(paused[1].button, 3u);
    EXPECT_EQ(buttonsDown(), 0u) << "nothing stays pressed while the run is paused";

    engine.resume();
    window.waitForButtonEvents(3, 150ms);
    EXPECT_EQ(window.buttonEvents(), paused) << "nothing at the resume itself";
    EXPECT_EQ(buttonsDown(), 0u);
    window.waitForButtonEvents(3);
    const auto resumed = window.buttonEvents();
    ASSERT_GE(resumed.size(), 3u);
    EXPECT_EQ(resumed[2], (Received{Type::press, 3, 500, 450})) << "pressed again by the next tick, at its point";
    EXPECT_EQ(buttonsDown(), static_cast<unsigned int>(Button3Mask));

    engine.stop(false);
    const auto stopped = received(4);
    ASSERT_EQ(stopped.size(), 4u);
    EXPECT_EQ(stopped[3].type, Type::release);
    EXPECT_EQ(stopped[3].button, 3u);
}

TEST_F(HeldButtonsOnX11, AMiddleClickRunClicksTheMiddleButtonAtEachPoint) {
    engine.start(config(ClickType::middle, 3));
    ASSERT_TRUE(runUntilStopped());
    EXPECT_EQ(received(6), (std::vector<Received>{{Type::press, 2, 300, 250},
                                                  {Type::release, 2, 300, 250},
                                                  {Type::press, 2, 500, 450},
                                                  {Type::release, 2, 500, 450},
                                                  {Type::press, 2, 300, 250},
                                                  {Type::release, 2, 300, 250}}));
}

}  // namespace
