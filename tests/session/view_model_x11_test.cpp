// The whole session controller on the real desktop layer: X11 input and monitors, the Qt main loop, the
// engine's own thread, the files in a temporary home.
#include "engine/model_json.hpp"
#include "engine/permission_manager.hpp"
#include "platform/file_user_defaults.hpp"
#include "services/history_manager.hpp"
#include "services/storage_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "session/view_model_services.hpp"
#include "support/child_process.hpp"
#include "support/temp_home.hpp"
#include "support/x11_event_window.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <functional>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

// Runs the Qt loop until the condition holds; the cap is generous because the machine may be busy.
bool runLoopUntil(const std::function<bool()>& condition, std::chrono::seconds cap = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + cap;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The application's services, with the settings and data files of the current temporary home: the
// process-wide storage belongs to whichever test used it first, so each test makes the standard one afresh.
ViewModelServices realServices() {
    ViewModelServices s = ViewModelServices::makeReal();
    s.standardDefaults = platform::FileUserDefaults::standard();
    s.storage = StorageManager::makeStandard();
    return s;
}

int pressesIn(const std::vector<X11EventWindow::Received>& events) {
    int n = 0;
    for (const auto& e : events) n += e.type == X11EventWindow::Received::Type::press ? 1 : 0;
    return n;
}

TEST(ViewModelOnX11, ARunOfFiveClicksReachesAWindowAndLeavesOneRecord) {
    TempHome home;
    X11EventWindow window(100, 100, 400, 300);
    ASSERT_TRUE(window.isOpen());

    AutoClickerViewModel vm(realServices());
    ASSERT_TRUE(runLoopUntil([&] { return vm.permissionManager().hasAccessibilityPermission(); }))
        << "XTEST on the test server counts as the input permission";
    ASSERT_TRUE(vm.historyManager().historyRecords().empty());

    vm.editConfig([](ClickConfig& c) {
        c.intervalSeconds = 0;
        c.intervalMilliseconds = 20;
        c.maxClicks = 5;
        c.clickType = ClickType::left;
        c.positionMode = ClickPositionMode::fixed;
        c.fixedCoordinates = {{250, 220}};
        c.edgeStopEnabled = false;
        c.notifyOnComplete = false;
    });
    vm.startClicking();
    ASSERT_TRUE(vm.isRunning());
    ASSERT_TRUE(runLoopUntil([&] { return !vm.isRunning(); })) << vm.status().toStdString();
    EXPECT_EQ(vm.status(), "Stopped");
    EXPECT_EQ(vm.totalClicks(), 5);

    window.waitForButtonEvents(10);
    // Anything beyond the run's ten events would show up here.
    const auto events = window.waitForButtonEvents(11, 300ms);
    int presses = 0;
    for (const auto& e : events) {
        if (e.type != X11EventWindow::Received::Type::press) continue;
        ++presses;
        EXPECT_EQ(e.button, 1u);
        EXPECT_EQ(e.rootX, 250);
        EXPECT_EQ(e.rootY, 220);
    }
    EXPECT_EQ(presses, 5);

    const auto& history = vm.historyManager().historyRecords();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].totalClicks, 5);
    EXPECT_EQ(history[0].clickType, ClickType::left);
    const auto stored =
        fromJsonText<std::vector<HistoryRecord>>(readFile(home.dataHome() / "Clicktrove" / "history.json"));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->size(), 1u);
}

TEST(ViewModelOnX11, PressesMadeElsewhereAreRecordedAndPlayedBackIntoAWindow) {
    TempHome home;
    X11EventWindow window(100, 100, 400, 300);
    ASSERT_TRUE(window.isOpen());
    AutoClickerViewModel vm(realServices());
    vm.editConfig([](ClickConfig& c) { c.edgeStopEnabled = false; });

    vm.startMacroRecording();
    const struct {
        const char* button;
        int x, y;
        ClickType type;
    } clicks[] = {
        {"1", 150, 120, ClickType::left}, {"3", 300, 200, ClickType::right}, {"2", 420, 350, ClickType::middle}};
    for (const auto& c : clicks) {
        ASSERT_EQ(runCommand({"xdotool", "mousemove", std::to_string(c.x), std::to_string(c.y), "click", c.button}), 0);
        const std::size_t before = vm.recordedClicks().size();
        ASSERT_TRUE(runLoopUntil([&] { return vm.recordedClicks().size() > before; })) << "press at " << c.x;
    }
    vm.stopMacroRecording();
    const auto recorded = vm.recordedClicks();
    ASSERT_EQ(recorded.size(), 3u);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(recorded[i].clickType, clicks[i].type) << i;
        EXPECT_EQ(recorded[i].point, (ScreenPoint{double(clicks[i].x), double(clicks[i].y)})) << i;
        if (i > 0) {
            EXPECT_GE(recorded[i].delaySinceStart, recorded[i - 1].delaySinceStart) << i;
        }
    }

    const int pressesBefore = pressesIn(window.waitForButtonEvents(6));
    ASSERT_EQ(pressesBefore, 3) << "xdotool's own presses";
    vm.playMacro();
    ASSERT_TRUE(runLoopUntil([&] { return !vm.isPlayingMacro(); }));
    const auto events = window.waitForButtonEvents(12);
    EXPECT_EQ(pressesIn(events), 6);
    const auto buttons = window.buttonEvents();
    ASSERT_GE(buttons.size(), 12u);
    const unsigned int expectedButtons[] = {1, 3, 2};
    for (int i = 0; i < 3; ++i) {
        const auto& press = buttons[6 + 2 * i];
        EXPECT_EQ(press.button, expectedButtons[i]) << i;
        EXPECT_EQ(press.rootX, clicks[i].x) << i;
        EXPECT_EQ(press.rootY, clicks[i].y) << i;
    }
}

// A macro is the user's own clicks: a run that clicks on during the recording, through the same X server and
// the same input device as xdotool, must not fill the macro with its own presses.
TEST(ViewModelOnX11, ARecordingDuringARunHoldsTheUsersPressesAndNoneOfTheRunsOwn) {
    TempHome home;
    X11EventWindow window(100, 100, 400, 300);
    ASSERT_TRUE(window.isOpen());
    AutoClickerViewModel vm(realServices());
    ASSERT_TRUE(runLoopUntil([&] { return vm.permissionManager().hasAccessibilityPermission(); }));
    vm.editConfig([](ClickConfig& c) {
        c.intervalSeconds = 0;
        c.intervalMilliseconds = 5;
        c.clickType = ClickType::left;
        c.positionMode = ClickPositionMode::fixed;
        c.fixedCoordinates = {{250, 220}};
        c.edgeStopEnabled = false;
        c.notifyOnComplete = false;
    });
    vm.startClicking();
    ASSERT_TRUE(runLoopUntil([&] { return vm.totalClicks() >= 5; })) << vm.status().toStdString();

    vm.startMacroRecording();
    const std::int64_t atStart = vm.totalClicks();
    ASSERT_TRUE(runLoopUntil([&] { return vm.totalClicks() >= atStart + 40; }));
    // The user's own, while the run clicks the left button: a right, a left and a middle click.
    for (const char* button : {"3", "1", "2"}) {
        const std::size_t before = vm.recordedClicks().size();
        ASSERT_EQ(runCommand({"xdotool", "click", button}), 0);
        ASSERT_TRUE(runLoopUntil([&] { return vm.recordedClicks().size() > before; })) << "button " << button;
    }
    const std::int64_t beforeTail = vm.totalClicks();
    ASSERT_TRUE(runLoopUntil([&] { return vm.totalClicks() >= beforeTail + 40; }));
    vm.stopMacroRecording();
    vm.stopClicking();
    ASSERT_TRUE(runLoopUntil([&] { return !vm.isRunning(); }));

    std::vector<std::string> types;
    for (const auto& record : vm.recordedClicks()) types.emplace_back(displayText(record.clickType));
    EXPECT_EQ(types, (std::vector<std::string>{"Right Click", "Left Click", "Middle Click"}))
        << "the run clicked " << vm.totalClicks() - atStart << " times while recording";
}

}  // namespace
}  // namespace clicktrove::testing
