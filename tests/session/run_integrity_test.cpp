// What a run must never do: start with nothing to click, let a report of an older run act on a newer one,
// record what the screens show instead of what the run did, or wait for the main thread to stop.
#include "session/view_model_rig.hpp"

#include "platform/modifier_flags.hpp"
#include "services/history_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "session/run_controller.hpp"

#include <gtest/gtest.h>
#include <QAction>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

using platform::MouseEvent;

constexpr std::uint64_t kCtrlShift = platform::ModifierFlags::command | platform::ModifierFlags::shift;
constexpr std::uint16_t kS = 39, kX = 53;

class RunIntegrityTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        vm->setConfig(quickConfig());
    }
    const std::vector<HistoryRecord>& history() const { return vm->historyManager().historyRecords(); }
    std::size_t releases() const {
        std::size_t n = 0;
        for (const auto& e : rig.mouse.events()) n += e.kind == MouseEvent::Kind::buttonUp ? 1 : 0;
        return n;
    }
};

// Fixed Position without a point would click the primary monitor's corner over and over; a Double Click run whose
// maximum is 1 would complete at once having clicked nothing. Both refuse every start, with a failure notice
// that says why.
TEST_F(RunIntegrityTest, AStartThatCouldNotClickIsRefusedFromEveryControlWithANotice) {
    const struct {
        const char* name;
        std::function<void(ClickConfig&)> edit;
        QString notice;
        // An edit that makes the run possible.
        std::function<void(ClickConfig&)> mend;
    } cases[] = {
        {"fixed position without a point", [](ClickConfig& c) { c.fixedCoordinates.clear(); },
         RunController::noPointsNotice(),
         // A drag has its own end points and needs none.
         [](ClickConfig& c) { c.isDragEnabled = true; }},
        {"a double click over a maximum of 1",
         [](ClickConfig& c) {
             c.clickType = ClickType::doubleClick;
             c.maxClicks = 1;
         },
         RunController::doubleClickOverMaximumNotice(), [](ClickConfig& c) { c.maxClicks = 2; }},
    };
    auto menu = std::make_unique<MenuBarManager>([] {});
    menu->onStart = [this] { vm->startClicking(); };
    MenuBarManager* tray = menu.get();
    vm->setMenuBarManager(std::move(menu));
    const struct {
        const char* from;
        std::function<void()> start;
    } starts[] = {
        {"the run button", [this] { vm->startClicking(); }},
        {"the start shortcut", [this] { rig.keys.press(kS, kCtrlShift); }},
        {"the tray menu", [tray] { tray->startItem()->trigger(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vm->setConfig(quickConfig());
        vm->editConfig(c.edit);
        const std::size_t startSignals = rig.analyticsClient->sentNamed(AnalyticsManager::kStartClicking).size();
        for (const auto& s : starts) {
            SCOPED_TRACE(s.from);
            QStringList refusals;
            const auto connection = QObject::connect(vm.get(), &AutoClickerViewModel::startRefused,
                                                     [&](const QString& notice) { refusals.append(notice); });
            s.start();
            rig.drain();
            QObject::disconnect(connection);
            EXPECT_FALSE(vm->isRunning());
            EXPECT_EQ(vm->status(), "Stopped");
            EXPECT_EQ(vm->toastMessage(), c.notice);
            EXPECT_TRUE(vm->toastIsFailure()) << "drawn with the failure mark, not the success check";
            EXPECT_EQ(refusals, QStringList{c.notice}) << "for a notification while the window is out of sight";
            rig.advance(3s);
        }
        EXPECT_TRUE(rig.presses().empty());
        EXPECT_EQ(rig.analyticsClient->sentNamed(AnalyticsManager::kStartClicking).size(), startSignals);

        vm->editConfig(c.mend);
        vm->startClicking();
        EXPECT_TRUE(vm->isRunning());
        vm->stopClicking();
    }
}

// Escape and at once the start shortcut: the start lands between the emergency stop and the engine's
// stopped report, which must not end the new run's countdown and leave a run that nothing can stop.
TEST_F(RunIntegrityTest, AStoppedReportOfAnOlderRunNeverActsOnTheNewerOne) {
    startAndPassCountdown();
    rig.advance(300ms + 100ms);
    ASSERT_EQ(vm->totalClicks(), 2);

    rig.keys.press(ShortcutManager::escapeKeyCode);
    rig.keys.press(kS, kCtrlShift);
    rig.drain();
    EXPECT_TRUE(vm->isRunning()) << "the new start's countdown goes on";
    EXPECT_EQ(vm->status(), "Starting in 2s...");
    ASSERT_EQ(history().size(), 1u) << "the stopped run still gets its record";
    EXPECT_EQ(history()[0].totalClicks, 2);

    rig.advance(2s + 300ms + 200ms);
    EXPECT_EQ(vm->status(), "Running");
    EXPECT_EQ(vm->totalClicks(), 3);
    rig.keys.press(kX, kCtrlShift);
    rig.drain();
    EXPECT_EQ(vm->status(), "Stopped");
    EXPECT_FALSE(vm->isRunning());
    const std::size_t presses = rig.presses().size();
    rig.advance(1s);
    EXPECT_EQ(rig.presses().size(), presses) << "the new run stops like any other";
    ASSERT_EQ(history().size(), 2u);
    EXPECT_EQ(history()[0].totalClicks, 3);
}

TEST_F(RunIntegrityTest, TheRecordTakesTheRunsOwnTotalsAndTheConfigurationItStartedWith) {
    vm->editConfig([](ClickConfig& c) {
        c.clickType = ClickType::right;
        c.maxClicks = 3;
        c.notifyOnComplete = true;
    });
    startAndPassCountdown();
    rig.advance(300ms + 100ms);
    vm->pauseClicking();
    vm->resetStats();
    vm->editConfig([](ClickConfig& c) {
        c.clickType = ClickType::middle;
        c.notifyOnComplete = false;
    });
    vm->resumeClicking();
    rig.advance(300ms);
    EXPECT_EQ(vm->status(), "Stopped");
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history()[0].totalClicks, 3);
    EXPECT_EQ(history()[0].clickType, ClickType::right);
    ASSERT_EQ(rig.notificationTransport->sent().size(), 1u);
    EXPECT_EQ(rig.notificationTransport->sent()[0].body, NotificationManager::completionBody(3, history()[0].duration));

    // Reset while paused, then Stop: the run's clicks are still recorded.
    vm->editConfig([](ClickConfig& c) { c.maxClicks = 0; });
    startAndPassCountdown();
    rig.advance(300ms + 300ms);
    vm->pauseClicking();
    vm->resetStats();
    vm->stopClicking();
    rig.drain();
    ASSERT_EQ(history().size(), 2u);
    EXPECT_EQ(history()[0].totalClicks, 4);
    EXPECT_EQ(history()[0].clickType, ClickType::middle);
}

// The key's own thread stops the engine at the press; the main thread learns of it afterwards.
TEST_F(RunIntegrityTest, EscapeAndTheStopShortcutStopTheEngineWithoutWaitingForTheMainThread) {
    using Statuses = std::vector<QString>;
    const Statuses emergency{"Emergency Stop", "Stopped"};
    const struct {
        const char* key;
        platform::KeyPressEvent press;
        std::size_t releases;
        // What the main thread shows afterwards, in order: the emergency stop's own state comes before the
        // stopped report that it caused.
        Statuses statuses;
    } keys[] = {
        {"Escape", {ShortcutManager::escapeKeyCode, 0, true}, 3, emergency},
        {"Caps Lock mapped to Escape", {66, 0, true}, 3, emergency},
        {"keycode 9 typing something else", {9, 0, false}, 3, emergency},
        {"Ctrl+Shift+X", {kX, kCtrlShift, false}, 0, {"Stopped"}},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        startAndPassCountdown();
        rig.advance(300ms);
        const std::size_t presses = rig.presses().size();
        const std::size_t released = releases();
        Statuses statuses;
        const auto connection =
            QObject::connect(vm.get(), &AutoClickerViewModel::statusChanged, [&] { statuses.push_back(vm->status()); });
        rig.keys.press(k.press);
        EXPECT_EQ(releases(), released + k.releases);
        // Ticks go on on the engine's queue while the main queue waits: none clicks.
        rig.engineQueue.advance(1s);
        EXPECT_EQ(rig.presses().size(), presses);
        EXPECT_EQ(vm->status(), "Running") << "nothing has reached the main thread yet";
        rig.drain();
        QObject::disconnect(connection);
        EXPECT_EQ(statuses, k.statuses);
        EXPECT_FALSE(vm->isRunning());
    }
}

// At 1 ms most ticks' totals wait for the report pace; an Escape must still find its own changes first and
// the run's record every click that went out.
TEST_F(RunIntegrityTest, EscapeDuringAFastRunComesBeforeStoppedAndTheRecordHoldsEveryClick) {
    vm->editConfig([](ClickConfig& c) { c.intervalMilliseconds = 1; });
    startAndPassCountdown();
    rig.advance(300ms + 123ms);
    std::vector<QString> statuses;
    QObject::connect(vm.get(), &AutoClickerViewModel::statusChanged, [&] { statuses.push_back(vm->status()); });
    rig.keys.press(ShortcutManager::escapeKeyCode);
    rig.drain();
    EXPECT_EQ(statuses, (std::vector<QString>{"Emergency Stop", "Stopped"}));
    const auto clicks = static_cast<std::int64_t>(rig.presses().size());
    EXPECT_EQ(clicks, 124);
    EXPECT_EQ(vm->totalClicks(), clicks);
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history()[0].totalClicks, clicks);
}

// A quit has no later turn of the event loop for the engine's reports: the run's record must still hold every
// click that went out, those whose totals waited for the report pace or sat in the main queue included.
TEST_F(RunIntegrityTest, AQuitDuringARunRecordsEveryClickThatWentOut) {
    const struct {
        std::chrono::milliseconds interval;
        // The engine's thread clicked on while the main thread, busy, took none of its reports.
        std::chrono::milliseconds unreported;
    } cases[] = {{1ms, 0ms}, {1ms, 30ms}, {100ms, 250ms}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.interval.count() << " ms, " << c.unreported.count() << " ms unreported");
        vm->historyManager().clearHistory();
        rig.mouse.clear();
        vm->editConfig([&](ClickConfig& config) { config.intervalMilliseconds = c.interval.count(); });
        startAndPassCountdown();
        rig.advance(300ms + 123ms);
        rig.engineQueue.advance(c.unreported);
        vm->applicationWillTerminate();
        const auto clicks = static_cast<std::int64_t>(rig.presses().size());
        ASSERT_EQ(history().size(), 1u);
        EXPECT_EQ(history()[0].totalClicks, clicks);
        EXPECT_EQ(vm->totalClicks(), clicks);
        EXPECT_FALSE(vm->isRunning());
        rig.drain();
        EXPECT_EQ(history().size(), 1u) << "the queued stopped report records nothing more";
    }
}

// On a loaded machine the key watcher's thread may wait for a CPU while the engine's keeps clicking; the
// engine hands out the presses that have arrived before each click.
TEST_F(RunIntegrityTest, AnEscapeThatArrivedStopsTheRunBeforeTheNextClickEvenBeforeItsThreadRuns) {
    startAndPassCountdown();
    rig.advance(300ms);
    const std::size_t presses = rig.presses().size();
    rig.keys.arrive({ShortcutManager::escapeKeyCode, 0, true});
    rig.engineQueue.advance(1s);
    EXPECT_EQ(rig.presses().size(), presses);
    rig.drain();
    EXPECT_FALSE(vm->isRunning());
    EXPECT_EQ(vm->status(), "Stopped");
}

}  // namespace
}  // namespace clicktrove::testing
