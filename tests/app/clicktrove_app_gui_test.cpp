#include "app/clicktrove_app.hpp"
#include "services/menu_bar_manager.hpp"
#include "services/settings_manager.hpp"
#include "session/view_model_rig.hpp"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <csignal>

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
    std::vector<std::string> log;
};

class ClicktroveAppTest : public ::testing::Test {
protected:
    std::unique_ptr<ClicktroveApp> makeApp(bool withWindow, std::function<bool()> trayIconShown = {}) {
        ClicktroveApp::Options options;
        if (withWindow) options.makeWindow = [](AutoClickerViewModel&) { return new QWidget; };
        options.installBuildAnalyticsClient = false;
        options.trayIconShown = std::move(trayIconShown);
        auto app = std::make_unique<ClicktroveApp>(rig.services(), analytics, options);
        app->start();
        return app;
    }

    ViewModelRig rig;
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

// The tray item's own answer: offscreen there is no tray, so a hidden window would be lost.
TEST_F(ClicktroveAppTest, WithoutATrayOnThisDesktopStartMinimisedMinimises) {
    auto app = makeApp(true);
    app->viewModel()->settingsManager().setStartMinimized(true);
    ASSERT_NE(app->viewModel()->menuBarManager(), nullptr);
    EXPECT_FALSE(app->viewModel()->menuBarManager()->isShownInTray());
    rig.advance(101ms);
    EXPECT_TRUE(app->mainWindow()->isVisible());
    EXPECT_TRUE(app->mainWindow()->isMinimized());
}

TEST_F(ClicktroveAppTest, EachShowOfTheWindowWiresANewTrayMenuToTheSameViewModel) {
    auto app = makeApp(true);
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

TEST_F(ClicktroveAppTest, SigtermQuitsThroughTheEventLoopAndTellsAnalyticsOnce) {
    auto app = makeApp(false);
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    // A safety net so a broken watcher fails the test instead of hanging it.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(std::count(client->log.begin(), client->log.end(), "willTerminate"), 1);
}

}  // namespace
