#include "services/shortcut_manager.hpp"

#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_key_press_monitor.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/modifier_flags.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove {
namespace {

using Action = ShortcutManager::Action;
using F = platform::ModifierFlags;

constexpr std::uint64_t kCtrlShift = F::command | F::shift;

class ShortcutManagerTest : public ::testing::Test {
protected:
    ShortcutManagerTest() : queue(clock) {
        manager = std::make_unique<ShortcutManager>(monitor, queue);
        manager->onActionTriggered = [this](Action a) { actions.push_back(a); };
        manager->onEmergencyStopTriggered = [this] { ++emergencies; };
    }

    // One press as the monitor delivers it, then one turn of the main loop.
    void press(std::uint16_t keyCode, std::uint64_t flags) {
        monitor.press(keyCode, flags);
        queue.drain();
    }

    platform::FakeClock clock;
    platform::ManualMainQueue queue;
    platform::FakeKeyPressMonitor monitor;
    std::unique_ptr<ShortcutManager> manager;
    std::vector<Action> actions;
    int emergencies = 0;
};

TEST_F(ShortcutManagerTest, StartsWithTheFiveCtrlShiftDefaultsAndNoMonitor) {
    const std::map<Action, KeyShortcut> expected = {
        {Action::start, {39, kCtrlShift}},  {Action::stop, {53, kCtrlShift}},  {Action::pause, {33, kCtrlShift}},
        {Action::resume, {27, kCtrlShift}}, {Action::reset, {28, kCtrlShift}},
    };
    EXPECT_EQ(manager->shortcuts(), expected);
    EXPECT_FALSE(manager->isMonitoring());
    EXPECT_EQ(monitor.installedCount(), 0u);
}

TEST(ShortcutManagerAction, RawValuesInDeclarationOrder) {
    const std::vector<std::string> expected = {"Start Clicking", "Stop Clicking", "Pause Clicking", "Resume Clicking",
                                               "Reset Stats"};
    std::vector<std::string> raw;
    for (const Action a : ShortcutManager::allActions) {
        raw.emplace_back(ShortcutManager::rawValue(a));
        EXPECT_EQ(ShortcutManager::actionFromRawValue(raw.back()), a);
    }
    EXPECT_EQ(raw, expected);
    EXPECT_EQ(ShortcutManager::actionFromRawValue("start clicking"), std::nullopt);
}

struct MatchCase {
    const char* name;
    std::uint16_t keyCode;
    std::uint64_t flags;
    std::optional<Action> action;
    bool emergency;
};

TEST_F(ShortcutManagerTest, MatchesKeyAndEveryDeviceIndependentModifierBit) {
    const MatchCase cases[] = {
        {"Ctrl+Shift+S", 39, kCtrlShift, Action::start, false},
        {"Ctrl+Shift+X", 53, kCtrlShift, Action::stop, false},
        {"Ctrl+Shift+P", 33, kCtrlShift, Action::pause, false},
        {"Ctrl+Shift+R", 27, kCtrlShift, Action::resume, false},
        {"Ctrl+Shift+T", 28, kCtrlShift, Action::reset, false},
        {"device-dependent bits do not count", 39, kCtrlShift | 0xFFFF, Action::start, false},
        {"with Caps Lock", 39, kCtrlShift | F::capsLock, std::nullopt, false},
        {"with Alt", 39, kCtrlShift | F::option, std::nullopt, false},
        {"with Super", 39, kCtrlShift | F::control, std::nullopt, false},
        {"keypad bit", 39, kCtrlShift | F::numericPad, std::nullopt, false},
        {"function bit", 39, kCtrlShift | F::function, std::nullopt, false},
        {"help bit", 39, kCtrlShift | F::help, std::nullopt, false},
        {"highest independent bit", 39, kCtrlShift | 0x80000000u, std::nullopt, false},
        {"Shift+S", 39, F::shift, std::nullopt, false},
        {"Ctrl+S", 39, F::command, std::nullopt, false},
        {"S", 39, 0, std::nullopt, false},
        {"Ctrl+Shift+A", 38, kCtrlShift, std::nullopt, false},
        {"Escape", 9, 0, std::nullopt, true},
        {"Ctrl+Escape", 9, F::command, std::nullopt, true},
        {"Shift+Escape", 9, F::shift, std::nullopt, true},
        {"Ctrl+Shift+Escape with Caps Lock", 9, kCtrlShift | F::capsLock | F::numericPad, std::nullopt, true},
    };
    manager->startMonitoring();
    for (const auto& c : cases) {
        actions.clear();
        emergencies = 0;
        press(c.keyCode, c.flags);
        const std::vector<Action> expected = c.action ? std::vector<Action>{*c.action} : std::vector<Action>{};
        EXPECT_EQ(actions, expected) << c.name;
        EXPECT_EQ(emergencies, c.emergency ? 1 : 0) << c.name;
    }
}

TEST_F(ShortcutManagerTest, HandlesAPressOnALaterTurnOfTheLoopNotInsideTheMonitor) {
    manager->startMonitoring();
    monitor.press(39, kCtrlShift);
    monitor.press(9, 0);
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(emergencies, 0);
    queue.drain();
    EXPECT_EQ(actions, std::vector<Action>{Action::start});
    EXPECT_EQ(emergencies, 1);
}

// What must not wait for a busy main thread is told at once, on the monitor's thread; everything, those
// presses included, then reaches the main thread in the order pressed.
TEST_F(ShortcutManagerTest, ReportsTheMatchedPressAtOnceOnTheMonitorsThreadAndThenOnTheMainQueue) {
    std::vector<std::string> heard;
    manager->onActionTriggered = [&](Action a) {
        heard.push_back("main " + std::string(ShortcutManager::rawValue(a)));
    };
    manager->onEmergencyStopTriggered = [&] { heard.emplace_back("main emergency"); };
    manager->onActionAtPress = [&](Action a) {
        heard.push_back("at press " + std::string(ShortcutManager::rawValue(a)));
    };
    manager->onEmergencyStopAtPress = [&] { heard.emplace_back("at press emergency"); };
    manager->startMonitoring();

    monitor.press(53, kCtrlShift);
    monitor.press(38, kCtrlShift);  // not a shortcut: neither
    monitor.press(66, 0, true);     // a key mapped to Escape
    EXPECT_EQ(heard, (std::vector<std::string>{"at press Stop Clicking", "at press emergency"}));
    EXPECT_EQ(queue.drain(), 2) << "unmatched presses are not queued at all";
    EXPECT_EQ(heard, (std::vector<std::string>{"at press Stop Clicking", "at press emergency", "main Stop Clicking",
                                               "main emergency"}));
}

TEST_F(ShortcutManagerTest, AKeyThatTypesEscapeIsTheEmergencyStopWhateverItsKeycode) {
    manager->startMonitoring();
    press(66, 0);
    EXPECT_EQ(emergencies, 0) << "Caps Lock as it comes";
    monitor.press(66, F::shift, true);
    queue.drain();
    EXPECT_EQ(emergencies, 1);
    monitor.press(53, kCtrlShift, true);
    queue.drain();
    EXPECT_EQ(emergencies, 2) << "Escape wins over a shortcut on the same key";
    EXPECT_TRUE(actions.empty());
}

TEST_F(ShortcutManagerTest, StartingTwiceInstallsOneMonitorAndEachPressTriggersOnce) {
    manager->startMonitoring();
    manager->startMonitoring();
    EXPECT_TRUE(manager->isMonitoring());
    EXPECT_EQ(monitor.installedCount(), 1u);
    press(39, kCtrlShift);
    EXPECT_EQ(actions, std::vector<Action>{Action::start});
}

TEST_F(ShortcutManagerTest, StoppingRemovesTheMonitorAndStartingAgainRestoresIt) {
    manager->startMonitoring();
    manager->stopMonitoring();
    manager->stopMonitoring();
    EXPECT_FALSE(manager->isMonitoring());
    EXPECT_EQ(monitor.installedCount(), 0u);
    press(39, kCtrlShift);
    EXPECT_TRUE(actions.empty());
    manager->startMonitoring();
    EXPECT_EQ(monitor.installedCount(), 1u);
    press(28, kCtrlShift);
    EXPECT_EQ(actions, std::vector<Action>{Action::reset});
}

TEST_F(ShortcutManagerTest, ReleaseRemovesTheMonitorAndDropsPressesStillQueued) {
    manager->startMonitoring();
    monitor.press(39, kCtrlShift);
    monitor.press(9, 0);
    manager.reset();
    EXPECT_EQ(monitor.installedCount(), 0u);
    queue.drain();
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(emergencies, 0);
}

// A press that finds no callback is dropped, not kept for a callback set later, and the monitor stays.
TEST_F(ShortcutManagerTest, PressesWithoutCallbacksAreIgnored) {
    manager->onActionTriggered = nullptr;
    manager->onEmergencyStopTriggered = nullptr;
    manager->startMonitoring();
    EXPECT_NO_THROW(press(39, kCtrlShift));
    EXPECT_NO_THROW(press(9, 0));
    EXPECT_EQ(queue.pendingPosted(), 0u);
    EXPECT_TRUE(manager->isMonitoring());
    EXPECT_EQ(monitor.installedCount(), 1u);

    manager->onActionTriggered = [this](Action a) { actions.push_back(a); };
    manager->onEmergencyStopTriggered = [this] { ++emergencies; };
    queue.drain();
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(emergencies, 0);
    press(33, kCtrlShift);
    press(9, 0);
    EXPECT_EQ(actions, std::vector<Action>{Action::pause});
    EXPECT_EQ(emergencies, 1);
}

TEST_F(ShortcutManagerTest, WithoutAnyWayToWatchKeysNothingIsInstalledAndNothingFails) {
    monitor.setAvailable(false);
    manager->startMonitoring();
    EXPECT_EQ(monitor.installedCount(), 0u);
    manager->stopMonitoring();
    monitor.setAvailable(true);
    manager->startMonitoring();
    EXPECT_EQ(monitor.installedCount(), 1u);
}

}  // namespace
}  // namespace clicktrove
