#include "services/menu_bar_manager.hpp"

#include "glyph_lightness.hpp"

#include <gtest/gtest.h>
#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <map>
#include <string>
#include <vector>

namespace clicktrove {
namespace {

using clicktrove::testing::glyphLightness;

QList<QAction*> entries(const MenuBarManager& manager) {
    return manager.menu()->actions();
}

QAction* entry(const MenuBarManager& manager, const QString& title) {
    for (QAction* action : entries(manager)) {
        if (action->text() == title) return action;
    }
    return nullptr;
}

class MenuBarManagerTest : public ::testing::Test {
protected:
    int quits = 0;
    MenuBarManager manager{[this] { ++quits; }};
};

TEST_F(MenuBarManagerTest, NineEntriesInOrderWithCtrlKeyEquivalents) {
    EXPECT_EQ(manager.menu()->title(), "Clicktrove");
    const struct {
        const char* title;  // empty: a separator
        QKeySequence key;
    } expected[] = {
        {"Show Control Panel", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Settings...", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {"", {}},
        {"Start Clicking", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Stop Clicking", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"Pause", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"Resume", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"", {}},
        {"Quit Clicktrove", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    const auto actions = entries(manager);
    ASSERT_EQ(actions.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const bool separator = *expected[i].title == '\0';
        EXPECT_EQ(actions[i]->isSeparator(), separator);
        if (separator) continue;
        EXPECT_EQ(actions[i]->text(), expected[i].title);
        EXPECT_EQ(actions[i]->shortcut(), expected[i].key);
    }
    EXPECT_EQ(manager.startItem(), actions[3]);
    EXPECT_EQ(manager.stopItem(), actions[4]);
    EXPECT_EQ(manager.pauseItem(), actions[5]);
    EXPECT_EQ(manager.resumeItem(), actions[6]);
}

TEST_F(MenuBarManagerTest, EnabledStatesFollowTheRunState) {
    struct Row {
        const char* label;
        bool apply;  // false: the state right after creation
        bool isRunning;
        bool isPaused;
        bool start, stop, pause, resume;
    };
    const Row rows[] = {
        {"initial", false, false, false, true, false, false, false},
        {"running", true, true, false, false, true, true, false},
        {"paused", true, true, true, false, true, false, true},
        {"idle", true, false, false, true, false, false, false},
        {"idle though paused", true, false, true, true, false, false, false},
        {"running again", true, true, false, false, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        if (row.apply) manager.updateState(row.isRunning, row.isPaused);
        EXPECT_EQ(manager.startItem()->isEnabled(), row.start);
        EXPECT_EQ(manager.stopItem()->isEnabled(), row.stop);
        EXPECT_EQ(manager.pauseItem()->isEnabled(), row.pause);
        EXPECT_EQ(manager.resumeItem()->isEnabled(), row.resume);
        for (const char* always : {"Show Control Panel", "Settings...", "Quit Clicktrove"}) {
            EXPECT_TRUE(entry(manager, always)->isEnabled()) << always;
        }
        for (QAction* action : entries(manager)) EXPECT_TRUE(action->isVisible());
    }
}

TEST_F(MenuBarManagerTest, EachEntryRunsItsOwnCallbackOnce) {
    std::map<std::string, int> calls;
    manager.onShowWindow = [&] { ++calls["showWindow"]; };
    manager.onShowSettings = [&] { ++calls["showSettings"]; };
    manager.onStart = [&] { ++calls["start"]; };
    manager.onStop = [&] { ++calls["stop"]; };
    manager.onPause = [&] { ++calls["pause"]; };
    manager.onResume = [&] { ++calls["resume"]; };

    // Each entry chosen in a run state that enables it: the menu refuses disabled entries.
    const struct {
        const char* title;
        const char* callback;
        bool isRunning, isPaused;
    } cases[] = {
        {"Show Control Panel", "showWindow", false, false},
        {"Settings...", "showSettings", true, false},
        {"Start Clicking", "start", false, false},
        {"Stop Clicking", "stop", true, false},
        {"Pause", "pause", true, false},
        {"Resume", "resume", true, true},
    };
    for (const auto& c : cases) {
        calls.clear();
        manager.updateState(c.isRunning, c.isPaused);
        entry(manager, c.title)->trigger();
        EXPECT_EQ(calls, (std::map<std::string, int>{{c.callback, 1}})) << c.title;
    }
    // A disabled entry does nothing.
    calls.clear();
    manager.updateState(false, false);
    manager.pauseItem()->trigger();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(quits, 0);
    calls.clear();
    entry(manager, "Quit Clicktrove")->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(calls.empty());
}

TEST_F(MenuBarManagerTest, EntriesWithoutCallbacksDoNothing) {
    for (const auto& [running, paused] : {std::pair{false, false}, {true, false}, {true, true}}) {
        manager.updateState(running, paused);
        for (QAction* action : entries(manager)) {
            if (!action->isSeparator() && action->text() != "Quit Clicktrove") action->trigger();
        }
    }
    EXPECT_EQ(quits, 0);
    // A callback set later is the one that runs.
    int pauses = 0;
    manager.onPause = [&] { ++pauses; };
    manager.updateState(true, false);
    manager.pauseItem()->trigger();
    EXPECT_EQ(pauses, 1);
}

TEST_F(MenuBarManagerTest, WithoutATrayTheMenuStillWorks) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_EQ(manager.statusItem(), nullptr);
    int starts = 0;
    manager.onStart = [&] { ++starts; };
    manager.startItem()->trigger();
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(MenuBarManager::applicationIcon().pixmap(64).isNull());
}

TEST(MenuBarManagerIcon, SymbolicGlyphContrastsWithThePanel) {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x24));
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
    EXPECT_GT(glyphLightness(MenuBarManager::symbolicIcon(dark)), 200);
    EXPECT_LT(glyphLightness(MenuBarManager::symbolicIcon(light)), 60);
}

}  // namespace
}  // namespace clicktrove
