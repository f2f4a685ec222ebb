// XTest input as an ordinary X client window receives it, on the test executable's private Xvfb.
#include "platform/x11/x11_mouse_input.hpp"
#include "support/x11_event_window.hpp"
#include "support/xvfb_server.hpp"

#include <gtest/gtest.h>
#include <array>
#include <cstdlib>
#include <thread>

using clicktrove::platform::GlobalPoint;
using clicktrove::platform::MouseButton;
using clicktrove::platform::MouseEvent;
using clicktrove::platform::ScreenRect;
using clicktrove::platform::X11MouseInput;
using clicktrove::testing::X11EventWindow;
using Received = X11EventWindow::Received;
using Type = Received::Type;

namespace {

// The pointer in root coordinates as the window's own connection reads it, another client than the input's.
void expectPointerSeenAt(X11EventWindow& window, int x, int y) {
    int rootX = 0, rootY = 0;
    ASSERT_TRUE(window.queryPointer(rootX, rootY));
    EXPECT_EQ(rootX, x);
    EXPECT_EQ(rootY, y);
}

struct PostCase {
    const char* name;
    std::vector<MouseEvent> events;
    std::vector<Received> received;
};

void PrintTo(const PostCase& c, std::ostream* os) {
    *os << c.name;
}

class X11Posting : public ::testing::TestWithParam<PostCase> {};

TEST_P(X11Posting, TheWindowReceivesTheButtonsAtThePoints) {
    X11EventWindow window(100, 100, 600, 400);
    ASSERT_TRUE(window.isOpen());
    X11MouseInput input;
    ASSERT_TRUE(input.canPost());
    input.post(GetParam().events);
    const auto& want = GetParam().received;
    window.waitForButtonEvents(want.size());
    EXPECT_EQ(window.buttonEvents(), want);
}

constexpr GlobalPoint kP{300, 250};

INSTANTIATE_TEST_SUITE_P(
    Events, X11Posting,
    ::testing::Values(
        PostCase{"Left",
                 {MouseEvent::down(MouseButton::left, kP), MouseEvent::up(MouseButton::left, kP)},
                 {{Type::press, 1, 300, 250}, {Type::release, 1, 300, 250}}},
        PostCase{"RightIsButton3",
                 {MouseEvent::down(MouseButton::right, kP), MouseEvent::up(MouseButton::right, kP)},
                 {{Type::press, 3, 300, 250}, {Type::release, 3, 300, 250}}},
        PostCase{"MiddleIsButton2",
                 {MouseEvent::down(MouseButton::middle, kP), MouseEvent::up(MouseButton::middle, kP)},
                 {{Type::press, 2, 300, 250}, {Type::release, 2, 300, 250}}},
        PostCase{"DoubleClickIsFourEventsBackToBack",
                 {MouseEvent::down(MouseButton::left, kP, 1), MouseEvent::up(MouseButton::left, kP, 1),
                  MouseEvent::down(MouseButton::left, kP, 2), MouseEvent::up(MouseButton::left, kP, 2)},
                 {{Type::press, 1, 300, 250},
                  {Type::release, 1, 300, 250},
                  {Type::press, 1, 300, 250},
                  {Type::release, 1, 300, 250}}},
        PostCase{"ScrollUpIsOnePressAndReleaseOfButton4PerLine",
                 {MouseEvent::move({400, 300}), MouseEvent::scroll(2)},
                 {{Type::press, 4, 400, 300},
                  {Type::release, 4, 400, 300},
                  {Type::press, 4, 400, 300},
                  {Type::release, 4, 400, 300}}},
        PostCase{"ScrollDownIsButton5",
                 {MouseEvent::move({400, 300}), MouseEvent::scroll(-1)},
                 {{Type::press, 5, 400, 300}, {Type::release, 5, 400, 300}}},
        // No motion first: a press at the pointer stays wherever it is (not at the event's unused point).
        PostCase{"AtThePointerClicksWhereThePointerIs",
                 {MouseEvent::move({420, 330}), MouseEvent::downAtPointer(MouseButton::right),
                  MouseEvent::upAtPointer(MouseButton::right)},
                 {{Type::press, 3, 420, 330}, {Type::release, 3, 420, 330}}},
        PostCase{"DragMovesWithTheButtonHeld",
                 {MouseEvent::down(MouseButton::left, {150, 150}), MouseEvent::drag(MouseButton::left, {250, 200}),
                  MouseEvent::drag(MouseButton::left, {350, 250}), MouseEvent::up(MouseButton::left, {350, 250})},
                 {{Type::press, 1, 150, 150}, {Type::release, 1, 350, 250}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(X11MouseInput, CursorAndScreensAreInGlobalCoordinates) {
    X11EventWindow window(0, 0, 10, 10);
    X11MouseInput input;
    input.move({123, 456});
    // A round trip on the input's own connection: the server has handled the motion before the window's
    // connection asks.
    EXPECT_EQ(input.cursorPosition(), (GlobalPoint{123, 456}));
    expectPointerSeenAt(window, 123, 456);
    EXPECT_EQ(input.screens(), (std::vector<ScreenRect>{{0, 0, 1920, 1080}}));
}

TEST(X11MouseInput, DragEventsMoveThePointer) {
    X11EventWindow window(0, 0, 800, 600);
    X11MouseInput input;
    input.move({10, 10});
    input.drag(MouseButton::left, {200, 100});
    EXPECT_EQ(input.cursorPosition(), (GlobalPoint{200, 100}));
    expectPointerSeenAt(window, 200, 100);
}

// Ticks post from the engine's queue while stop and pause post from the main thread, on one connection.
TEST(X11MouseInput, PostingFromTwoThreadsKeepsEachOperationWholeAndInPlace) {
    X11EventWindow window(0, 0, 800, 600);
    ASSERT_TRUE(window.isOpen());
    X11MouseInput input;
    ASSERT_TRUE(input.canPost());
    constexpr int kClicks = 150;
    auto clicker = [&](MouseButton button, GlobalPoint at) {
        const std::array click{MouseEvent::down(button, at), MouseEvent::up(button, at)};
        for (int i = 0; i < kClicks; ++i) {
            input.post(click);
            // The readings share the connection too.
            if (i % 2) {
                (void)input.cursorPosition();
            } else {
                (void)input.recentCursorPosition(std::chrono::hours(1));
            }
        }
    };
    std::thread other(clicker, MouseButton::right, GlobalPoint{400, 300});
    clicker(MouseButton::left, GlobalPoint{200, 100});
    other.join();
    window.waitForButtonEvents(4 * kClicks);
    const auto got = window.buttonEvents();
    ASSERT_EQ(got.size(), static_cast<std::size_t>(4 * kClicks));
    int left = 0, right = 0;
    for (std::size_t i = 0; i + 1 < got.size(); i += 2) {
        // Every press is followed by its own release, where the press happened.
        ASSERT_EQ(got[i].type, Type::press) << "event " << i;
        ASSERT_EQ(got[i + 1].type, Type::release) << "event " << i + 1;
        ASSERT_EQ(got[i + 1].button, got[i].button) << "event " << i + 1;
        const bool isLeft = got[i].button == 1;
        EXPECT_EQ(got[i].rootX, isLeft ? 200 : 400) << "event " << i;
        EXPECT_EQ(got[i].rootY, isLeft ? 100 : 300) << "event " << i;
        EXPECT_EQ(got[i + 1].rootX, got[i].rootX) << "event " << i + 1;
        EXPECT_EQ(got[i + 1].rootY, got[i].rootY) << "event " << i + 1;
        (isLeft ? left : right) += 1;
    }
    EXPECT_EQ(left, kClicks);
    EXPECT_EQ(right, kClicks);
}

using X11MouseInputServer = clicktrove::testing::XvfbTest;

TEST_F(X11MouseInputServer, NoDisplayMeansNoPostingAndNoCursor) {
    const std::string display = xvfb.display();
    ::unsetenv("DISPLAY");
    X11MouseInput missing;
    EXPECT_FALSE(missing.canPost());
    EXPECT_EQ(missing.cursorPosition(), std::nullopt);
    EXPECT_TRUE(missing.screens().empty());
    missing.post(std::array{MouseEvent::move({1, 1})});  // no crash, nothing to do

    // A display named explicitly works without $DISPLAY, and one that comes later is found by canPost.
    X11MouseInput named(display);
    EXPECT_TRUE(named.canPost());
    ::setenv("DISPLAY", display.c_str(), 1);
    EXPECT_TRUE(missing.canPost());
}

TEST_F(X11MouseInputServer, WithoutXtestNothingCanBePosted) {
    xvfb.stop();
    clicktrove::testing::XvfbServer::Options options;
    options.withXtest = false;
    ASSERT_TRUE(xvfb.start(options));
    X11MouseInput input;
    EXPECT_FALSE(input.canPost());
    EXPECT_TRUE(input.cursorPosition().has_value());
}

}  // namespace

namespace {

TEST(X11MouseInput, RecentCursorReadingComesFromTheQuerySentBehindTheLastPost) {
    X11EventWindow window(0, 0, 10, 10);
    X11MouseInput input;
    input.move({300, 200});
    EXPECT_EQ(input.recentCursorPosition(std::chrono::hours(1)), (GlobalPoint{300, 200}));
    // Answered once: the next reading is fresh again and sees a move made by another client.
    input.move({310, 210});
    EXPECT_EQ(input.cursorPosition(), (GlobalPoint{310, 210}));  // the server has handled the move
    ASSERT_TRUE(window.warpPointer(50, 60));
    EXPECT_EQ(input.cursorPosition(), (GlobalPoint{50, 60}));
    input.move({320, 220});
    EXPECT_EQ(input.cursorPosition(), (GlobalPoint{320, 220}));
    ASSERT_TRUE(window.warpPointer(70, 80));
    // The query behind the last move saw (320, 220), but it is too old for this caller: read afresh.
    EXPECT_EQ(input.recentCursorPosition(std::chrono::nanoseconds(0)), (GlobalPoint{70, 80}));
}

}  // namespace

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// Declares a RandR monitor on the current $DISPLAY, as a multi-monitor setup would have it.
void addMonitor(const char* name, int x, int y, int width, int height, bool primary) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XRRMonitorInfo* m = XRRAllocateMonitor(d, 0);
    m->name = XInternAtom(d, name, False);
    m->primary = primary;
    m->automatic = False;
    m->x = x;
    m->y = y;
    m->width = width;
    m->height = height;
    m->mwidth = width / 4;
    m->mheight = height / 4;
    XRRSetMonitor(d, DefaultRootWindow(d), m);
    XSync(d, False);
    XRRFreeMonitors(m);
    XCloseDisplay(d);
}

TEST_F(X11MouseInputServer, GlobalOriginIsThePrimaryMonitorsTopLeftCorner) {
    addMonitor("RIGHT", 960, 0, 960, 1080, true);
    X11EventWindow window(0, 0, 10, 10);
    X11MouseInput input;
    // The primary first, every rectangle relative to it: the whole screen's monitor starts 960 to the left.
    EXPECT_EQ(input.screens(), (std::vector<ScreenRect>{{0, 0, 960, 1080}, {-960, 0, 1920, 1080}}));
    input.move({10, 20});
    EXPECT_EQ(input.cursorPosition(), (GlobalPoint{10, 20}));
    expectPointerSeenAt(window, 970, 20);
}

TEST_F(X11MouseInputServer, ANewMonitorLayoutIsSeenWithinHalfASecond) {
    X11MouseInput input;
    EXPECT_EQ(input.screens(), (std::vector<ScreenRect>{{0, 0, 1920, 1080}}));
    addMonitor("LEFT", 0, 0, 800, 600, true);
    // A declared monitor brings no RandR notification, so the layout is read again once the cached one is
    // older than half a second (a hotplugged output is noticed at once through its notification).
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(input.screens(), (std::vector<ScreenRect>{{0, 0, 800, 600}, {0, 0, 1920, 1080}}));
}

}  // namespace

namespace {

// Swaps physical buttons 1 and 3 on the current $DISPLAY (a left-handed mouse setting), or puts them back.
void setLeftHanded(bool leftHanded) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    unsigned char map[256];
    const int count = XGetPointerMapping(d, map, sizeof map);
    ASSERT_GE(count, 3);
    map[0] = leftHanded ? 3 : 1;
    map[2] = leftHanded ? 1 : 3;
    ASSERT_EQ(XSetPointerMapping(d, map, count), MappingSuccess);
    XSync(d, False);
    XCloseDisplay(d);
}

// A run's "Left Click" is the primary click applications see, whichever physical button gives it: XTest
// presses physical buttons, so the input layer presses the one the pointer mapping turns into the wanted one.
TEST_F(X11MouseInputServer, ButtonsArriveAsTheButtonsAskedForUnderAnyPointerMapping) {
    setLeftHanded(true);
    X11EventWindow window(100, 100, 600, 400);
    ASSERT_TRUE(window.isOpen());
    X11MouseInput input;
    input.post(std::vector{MouseEvent::down(MouseButton::left, kP), MouseEvent::up(MouseButton::left, kP),
                           MouseEvent::downAtPointer(MouseButton::right), MouseEvent::upAtPointer(MouseButton::right)});
    window.waitForButtonEvents(4);
    EXPECT_EQ(window.buttonEvents(), (std::vector<Received>{{Type::press, 1, 300, 250},
                                                            {Type::release, 1, 300, 250},
                                                            {Type::press, 3, 300, 250},
                                                            {Type::release, 3, 300, 250}}));

    // The mapping changed back while the input was connected: seen within half a second.
    setLeftHanded(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    input.post(std::vector{MouseEvent::downAtPointer(MouseButton::left), MouseEvent::upAtPointer(MouseButton::left)});
    window.waitForButtonEvents(6);
    const auto got = window.buttonEvents();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[4].button, 1u);
    EXPECT_EQ(got[5].button, 1u);
}

}  // namespace
