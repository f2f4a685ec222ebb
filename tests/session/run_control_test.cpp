// Run control: the permission gate, the countdown, stop, pause, resume and the emergency stop in each state,
// the engine's reports, the chart, the click sound, the history record, the notification, the tray and the keys.
#include "session/view_model_rig.hpp"

#include "engine/click_engine.hpp"
#include "engine/click_type.hpp"
#include "engine/permission_manager.hpp"
#include "platform/modifier_flags.hpp"
#include "services/history_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/settings_manager.hpp"

#include <gtest/gtest.h>
#include <QAction>
#include <array>
#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

using platform::MouseEvent;

// Enabled states of Start, Stop, Pause, Resume in the tray menu.
using MenuState = std::array<bool, 4>;
constexpr MenuState kIdleMenu{true, false, false, false};
constexpr MenuState kRunningMenu{false, true, true, false};
constexpr MenuState kPausedMenu{false, true, false, true};

constexpr std::uint64_t kCtrlShift = platform::ModifierFlags::command | platform::ModifierFlags::shift;

class RunControlTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        auto menu = std::make_unique<MenuBarManager>([] {});
        menu_ = menu.get();
        vm->setMenuBarManager(std::move(menu));
        vm->setConfig(quickConfig());
    }

    MenuState menu() const {
        return {menu_->startItem()->isEnabled(), menu_->stopItem()->isEnabled(), menu_->pauseItem()->isEnabled(),
                menu_->resumeItem()->isEnabled()};
    }
    std::size_t historySize() const { return vm->historyManager().historyRecords().size(); }
    std::size_t signalsNamed(const char* name) const { return rig.analyticsClient->sentNamed(name).size(); }
    std::size_t releases() const {
        std::size_t n = 0;
        for (const auto& e : rig.mouse.events()) n += e.kind == MouseEvent::Kind::buttonUp ? 1 : 0;
        return n;
    }

    MenuBarManager* menu_ = nullptr;
};

TEST(RunPermission, StartWithoutPermissionOnlyAsksAgainAndTheSecondPressStarts) {
    ViewModelRig rig;
    rig.permission->setAnswer(false);
    const auto vm = rig.make();
    ASSERT_FALSE(vm->permissionManager().hasAccessibilityPermission());

    rig.permission->setAnswer(true);  // granted in the meantime
    int changes = 0;
    QObject::connect(vm.get(), &AutoClickerViewModel::changed, [&] { ++changes; });
    vm->startClicking();
    ASSERT_TRUE(rig.waitForPermission(*vm, true));
    EXPECT_GE(changes, 1) << "the window hears of the new permission through the view model";
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_TRUE(rig.analyticsClient->sentNamed(AnalyticsManager::kStartClicking).empty());

    vm->startClicking();
    EXPECT_TRUE(vm->isRunning());
    EXPECT_EQ(vm->status(), "Starting in 2s...");
}

// The permission is checked on a worker thread, which waits for a CPU on a loaded machine while minutes of the
// program's time may pass in a moment: a slow answer is no hung display, and the permission stays as it is.
TEST(RunPermission, ASlowCheckAmidFastPassingTimeNeverReadsAsNoPermission) {
    ViewModelRig rig;
    const auto vm = rig.make();
    ASSERT_TRUE(vm->permissionManager().hasAccessibilityPermission());
    rig.permission->setDelay(std::chrono::milliseconds(30));
    int flips = 0;
    QObject::connect(&vm->permissionManager(), &PermissionManager::hasAccessibilityPermissionChanged, [&] { ++flips; });
    rig.advance(std::chrono::seconds(20));
    EXPECT_EQ(flips, 0);
    EXPECT_TRUE(vm->permissionManager().hasAccessibilityPermission());
}

TEST_F(RunControlTest, CountdownCountsTwoSecondsThenStartsTheEngine) {
    vm->editConfig([](ClickConfig& c) { c.clickType = ClickType::doubleClick; });
    vm->startClicking();
    EXPECT_EQ(vm->status(), "Starting in 2s...");
    EXPECT_TRUE(vm->isRunning());
    EXPECT_EQ(menu(), kRunningMenu);
    ASSERT_EQ(rig.analyticsClient->sentNamed(AnalyticsManager::kStartClicking),
              (std::vector<RecordingAnalyticsClient::Signal>{{"StartClicking", {{"clickType", "Double Click"}}}}));

    rig.advance(1s);
    EXPECT_EQ(vm->status(), "Starting in 1s...");
    vm->startClicking();  // ignored during the countdown
    EXPECT_EQ(signalsNamed(AnalyticsManager::kStartClicking), 1u);

    rig.advance(1s);
    EXPECT_EQ(vm->status(), "Running");
    EXPECT_TRUE(rig.presses().empty());
    rig.advance(300ms);
    EXPECT_EQ(rig.presses().size(), 2u) << "the engine's first tick, 300 ms after the countdown";
    EXPECT_EQ(vm->totalClicks(), 2);
}

TEST_F(RunControlTest, StopDuringTheCountdownStopsAtOnceAndTheEngineNeverStarts) {
    vm->startClicking();
    rig.advance(1s);
    vm->stopClicking();
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(menu(), kIdleMenu);
    EXPECT_EQ(signalsNamed(AnalyticsManager::kStopClicking), 1u);

    rig.advance(5s);
    EXPECT_TRUE(rig.mouse.events().empty());
    EXPECT_EQ(historySize(), 0u);
    EXPECT_EQ(vm->status(), "Stopped");
}

TEST_F(RunControlTest, StopDuringARunWaitsForTheEnginesReport) {
    startAndPassCountdown();
    rig.advance(300ms);
    ASSERT_EQ(vm->totalClicks(), 1);

    vm->stopClicking();
    EXPECT_EQ(vm->status(), "Running") << "until the stopped report arrives";
    EXPECT_TRUE(vm->isRunning());
    EXPECT_EQ(signalsNamed(AnalyticsManager::kStopClicking), 1u);

    rig.drain();
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(menu(), kIdleMenu);
    ASSERT_EQ(historySize(), 1u);
    EXPECT_EQ(vm->historyManager().historyRecords()[0].totalClicks, 1);
    EXPECT_TRUE(rig.notificationTransport->sent().empty()) << "a user's stop is not a completion";
}

TEST_F(RunControlTest, StopBeforeTheFirstClickLeavesNoRecord) {
    startAndPassCountdown();
    vm->stopClicking();
    rig.advance(1s);
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_EQ(historySize(), 0u);
}

TEST_F(RunControlTest, ReachingTheMaximumCompletesTheRunAndNotifiesWhenAsked) {
    for (const bool notify : {true, false}) {
        SCOPED_TRACE(notify ? "notify" : "no notification");
        const std::size_t sentBefore = rig.notificationTransport->sent().size();
        const std::size_t historyBefore = historySize();
        vm->editConfig([&](ClickConfig& c) {
            c.maxClicks = 5;
            c.notifyOnComplete = notify;
        });
        startAndPassCountdown();
        rig.advance(300ms + 4 * 100ms);
        EXPECT_EQ(vm->totalClicks(), 5);
        EXPECT_EQ(vm->remainingClicks(), 0);
        // The fifth click completes the run, not a sixth tick one interval later.
        EXPECT_EQ(vm->status(), "Stopped");
        EXPECT_FALSE(vm->isRunning());

        ASSERT_EQ(historySize(), historyBefore + 1);
        const HistoryRecord& record = vm->historyManager().historyRecords().front();
        EXPECT_EQ(record.totalClicks, 5);
        EXPECT_DOUBLE_EQ(record.duration, 0.7);
        EXPECT_DOUBLE_EQ(record.averageIntervalMs, 140.0);
        const auto& sent = rig.notificationTransport->sent();
        if (notify) {
            ASSERT_EQ(sent.size(), sentBefore + 1);
            EXPECT_EQ(sent.back().body, NotificationManager::completionBody(5, 0.7));
        } else {
            EXPECT_EQ(sent.size(), sentBefore);
        }
    }
    EXPECT_EQ(signalsNamed(AnalyticsManager::kStopClicking), 0u) << "runs that end by themselves send none";
}

// A Double Click run stops short of an odd maximum rather than overshoot it: it completes with nothing
// remaining, and tells of the clicks it made.
TEST_F(RunControlTest, ADoubleClickRunCompletesAtTheLastPairThatFitsWithNothingRemaining) {
    const struct {
        std::int64_t maxClicks;
        std::int64_t total;
    } cases[] = {{5, 4}, {6, 6}, {2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maxClicks);
        const std::size_t sentBefore = rig.notificationTransport->sent().size();
        vm->editConfig([&](ClickConfig& config) {
            config.clickType = ClickType::doubleClick;
            config.maxClicks = c.maxClicks;
        });
        startAndPassCountdown();
        rig.advance(300ms + 3 * 100ms);
        EXPECT_EQ(vm->status(), "Stopped");
        EXPECT_EQ(vm->totalClicks(), c.total);
        EXPECT_EQ(vm->remainingClicks(), 0);
        EXPECT_EQ(vm->historyManager().historyRecords().front().totalClicks, c.total);
        ASSERT_EQ(rig.notificationTransport->sent().size(), sentBefore + 1);
        EXPECT_EQ(rig.notificationTransport->sent().back().body,
                  NotificationManager::completionBody(c.total, vm->elapsedTime()));
    }
}

// A scheduled stop already past completes the run at its first tick, before any click: no notification or
// record may tell of a completed run of nothing.
TEST_F(RunControlTest, ARunCompletedBeforeItsFirstClickIsNeitherNotifiedNorRecorded) {
    vm->editConfig([&](ClickConfig& c) {
        c.scheduledStopEnabled = true;
        c.scheduledStopTime = rig.clock.now() - 1s;
        c.notifyOnComplete = true;
    });
    startAndPassCountdown();
    rig.advance(300ms);
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_TRUE(rig.presses().empty());
    EXPECT_TRUE(rig.notificationTransport->sent().empty());
    EXPECT_EQ(historySize(), 0u);
}

TEST_F(RunControlTest, EmergencyStopWhileIdleReleasesTheButtonsAndKeepsItsStatus) {
    vm->emergencyStop();
    EXPECT_EQ(vm->status(), "Emergency Stop");
    EXPECT_EQ(releases(), 3u);
    rig.advance(3s);
    EXPECT_EQ(vm->status(), "Emergency Stop");
    EXPECT_EQ(historySize(), 0u);
    EXPECT_EQ(menu(), kIdleMenu);
}

TEST_F(RunControlTest, EmergencyStopDuringTheCountdownCancelsIt) {
    vm->startClicking();
    vm->emergencyStop();
    EXPECT_FALSE(vm->isRunning());
    rig.advance(5s);
    EXPECT_EQ(vm->status(), "Emergency Stop");
    EXPECT_EQ(rig.presses().size(), 0u);
}

TEST_F(RunControlTest, EscapeDuringARunStopsEverythingThenTheReportRecordsTheRun) {
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 3; });
    startAndPassCountdown();
    rig.advance(400ms);
    ASSERT_EQ(vm->totalClicks(), 2);

    std::vector<QString> statuses;
    QObject::connect(vm.get(), &AutoClickerViewModel::statusChanged, [&] { statuses.push_back(vm->status()); });
    rig.keys.press(ShortcutManager::escapeKeyCode, kCtrlShift);
    rig.drain();
    EXPECT_EQ(statuses, (std::vector<QString>{"Emergency Stop", "Stopped"}))
        << "the engine's report comes after the emergency stop's own changes";
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(menu(), kIdleMenu);
    EXPECT_EQ(historySize(), 1u);
    EXPECT_TRUE(rig.notificationTransport->sent().empty());
    EXPECT_EQ(signalsNamed(AnalyticsManager::kStopClicking), 0u);
    rig.advance(2s);
    EXPECT_EQ(rig.presses().size(), 2u) << "no click after the stop";
}

TEST_F(RunControlTest, AMenuHandedOverDuringARunShowsTheRunState) {
    startAndPassCountdown();
    vm->pauseClicking();
    auto replacement = std::make_unique<MenuBarManager>([] {});
    menu_ = replacement.get();
    vm->setMenuBarManager(std::move(replacement));
    EXPECT_EQ(vm->menuBarManager(), menu_);
    EXPECT_EQ(menu(), kPausedMenu);
    vm->stopClicking();
    rig.drain();
    EXPECT_EQ(menu(), kIdleMenu);
}

TEST_F(RunControlTest, PauseAndResumeDuringARun) {
    startAndPassCountdown();
    rig.advance(300ms);
    vm->pauseClicking();
    EXPECT_EQ(vm->status(), "Paused");
    EXPECT_TRUE(vm->isPaused());
    EXPECT_EQ(menu(), kPausedMenu);
    rig.advance(2s);
    EXPECT_EQ(rig.presses().size(), 1u) << "no clicks while paused";

    vm->pauseClicking();  // already paused: nothing
    EXPECT_EQ(menu(), kPausedMenu);
    vm->resumeClicking();
    EXPECT_EQ(vm->status(), "Running");
    EXPECT_FALSE(vm->isPaused());
    EXPECT_EQ(menu(), kRunningMenu);
    // Not at once, where the pointer still is on the Resume button (turned Pause) or the shortcut's keys are down.
    rig.advance(299ms);
    EXPECT_EQ(rig.presses().size(), 1u);
    rig.advance(1ms);
    EXPECT_EQ(rig.presses().size(), 2u);
}

// A run that clicked while the screen offered Resume: paused during the countdown, the run starts paused.
TEST_F(RunControlTest, PauseDuringTheCountdownStartsTheRunPausedAndResumeStartsTheClicking) {
    vm->startClicking();
    vm->pauseClicking();
    EXPECT_EQ(vm->status(), "Paused");
    EXPECT_EQ(menu(), kPausedMenu);
    rig.advance(1s);
    EXPECT_EQ(vm->status(), "Paused");
    rig.advance(1s + 300ms + 2s);
    EXPECT_EQ(vm->status(), "Paused");
    EXPECT_TRUE(vm->isPaused());
    EXPECT_EQ(menu(), kPausedMenu);
    EXPECT_TRUE(rig.presses().empty()) << "no click while the run is marked paused";

    vm->resumeClicking();
    EXPECT_FALSE(vm->isPaused());
    EXPECT_EQ(vm->status(), "Running");
    rig.advance(299ms);
    EXPECT_TRUE(rig.presses().empty()) << "the first tick's time passed during the pause; it waits as a first tick";
    rig.advance(1ms);
    EXPECT_EQ(rig.presses().size(), 1u);
    rig.advance(200ms);
    EXPECT_EQ(rig.presses().size(), 3u);
    vm->pauseClicking();
    rig.advance(1s);
    EXPECT_EQ(rig.presses().size(), 3u) << "and pause works as ever";
}

TEST_F(RunControlTest, ResumeDuringTheCountdownGoesBackToCounting) {
    vm->startClicking();
    vm->pauseClicking();
    rig.advance(1s);
    vm->resumeClicking();
    EXPECT_EQ(vm->status(), "Starting in 1s...");
    EXPECT_EQ(menu(), kRunningMenu);
    rig.advance(1s);
    EXPECT_EQ(vm->status(), "Running");
    rig.advance(300ms);
    EXPECT_EQ(rig.presses().size(), 1u);
}

TEST_F(RunControlTest, RunControlsOutsideTheirStatesChangeNothing) {
    vm->stopClicking();
    vm->pauseClicking();
    vm->resumeClicking();
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_FALSE(vm->isPaused());
    EXPECT_EQ(signalsNamed(AnalyticsManager::kStopClicking), 0u);
    EXPECT_EQ(menu(), kIdleMenu);
}

TEST_F(RunControlTest, ShortcutKeysDriveTheRun) {
    const struct {
        std::uint16_t keyCode;
        std::uint64_t modifiers;
        const char* status;
    } steps[] = {
        {39, kCtrlShift, "Starting in 2s..."},                        // S
        {33, kCtrlShift, "Paused"},                                   // P
        {27, kCtrlShift, "Starting in 2s..."},                        // R
        {39, platform::ModifierFlags::command, "Starting in 2s..."},  // Ctrl+S alone: not a shortcut
        {53, kCtrlShift, "Stopped"},                                  // X, during the countdown
    };
    for (const auto& step : steps) {
        rig.keys.press(step.keyCode, step.modifiers);
        rig.drain();
        EXPECT_EQ(vm->status(), step.status) << "key " << step.keyCode;
    }
}

TEST_F(RunControlTest, ResetDuringARunShowsZerosUntilTheNextReport) {
    startAndPassCountdown();
    rig.advance(300ms + 200ms);
    ASSERT_EQ(vm->totalClicks(), 3);
    rig.keys.press(28, kCtrlShift);  // T
    rig.mainQueue.drain();
    EXPECT_EQ(vm->totalClicks(), 0);
    EXPECT_EQ(vm->elapsedTime(), 0);
    EXPECT_EQ(vm->cps(), 0);
    EXPECT_EQ(vm->cpsHistory(), std::vector<double>(30, 0.0));

    rig.advance(100ms);
    EXPECT_EQ(vm->totalClicks(), 4) << "the run's own totals come back";
    EXPECT_EQ(vm->cpsHistory(), std::vector<double>(30, 0.0)) << "the chart waits for its next second";
    rig.advance(400ms);
    std::vector<double> afterReset(30, 0.0);
    afterReset.back() = 4.0;
    EXPECT_EQ(vm->cpsHistory(), afterReset) << "and fills from the right with the clicks since the reset";
}

TEST_F(RunControlTest, AverageIntervalIsElapsedTimePerClick) {
    vm->clickEngineDidUpdate(10, 2, 0, 5.0);
    rig.drain();
    EXPECT_DOUBLE_EQ(vm->averageIntervalMs(), 500.0);
    vm->clickEngineDidUpdate(0, 0, 0, 6.0);
    rig.drain();
    EXPECT_DOUBLE_EQ(vm->averageIntervalMs(), 500.0) << "no clicks: kept";
    vm->clickEngineDidUpdate(10, 2, 0, 5.0);
    vm->clickEngineDidStop(false);
    rig.drain();
    ASSERT_EQ(historySize(), 1u);
    EXPECT_DOUBLE_EQ(vm->historyManager().historyRecords()[0].averageIntervalMs, 500.0);
    EXPECT_DOUBLE_EQ(vm->historyManager().historyRecords()[0].duration, 5.0);
}

TEST_F(RunControlTest, ClickSoundOnlyWhenTheTotalRose) {
    vm->settingsManager().setPlaySound(true);
    const struct {
        const char* step;
        std::int64_t total;  // -1: reset instead of a report
        int sounds;
    } steps[] = {
        {"first click", 1, 1}, {"same total", 1, 0},  {"a double click", 3, 1},
        {"reset", -1, 0},      {"after reset", 3, 1}, {"lower total", 2, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        const auto before = rig.sounds->playbacks().size();
        if (s.total < 0) {
            vm->resetStats();
        } else {
            vm->clickEngineDidUpdate(s.total, 1, 0, 1.0);
        }
        rig.drain();
        EXPECT_EQ(rig.sounds->playbacks().size() - before, static_cast<std::size_t>(s.sounds));
    }
    vm->settingsManager().setPlaySound(false);
    vm->clickEngineDidUpdate(10, 1, 0, 1.0);
    rig.drain();
    EXPECT_EQ(rig.sounds->playbacks().size(), 3u) << "sound setting off";
}

// Each second the chart takes the clicks made in that second as its newest sample, in every state: none during
// the countdown, the clicks of a running second, none once a pause has lasted a second, and none while idle
// but those of a run that ended within the second.
TEST_F(RunControlTest, TheChartTakesTheClicksOfEachSecondInEveryState) {
    struct Sample {
        double clicks;
        std::size_t pressesSoFar;
    };
    std::vector<Sample> samples;
    QObject::connect(vm.get(), &AutoClickerViewModel::cpsHistoryChanged, [&] {
        ASSERT_EQ(vm->cpsHistory().size(), 30u);
        samples.push_back({vm->cpsHistory().back(), rig.presses().size()});
    });
    vm->startClicking();
    rig.advance(2s);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].clicks, 0.0) << "countdown";
    EXPECT_EQ(samples[1].clicks, 0.0) << "countdown";

    rig.advance(3300ms);
    vm->pauseClicking();
    rig.advance(3s);
    vm->resumeClicking();
    rig.advance(1200ms);
    vm->stopClicking();
    rig.advance(3s);
    ASSERT_EQ(samples.size(), 12u);
    EXPECT_EQ(vm->status(), "Stopped");

    // The first click after the resume comes 300 ms after it (100 ms were left at the pause).
    const std::vector<double> expected{0, 0, 7, 10, 10, 4, 0, 0, 4, 6, 0, 0};
    std::vector<double> got;
    for (const auto& sample : samples) got.push_back(sample.clicks);
    EXPECT_EQ(got, expected) << "countdown, running, paused, running again, stopped";
    std::size_t before = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i].clicks, static_cast<double>(samples[i].pressesSoFar - before))
            << "sample " << i << " is the clicks made since the one before";
        before = samples[i].pressesSoFar;
    }
    EXPECT_EQ(vm->cps(), 0) << "idle";
}

// An idle window is not woken every second for nothing: once the chart is flat the timer stops, and the next
// start sets it going again. A Reset still zeroes the chart, in any state.
TEST_F(RunControlTest, TheChartTimerStopsWhenIdleAndFlatAndRunsAgainWithTheNextStart) {
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 3; });
    startAndPassCountdown();
    rig.advance(300ms + 200ms);
    ASSERT_EQ(vm->status(), "Stopped");
    rig.advance(1s);
    ASSERT_EQ(vm->cpsHistory().back(), 3.0) << "the run's clicks, in the second it ended";
    rig.advance(29s);
    ASSERT_EQ(vm->cpsHistory()[0], 3.0);

    int published = 0;
    const auto counting = QObject::connect(vm.get(), &AutoClickerViewModel::changed, [&] { ++published; });
    rig.advance(1s);
    EXPECT_EQ(vm->cpsHistory(), std::vector<double>(30, 0.0));
    EXPECT_EQ(published, 2) << "the last tick: cps and the chart";
    rig.advance(60s);
    EXPECT_EQ(published, 2) << "idle and flat: nothing more to publish";
    QObject::disconnect(counting);

    std::size_t samples = 0;
    QObject::connect(vm.get(), &AutoClickerViewModel::cpsHistoryChanged, [&] { ++samples; });
    vm->startClicking();
    rig.advance(5s);
    EXPECT_EQ(samples, 5u) << "a sample a second again, from the start on";
    vm->resetStats();
    EXPECT_EQ(vm->cpsHistory(), std::vector<double>(30, 0.0));
}

// At 1 ms the engine's reports come at a bounded pace: the figures change some twenty times a second instead
// of a thousand, and the run's exact totals are there before it reads "Stopped".
TEST_F(RunControlTest, AFastRunsFiguresFollowAtABoundedPaceAndItsFinalTotalsComeBeforeStopped) {
    vm->settingsManager().setPlaySound(true);
    vm->editConfig([](ClickConfig& c) {
        c.intervalMilliseconds = 1;
        c.maxClicks = 1000;
    });
    startAndPassCountdown();
    int updates = 0;
    std::int64_t totalAtStopped = -1;
    QObject::connect(vm.get(), &AutoClickerViewModel::totalClicksChanged, [&] { ++updates; });
    QObject::connect(vm.get(), &AutoClickerViewModel::statusChanged, [&] {
        if (vm->status() == "Stopped") totalAtStopped = vm->totalClicks();
    });
    const std::size_t soundsBefore = rig.sounds->playbacks().size();

    rig.advance(300ms + 1s);
    ASSERT_EQ(rig.presses().size(), 1000u);
    EXPECT_EQ(totalAtStopped, 1000);
    EXPECT_EQ(vm->remainingClicks(), 0);
    const int bound = static_cast<int>(1000ms / ClickEngine::kReportPace) + 2;
    EXPECT_LE(updates, bound);
    EXPECT_GE(updates, bound - 4) << "the figures keep following the run";
    const std::size_t sounds = rig.sounds->playbacks().size() - soundsBefore;
    EXPECT_LE(sounds, static_cast<std::size_t>(bound));
    EXPECT_GE(sounds, 1u);
    ASSERT_EQ(vm->historyManager().historyRecords().size(), 1u);
    EXPECT_EQ(vm->historyManager().historyRecords()[0].totalClicks, 1000);

    rig.advance(2s);
    double charted = 0;
    for (const double sample : vm->cpsHistory()) charted += sample;
    EXPECT_EQ(charted, 1000.0) << "the chart's samples add up to the run's clicks";
}

// From the pace on every tick is reported: one sound per report, a double click's two clicks included.
TEST_F(RunControlTest, ARunAtThePaceOrSlowerReportsEveryTickWithASoundEach) {
    vm->settingsManager().setPlaySound(true);
    for (const ClickType type : {ClickType::left, ClickType::doubleClick}) {
        SCOPED_TRACE(displayText(type));
        vm->editConfig([&](ClickConfig& c) {
            c.intervalMilliseconds = ClickEngine::kReportPace.count();
            c.clickType = type;
        });
        startAndPassCountdown();
        int updates = 0;
        const auto connection =
            QObject::connect(vm.get(), &AutoClickerViewModel::totalClicksChanged, [&] { ++updates; });
        const std::size_t soundsBefore = rig.sounds->playbacks().size();
        rig.advance(300ms + 19 * ClickEngine::kReportPace);
        EXPECT_EQ(updates, 20);
        EXPECT_EQ(rig.sounds->playbacks().size() - soundsBefore, 20u);
        EXPECT_EQ(vm->totalClicks(), type == ClickType::doubleClick ? 40 : 20);
        QObject::disconnect(connection);
        vm->stopClicking();
        rig.drain();
    }
}

// An imported configuration may carry numbers no control produces; a run on it must neither crash nor hang,
// and its record must stay storable.
TEST_F(RunControlTest, RunsOnAbsurdConfigurationValuesStayBounded) {
    constexpr double kHuge = std::numeric_limits<double>::max();
    constexpr std::int64_t kMaxInt = std::numeric_limits<std::int64_t>::max();
    const struct {
        const char* name;
        std::function<void(ClickConfig&)> edit;
    } cases[] = {
        {"interval parts at the integer limit",
         [](ClickConfig& c) { c.intervalHours = c.intervalMinutes = c.intervalSeconds = kMaxInt; }},
        {"negative interval parts", [](ClickConfig& c) { c.intervalSeconds = c.intervalMilliseconds = -kMaxInt; }},
        {"maximum clicks at the integer limit", [](ClickConfig& c) { c.maxClicks = kMaxInt; }},
        {"points far outside every screen",
         [](ClickConfig& c) {
             c.fixedCoordinates = {{kHuge, -kHuge}};
         }},
        {"huge radius jitter",
         [](ClickConfig& c) {
             c.randomizeRadius = true;
             c.randomRadius = kHuge;
         }},
        {"huge interval jitter",
         [](ClickConfig& c) {
             c.randomizeInterval = true;
             c.intervalRandomRangeMs = kHuge;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vm->setConfig(quickConfig());
        const int writes = rig.settingsWrites();
        vm->editConfig(c.edit);
        EXPECT_EQ(rig.settingsWrites(), writes + 1) << "the settings stay storable";
        const std::size_t before = rig.presses().size();
        startAndPassCountdown();
        rig.advance(1s);
        EXPECT_GT(rig.presses().size(), before) << "the first tick clicks";
        vm->stopClicking();
        rig.drain();
        EXPECT_EQ(vm->status(), "Stopped");
        EXPECT_FALSE(vm->isRunning());
        EXPECT_TRUE(std::isfinite(vm->averageIntervalMs()));
        EXPECT_EQ(vm->cpsHistory().size(), 30u);
    }
    for (const auto& record : vm->historyManager().historyRecords()) {
        EXPECT_TRUE(std::isfinite(record.duration));
        EXPECT_TRUE(std::isfinite(record.averageIntervalMs));
    }
}

}  // namespace
}  // namespace clicktrove::testing
