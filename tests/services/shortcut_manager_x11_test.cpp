#include "services/shortcut_manager.hpp"

#include "platform/qt/qt_main_queue.hpp"
#include "platform/x11/x11_key_press_monitor.hpp"
#include "support/child_process.hpp"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <string>
#include <vector>

namespace clicktrove {
namespace {

using Action = ShortcutManager::Action;
using clicktrove::testing::runCommand;

// Runs the event loop until done() holds; the bound only keeps a broken build from hanging.
bool processEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// Real presses made with xdotool on the test's X server, watched through the real monitor and handled on
// the Qt event loop.
class ShortcutManagerX11Test : public ::testing::Test {
protected:
    ShortcutManagerX11Test() : manager(monitor, queue) {
        manager.onActionTriggered = [this](Action a) { actions.push_back(a); };
        manager.onEmergencyStopTriggered = [this] { ++emergencies; };
    }

    // Types the xdotool key arguments and then Escape, and waits for that Escape: the server delivers in
    // order, so once it is handled every press before it has been handled too.
    void typeThenWait(std::vector<std::string> keys) {
        const int before = emergencies;
        std::vector<std::string> argv = {"xdotool", "key"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        argv.push_back("Escape");
        ASSERT_EQ(runCommand(argv), 0);
        ASSERT_TRUE(processEventsUntil([&] { return emergencies > before; }));
    }

    platform::QtMainQueue queue;
    platform::X11KeyPressMonitor monitor;
    ShortcutManager manager;
    std::vector<Action> actions;
    int emergencies = 0;
};

TEST_F(ShortcutManagerX11Test, CtrlShiftSStartsOnce) {
    manager.startMonitoring();
    typeThenWait({"ctrl+shift+s"});
    EXPECT_EQ(actions, std::vector<Action>{Action::start});
    EXPECT_EQ(emergencies, 1);
}

TEST_F(ShortcutManagerX11Test, EachDefaultCombinationTriggersItsAction) {
    manager.startMonitoring();
    typeThenWait({"ctrl+shift+x", "ctrl+shift+p", "ctrl+shift+r", "ctrl+shift+t"});
    EXPECT_EQ(actions, (std::vector<Action>{Action::stop, Action::pause, Action::resume, Action::reset}));
}

TEST_F(ShortcutManagerX11Test, OtherModifierSetsTriggerNothing) {
    manager.startMonitoring();
    // Caps Lock is switched on and off again within the same command, so a failure cannot leave it locked.
    typeThenWait(
        {"Caps_Lock", "ctrl+shift+s", "Caps_Lock", "ctrl+alt+shift+s", "shift+s", "ctrl+s", "super+ctrl+shift+s", "s"});
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(emergencies, 1);
}

TEST_F(ShortcutManagerX11Test, EscapeWithAnyModifiersIsTheEmergencyStop) {
    manager.startMonitoring();
    ASSERT_EQ(runCommand({"xdotool", "key", "Escape", "ctrl+Escape", "shift+Escape", "ctrl+alt+shift+Escape"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return emergencies == 4; }));
    typeThenWait({});
    EXPECT_EQ(emergencies, 5);
    EXPECT_TRUE(actions.empty());
}

TEST_F(ShortcutManagerX11Test, StartingTwiceInstallsOneMonitor) {
    manager.startMonitoring();
    manager.startMonitoring();
    typeThenWait({"ctrl+shift+s"});
    EXPECT_EQ(actions, std::vector<Action>{Action::start});
    EXPECT_EQ(emergencies, 1);
}

TEST_F(ShortcutManagerX11Test, StoppedMonitoringSeesNoPress) {
    manager.startMonitoring();
    manager.stopMonitoring();
    ShortcutManager witness(monitor, queue);
    int witnessed = 0;
    witness.onEmergencyStopTriggered = [&] { ++witnessed; };
    witness.startMonitoring();
    ASSERT_EQ(runCommand({"xdotool", "key", "ctrl+shift+s", "Escape"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return witnessed == 1; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(emergencies, 0);
}

// Records the key presses a widget receives.
class KeyLog : public QObject {
public:
    std::vector<std::pair<int, Qt::KeyboardModifiers>> presses;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            presses.emplace_back(key->key(), key->modifiers());
        }
        return false;
    }
};

TEST_F(ShortcutManagerX11Test, PressesInOurOwnFocusedFieldTriggerOnceAndStillReachTheField) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit;
    layout->addWidget(field);
    window.resize(300, 80);
    window.move(100, 100);
    KeyLog log;
    field->installEventFilter(&log);
    window.show();
    ASSERT_TRUE(processEventsUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    // There is no window manager on the test server: give the window the X input focus directly.
    ASSERT_EQ(
        runCommand({"xdotool", "mousemove", "200", "130", "windowfocus", "--sync", std::to_string(window.winId())}), 0);
    window.activateWindow();
    field->setFocus();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::focusWidget() == field; }));

    manager.startMonitoring();
    typeThenWait({"a", "ctrl+shift+t"});
    ASSERT_TRUE(
        processEventsUntil([&] { return log.presses.size() >= 3 && log.presses.back().first == Qt::Key_Escape; }));

    EXPECT_EQ(actions, std::vector<Action>{Action::reset});
    EXPECT_EQ(emergencies, 1);
    EXPECT_EQ(field->text(), "a");
    const std::vector<std::pair<int, Qt::KeyboardModifiers>> nonModifierPresses = [&] {
        std::vector<std::pair<int, Qt::KeyboardModifiers>> out;
        for (const auto& p : log.presses) {
            if (p.first != Qt::Key_Control && p.first != Qt::Key_Shift) out.push_back(p);
        }
        return out;
    }();
    const std::vector<std::pair<int, Qt::KeyboardModifiers>> expected = {
        {Qt::Key_A, Qt::NoModifier},
        {Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_Escape, Qt::NoModifier},
    };
    EXPECT_EQ(nonModifierPresses, expected);
}

}  // namespace
}  // namespace clicktrove
