// Short real runs: the engine on its own queue posting through XTest into a test window.
#include "engine/click_engine.hpp"
#include "engine_fixture.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "support/wait_until.hpp"
#include "support/x11_event_window.hpp"

#include <gtest/gtest.h>

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

namespace {

struct RealRun {
    const char* name;
    ClickType type;
    bool drag;
    std::int64_t maxClicks;
    // Expected presses and releases.
    std::vector<Received> received;
};

void PrintTo(const RealRun& r, std::ostream* os) {
    *os << r.name;
}

class EngineOnX11 : public ::testing::TestWithParam<RealRun> {};

TEST_P(EngineOnX11, TheWindowReceivesTheRunsEvents) {
    const auto& param = GetParam();
    X11EventWindow window(100, 100, 800, 600);
    ASSERT_TRUE(window.isOpen());
    clicktrove::platform::X11MouseInput input;
    ASSERT_TRUE(input.canPost());
    // Reports only need to be collected; the wall and monotonic time of the run are the system's.
    clicktrove::platform::FakeClock reportClock;
    clicktrove::platform::ManualMainQueue mainQueue(reportClock);
    auto delegate = std::make_shared<RecordingDelegate>();
    ClickEngine engine(input, mainQueue);
    engine.setDelegate(delegate);

    ClickConfig config;
    config.intervalSeconds = 0;
    config.intervalMilliseconds = 10;
    config.clickType = param.type;
    config.positionMode = ClickPositionMode::fixed;
    config.fixedCoordinates = {{300, 250}, {500, 450}};
    config.maxClicks = param.maxClicks;
    config.isDragEnabled = param.drag;
    config.dragStartPoint = {200, 200};
    config.dragEndPoint = {600, 400};
    config.dragDuration = 0.05;
    engine.start(config);

    waitUntil(
        [&] {
            mainQueue.drain();
            return !delegate->stops().empty();
        },
        30s, 5ms);
    mainQueue.drain();
    ASSERT_EQ(delegate->stops(), std::vector<bool>{true});

    window.waitForButtonEvents(param.received.size());
    EXPECT_EQ(window.buttonEvents(), param.received);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, EngineOnX11,
    ::testing::Values(
        RealRun{"LeftClicksWalkTheFixedPoints",
                ClickType::left,
                false,
                3,
                {{Type::press, 1, 300, 250},
                 {Type::release, 1, 300, 250},
                 {Type::press, 1, 500, 450},
                 {Type::release, 1, 500, 450},
                 {Type::press, 1, 300, 250},
                 {Type::release, 1, 300, 250}}},
        RealRun{"DoubleClick",
                ClickType::doubleClick,
                false,
                2,
                {{Type::press, 1, 300, 250},
                 {Type::release, 1, 300, 250},
                 {Type::press, 1, 300, 250},
                 {Type::release, 1, 300, 250}}},
        RealRun{"RightClick", ClickType::right, false, 1, {{Type::press, 3, 300, 250}, {Type::release, 3, 300, 250}}},
        RealRun{"ScrollDownFiveLines",
                ClickType::scrollDown,
                false,
                1,
                {{Type::press, 5, 300, 250},
                 {Type::release, 5, 300, 250},
                 {Type::press, 5, 300, 250},
                 {Type::release, 5, 300, 250},
                 {Type::press, 5, 300, 250},
                 {Type::release, 5, 300, 250},
                 {Type::press, 5, 300, 250},
                 {Type::release, 5, 300, 250},
                 {Type::press, 5, 300, 250},
                 {Type::release, 5, 300, 250}}},
        RealRun{"Drag", ClickType::left, true, 1, {{Type::press, 1, 200, 200}, {Type::release, 1, 600, 400}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
