// The whole session controller on the real desktop layer: X11 input and monitors, the Qt main loop, the
// engine's own thread, the files in a temporary home.
#include "app/auto_clicker_view_model.hpp"
#include "app/view_model_services.hpp"
#include "engine/permission_manager.hpp"
#include "services/history_manager.hpp"
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

TEST(ViewModelOnX11, ARunOfFiveClicksReachesAWindowAndLeavesOneRecord) {
    TempHome home;
    X11EventWindow window(100, 100, 400, 300);
    ASSERT_TRUE(window.isOpen());

    AutoClickerViewModel vm(ViewModelServices::makeReal());
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
}

}  // namespace
}  // namespace clicktrove::testing
