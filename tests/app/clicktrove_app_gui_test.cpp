#include "app/clicktrove_app.hpp"
#include "services/history_manager.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/shell/main_view.hpp"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstring>

using namespace std::chrono_literals;
using clicktrove::AnalyticsClient;
using clicktrove::AnalyticsManager;
using clicktrove::AutoClickerViewModel;
using clicktrove::ClicktroveApp;
using clicktrove::testing::ViewModelRig;

namespace {

// Records signals and lifecycle hand-overs in one ordered log.
class LoggingClient final : public AnalyticsClient {
public:
    void initialize(const Configuration&) override { log.push_back("initialize"); }
    void signal(const std::string& name, const Parameters&) override { log.push_back(name); }
    void applicationWillTerminate() override { log.push_back("willTerminate"); }
    void setDisplayFactsSource(DisplayFactsSource source) override { displayFacts = std::move(source); }
    void applicationDidResignActive() override { log.push_back("didResignActive"); }
    void applicationWillBecomeActive() override { log.push_back("willBecomeActive"); }
    std::vector<std::string> log;
    DisplayFactsSource displayFacts;
};

class ClicktroveAppTest : public ::testing::Test {
protected:
    std::unique_ptr<ClicktroveApp> makeApp(bool withWindow, std::function<bool()> trayIconShown = {}) {
        ClicktroveApp::Options options;
        if (withWindow) options.makeWindow = [](AutoClickerViewModel&) { return new QWidget; };
        options.installBuildAnalyticsClient = false;
        options.trayIconShown = std::move(trayIconShown);
        options.afterFirstFrame = [this] { ++afterFirstFrameRuns; };
        auto app = std::make_unique<ClicktroveApp>(rig.services(), analytics, options);
        app->start();
        return app;
    }

    // Lets Qt deliver the window's first expose (and paint it), then the main queue's next turn.
    bool showFirstFrame(const ClicktroveApp& app) {
        for (int i = 0; i < 200 && !app.startUpFinished(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            rig.drain();
        }
        return app.startUpFinished();
    }

    ViewModelRig rig;
    int afterFirstFrameRuns = 0;
    std::shared_ptr<LoggingClient> client = std::make_shared<LoggingClient>();
    AnalyticsManager analytics{client};
};

TEST_F(ClicktroveAppTest, LaunchConfiguresAnalyticsAndSendsAppLaunchedOnceBeforeTheSettingsSignals) {
    auto app = makeApp(true);
    ASSERT_GE(client->log.size(), 2u);
    EXPECT_EQ(client->log[0], "initialize");
    EXPECT_EQ(client->log[1], AnalyticsManager::kAppLaunched);
    EXPECT_EQ(std::count(client->log.begin(), client->log.end(), AnalyticsManager::kAppLaunched), 1);
}

// Hidden, the window is reached only through the tray icon; without one on show it is minimised instead, so the
// taskbar keeps it.
TEST_F(ClicktroveAppTest, StartMinimisedPutsTheWindowAwayShortlyAfterLaunchWhereItCanBeReached) {
    enum class Shown { normal, hidden, minimised };
    struct Case {
        const char* name;
        bool startMinimized;
        bool trayIconShown;
        Shown expected;
    };
    const Case cases[] = {
        {"off", false, true, Shown::normal},
        {"tray icon on show", true, true, Shown::hidden},
        {"no tray", true, false, Shown::minimised},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto app = makeApp(true, [&] { return c.trayIconShown; });
        app->viewModel()->settingsManager().setStartMinimized(c.startMinimized);
        QWidget* window = app->mainWindow();
        ASSERT_TRUE(window->isVisible());
        rig.advance(99ms);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
        rig.advance(2ms);
        EXPECT_EQ(window->isVisible(), c.expected != Shown::hidden);
        EXPECT_EQ(window->isMinimized(), c.expected == Shown::minimised);

        // However it was put away, the tray's "Show Control Panel" (and a later launch) brings it back.
        app->showMainWindow();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
    }
}

// The tray item's own answer: offscreen there is no tray, so a hidden window would be lost. The check also
// comes before the first frame here, so it must bring the put-off tray wiring forward to ask the tray.
TEST_F(ClicktroveAppTest, WithoutATrayOnThisDesktopStartMinimisedMinimises) {
    auto app = makeApp(true);
    app->viewModel()->settingsManager().setStartMinimized(true);
    rig.advance(101ms);
    ASSERT_NE(app->viewModel()->menuBarManager(), nullptr);
    EXPECT_FALSE(app->viewModel()->menuBarManager()->isShownInTray());
    EXPECT_TRUE(app->mainWindow()->isVisible());
    EXPECT_TRUE(app->mainWindow()->isMinimized());
}

// Put away in the tray, the window comes back, minimised where the taskbar keeps it, once the tray is gone (its
// panel quit or crashed): the program is never left running with no window, no taskbar entry and no icon.
TEST_F(ClicktroveAppTest, AWindowPutAwayInTheTrayComesBackMinimisedWhenTheTrayGoes) {
    bool trayIconShown = true;
    auto app = makeApp(true, [&] { return trayIconShown; });
    QWidget* window = app->mainWindow();
    window->hide();
    rig.advance(10s);
    EXPECT_FALSE(window->isVisible()) << "it stays in the tray while the tray is there";
    trayIconShown = false;
    rig.advance(3s);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
}

// The window comes first; the tray menu and the caller's other start-up work follow its first frame, once,
// while the launch signal stays ahead of everything.
TEST_F(ClicktroveAppTest, StartUpWorkTheFirstFrameDoesNotNeedFollowsItOnce) {
    auto app = makeApp(true);
    EXPECT_TRUE(app->mainWindow()->isVisible());
    EXPECT_EQ(app->viewModel()->menuBarManager(), nullptr);
    EXPECT_EQ(afterFirstFrameRuns, 0);
    ASSERT_GE(client->log.size(), 2u);
    EXPECT_EQ(client->log[1], AnalyticsManager::kAppLaunched);

    ASSERT_TRUE(showFirstFrame(*app));
    EXPECT_NE(app->viewModel()->menuBarManager(), nullptr);
    EXPECT_EQ(afterFirstFrameRuns, 1);

    // Later frames, the fallback and the start-minimised check leave it done.
    app->viewModel()->settingsManager().setStartMinimized(true);
    clicktrove::MenuBarManager* wired = app->viewModel()->menuBarManager();
    app->mainWindow()->update();
    QCoreApplication::processEvents();
    rig.advance(5s);
    EXPECT_EQ(afterFirstFrameRuns, 1);
    EXPECT_EQ(app->viewModel()->menuBarManager(), wired);
}

// A window the window manager never exposes (kept iconic, on another workspace) still gets its tray, and the
// start-up work runs once; a program without a window has its tray at once and the rest right after start.
TEST_F(ClicktroveAppTest, StartUpWorkRunsWithoutAFirstFrameToo) {
    {
        SCOPED_TRACE("window never exposed");
        auto app = makeApp(true);
        rig.advance(999ms);
        EXPECT_EQ(afterFirstFrameRuns, 0);
        rig.advance(2ms);
        EXPECT_EQ(afterFirstFrameRuns, 1);
        EXPECT_NE(app->viewModel()->menuBarManager(), nullptr);
        showFirstFrame(*app);
        rig.drain();
        EXPECT_EQ(afterFirstFrameRuns, 1);
    }
    afterFirstFrameRuns = 0;
    {
        SCOPED_TRACE("no window");
        auto app = makeApp(false);
        EXPECT_NE(app->viewModel()->menuBarManager(), nullptr);
        EXPECT_EQ(afterFirstFrameRuns, 0);
        rig.drain();
        EXPECT_EQ(afterFirstFrameRuns, 1);
    }
}

TEST_F(ClicktroveAppTest, EachShowOfTheWindowWiresANewTrayMenuToTheSameViewModel) {
    auto app = makeApp(true);
    ASSERT_TRUE(showFirstFrame(*app));
    clicktrove::MenuBarManager* first = app->viewModel()->menuBarManager();
    ASSERT_NE(first, nullptr);
    app->mainWindow()->hide();
    app->showMainWindow();
    clicktrove::MenuBarManager* second = app->viewModel()->menuBarManager();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);

    second->onStart();
    EXPECT_TRUE(app->viewModel()->isRunning());
    second->onStop();
    EXPECT_FALSE(app->viewModel()->isRunning());
}

// The tray's own item shows the hidden window, which wires a new tray menu: the menu whose item is still being
// handled must not be destroyed under it.
TEST_F(ClicktroveAppTest, ShowingTheWindowFromTheTrayKeepsThatMenuAliveUntilItsItemIsDone) {
    for (const char* title : {"Show Control Panel", "Settings..."}) {
        SCOPED_TRACE(title);
        auto app = makeApp(true);
        ASSERT_TRUE(showFirstFrame(*app));
        app->mainWindow()->hide();
        QPointer<clicktrove::MenuBarManager> first = app->viewModel()->menuBarManager();
        ASSERT_FALSE(first.isNull());
        QAction* item = nullptr;
        for (QAction* action : first->menu()->actions()) {
            if (action->text() == QString::fromUtf8(title)) item = action;
        }
        ASSERT_NE(item, nullptr);

        item->trigger();
        EXPECT_TRUE(app->mainWindow()->isVisible());
        EXPECT_NE(app->viewModel()->menuBarManager(), first.data()) << "a new menu is wired at the show";
        EXPECT_FALSE(first.isNull()) << "the chosen menu outlives its own item's handling";
        rig.drain();
        EXPECT_TRUE(first.isNull()) << "and goes at the next turn of the queue";
    }
}

TEST_F(ClicktroveAppTest, WithoutAWindowTheTrayIsWiredAtOnce) {
    auto app = makeApp(false);
    EXPECT_EQ(app->mainWindow(), nullptr);
    EXPECT_NE(app->viewModel()->menuBarManager(), nullptr);
}

TEST_F(ClicktroveAppTest, AnalyticsAsksForTheDisplayAsItIsAtEachSignal) {
    auto app = makeApp(true);
    ASSERT_TRUE(client->displayFacts);
    auto& appearance = clicktrove::ThemeAppearance::instance();
    const clicktrove::AppTheme before = appearance.theme();
    for (const auto& [theme, scheme] :
         {std::pair{clicktrove::AppTheme::dark, "Dark"}, std::pair{clicktrove::AppTheme::light, "Light"}}) {
        appearance.applyTheme(theme);
        EXPECT_EQ(client->displayFacts().colorScheme, scheme);
    }
    appearance.applyTheme(before);
    const auto facts = client->displayFacts();
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    EXPECT_EQ(facts.screenWidth, QGuiApplication::primaryScreen()->size().width());
    EXPECT_EQ(facts.rightToLeft, false);
}

// A logout (SIGHUP), Ctrl+C in a terminal (SIGINT) and `kill` (SIGTERM) all quit the way the tray's Quit
// does, so analytics hears of the end once; once the application is gone the default handlers are back.
TEST_F(ClicktroveAppTest, TerminationSignalsQuitThroughTheEventLoopAndTellAnalyticsOnce) {
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(::strsignal(sig));
        client->log.clear();
        {
            auto app = makeApp(false);
            struct sigaction installed {};
            ASSERT_EQ(::sigaction(sig, nullptr, &installed), 0);
            EXPECT_NE(installed.sa_handler, SIG_DFL);
            EXPECT_NE(installed.sa_handler, SIG_IGN);

            QTimer::singleShot(0, [sig] { ::raise(sig); });
            // A safety net so a broken watcher fails the test instead of hanging it.
            QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
            EXPECT_EQ(QApplication::exec(), 0);
            EXPECT_EQ(std::count(client->log.begin(), client->log.end(), "willTerminate"), 1);

            // A second end of the event loop tells analytics nothing more.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            EXPECT_EQ(QApplication::exec(), 0);
            EXPECT_EQ(std::count(client->log.begin(), client->log.end(), "willTerminate"), 1);
        }
        struct sigaction restored {};
        ASSERT_EQ(::sigaction(sig, nullptr, &restored), 0);
        EXPECT_EQ(restored.sa_handler, SIG_DFL);
    }
}

// However the program quits (the tray's Quit, the last window closed, a signal, a logout: each ends the event
// loop), a run under way ends first and lets go of every button, as Escape does, and is in the history when the
// program is gone (its stopped report would come on a turn of the loop that never comes); an idle program posts
// nothing.
TEST_F(ClicktroveAppTest, QuittingEndsARunUnderWayAndReleasesItsButtons) {
    using clicktrove::platform::MouseButton;
    using clicktrove::platform::MouseEvent;
    const MouseEvent held = MouseEvent::down(MouseButton::left, {500, 400});
    const std::vector<MouseEvent> releases{
        MouseEvent::upAtPointer(MouseButton::left), MouseEvent::upAtPointer(MouseButton::right),
        MouseEvent::upAtPointer(MouseButton::middle), MouseEvent::up(MouseButton::left, {500, 400})};
    const struct {
        const char* name;
        std::chrono::milliseconds runFor;  // from the start; none: no run
        std::vector<MouseEvent> events;
        std::size_t records;  // added to the history
    } cases[] = {
        {"holding the left button", 2300ms, {held, releases[0], releases[1], releases[2], releases[3]}, 1},
        {"paused with the button let go",
         2300ms,
         {held, MouseEvent::up(MouseButton::left, {500, 400}), releases[0], releases[1], releases[2], releases[3]},
         1},
        {"during the countdown", 1000ms, {}, 0},
        {"idle", 0ms, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.mouse.clear();
        auto app = makeApp(false);
        AutoClickerViewModel& vm = *app->viewModel();
        vm.editConfig([&](clicktrove::ClickConfig& config) {
            config.clickType = clicktrove::ClickType::holdLeft;
            config.positionMode = clicktrove::ClickPositionMode::fixed;
            config.fixedCoordinates = {{500, 400}};
            config.edgeStopEnabled = false;
        });
        if (c.runFor > 0ms) {
            vm.startClicking();
            rig.advance(c.runFor);
        }
        if (std::string(c.name).starts_with("paused")) vm.pauseClicking();
        const std::size_t recordsBefore = vm.historyManager().historyRecords().size();

        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        // Goes with the app, so that it cannot end a later test's loop.
        QTimer::singleShot(10000, app.get(), [] { QCoreApplication::exit(1); });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_EQ(rig.mouse.events(), c.events);
        const auto& records = vm.historyManager().historyRecords();
        ASSERT_EQ(records.size(), recordsBefore + c.records);
        if (c.records > 0) {
            EXPECT_EQ(records.front().totalClicks, 1) << "the run's one press";
        }
        rig.advance(5s);
        EXPECT_EQ(rig.mouse.events(), c.events) << "nothing after the quit";
        EXPECT_EQ(vm.historyManager().historyRecords().size(), recordsBefore + c.records) << "recorded once";
    }
}

// "Settings..." brings the window forward on the Settings tab; "Show Control Panel" as it was.
TEST_F(ClicktroveAppTest, TheTraysSettingsItemOpensTheSettingsTab) {
    ClicktroveApp::Options options;
    options.makeWindow = [](AutoClickerViewModel& vm) { return new clicktrove::MainView(vm, {}); };
    options.installBuildAnalyticsClient = false;
    ClicktroveApp app(rig.services(), analytics, options);
    app.start();
    ASSERT_TRUE(showFirstFrame(app));
    auto* window = qobject_cast<clicktrove::MainView*>(app.mainWindow());
    ASSERT_NE(window, nullptr);
    const auto choose = [&](const char* title) {
        for (QAction* action : app.viewModel()->menuBarManager()->menu()->actions()) {
            if (action->text() == QString::fromUtf8(title)) action->trigger();
        }
        rig.drain();
    };
    window->selectTab(clicktrove::MainViewTab::history);
    window->hide();
    choose("Show Control Panel");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->selectedTab(), clicktrove::MainViewTab::history);
    window->hide();
    choose("Settings...");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->selectedTab(), clicktrove::MainViewTab::settings);
}

// The desktop's activation of the application reaches analytics as will-become-active and did-resign-active,
// each once per change: Qt also reports moves between the inactive states (inactive, hidden, suspended), and
// the first report of a launch may be an inactive one.
TEST_F(ClicktroveAppTest, ActivityChangesReachAnalyticsOncePerChange) {
    auto app = makeApp(false);
    client->log.clear();
    const struct {
        Qt::ApplicationState state;
        std::vector<std::string> calls;
    } steps[] = {
        {Qt::ApplicationInactive, {}},
        {Qt::ApplicationActive, {"willBecomeActive"}},
        {Qt::ApplicationActive, {}},
        {Qt::ApplicationInactive, {"didResignActive"}},
        {Qt::ApplicationHidden, {}},
        {Qt::ApplicationSuspended, {}},
        {Qt::ApplicationActive, {"willBecomeActive"}},
        {Qt::ApplicationHidden, {"didResignActive"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.state);
        client->log.clear();
        // As the platform reports it; no desktop here changes the state on its own.
        emit qApp->applicationStateChanged(step.state);
        EXPECT_EQ(client->log, step.calls);
    }
    // Once the application is gone, nothing reaches its analytics any more.
    app.reset();
    client->log.clear();
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(client->log.empty());
}

}  // namespace
