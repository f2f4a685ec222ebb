#include "platform/modifier_flags.hpp"
#include "platform/qt/x11_key_press_monitor.hpp"
#include "platform/qt/x11_mouse_button_monitor.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "support/child_process.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <string>
#include <vector>

namespace clicktrove::platform {
namespace {

using clicktrove::testing::runCommand;
using Button = MouseButtonPress::Button;

// Runs the event loop until done() holds; the bound only keeps a broken build from hanging.
bool processEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

TEST(X11KeyPressMonitor, EveryHandlerSeesEachPressOnceOnTheEventLoop) {
    X11KeyPressMonitor monitor;
    std::vector<KeyPressEvent> first, second;
    ASSERT_TRUE(monitor.addMonitor([&](const KeyPressEvent& e) { first.push_back(e); }));
    ASSERT_TRUE(monitor.addMonitor([&](const KeyPressEvent& e) { second.push_back(e); }));
    ASSERT_EQ(runCommand({"xdotool", "key", "ctrl+shift+s", "t"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return !second.empty() && second.back().keyCode == 28; }));
    // Nothing further may trickle in: the final press was the last one made.
    QCoreApplication::processEvents();
    const std::vector<KeyPressEvent> expected = {
        {37, 0}, {50, ModifierFlags::command}, {39, ModifierFlags::command | ModifierFlags::shift}, {28, 0}};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
}

TEST(X11KeyPressMonitor, AHandlerRemovedInsideADeliveryHearsNothingMoreAndTheOthersCarryOn) {
    X11KeyPressMonitor monitor;
    std::vector<std::uint16_t> once, always;
    std::optional<KeyPressMonitor::Token> onceToken;
    onceToken = monitor.addMonitor([&](const KeyPressEvent& e) {
        once.push_back(e.keyCode);
        monitor.removeMonitor(*onceToken);
    });
    ASSERT_TRUE(onceToken);
    ASSERT_TRUE(monitor.addMonitor([&](const KeyPressEvent& e) { always.push_back(e.keyCode); }));
    ASSERT_EQ(runCommand({"xdotool", "key", "a", "b", "c"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return always.size() == 3; }));
    EXPECT_EQ(once, (std::vector<std::uint16_t>{38}));
    EXPECT_EQ(always, (std::vector<std::uint16_t>{38, 56, 54}));
}

TEST(X11KeyPressMonitor, WatchesAgainAfterTheLastHandlerWasRemoved) {
    X11KeyPressMonitor monitor;
    X11KeyPressMonitor witness;
    std::vector<std::uint16_t> seen, witnessed;
    ASSERT_TRUE(witness.addMonitor([&](const KeyPressEvent& e) { witnessed.push_back(e.keyCode); }));
    const auto token = monitor.addMonitor([&](const KeyPressEvent& e) { seen.push_back(e.keyCode); });
    ASSERT_TRUE(token);
    monitor.removeMonitor(*token);
    ASSERT_EQ(runCommand({"xdotool", "key", "a"}), 0);
    // Once another client has seen the press, the server is done with it before watching starts again.
    ASSERT_TRUE(processEventsUntil([&] { return !witnessed.empty(); }));
    ASSERT_TRUE(monitor.addMonitor([&](const KeyPressEvent& e) { seen.push_back(e.keyCode); }));
    ASSERT_EQ(runCommand({"xdotool", "key", "b"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return !seen.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{56}));
}

TEST(X11MouseButtonMonitor, ReportsKindAndGlobalPositionOfPressesButNotWheelSteps) {
    X11MouseInput mouseInput;
    X11MouseButtonMonitor monitor(mouseInput);
    std::vector<MouseButtonPress> presses;
    ASSERT_TRUE(monitor.addMonitor([&](const MouseButtonPress& p) { presses.push_back(p); }));
    ASSERT_EQ(runCommand({"xdotool", "mousemove", "0", "0", "click", "1"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return presses.size() == 1; }));
    ASSERT_EQ(runCommand({"xdotool", "mousemove", "300", "400", "click", "3", "click", "4", "click", "5"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return presses.size() == 2; }));
    ASSERT_EQ(runCommand({"xdotool", "mousemove", "1919", "1079", "click", "2", "click", "6", "click", "8"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return presses.size() == 4; }));
    QCoreApplication::processEvents();
    const std::vector<MouseButtonPress> expected = {
        {Button::left, 1, {0, 0}},
        {Button::right, 3, {300, 400}},
        {Button::middle, 2, {1919, 1079}},
        {Button::other, 8, {1919, 1079}},
    };
    EXPECT_EQ(presses, expected);
}

std::vector<std::string> capturedWarnings;
void captureWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg) capturedWarnings.push_back(message.toStdString());
}

// Under Xwayland the monitors see only what X11 windows receive; the user is told once per monitor, not
// every time its last handler goes and a new one comes.
TEST(X11InputMonitors, TellOnceThatAWaylandSessionHidesInput) {
    const clicktrove::testing::ScopedEnv session("XDG_SESSION_TYPE", "wayland");
    X11MouseInput mouseInput;
    X11KeyPressMonitor keys;
    X11MouseButtonMonitor buttons(mouseInput);
    capturedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureWarning);
    for (int round = 0; round < 3; ++round) {
        const auto keyToken = keys.addMonitor([](const KeyPressEvent&) {});
        const auto buttonToken = buttons.addMonitor([](const MouseButtonPress&) {});
        EXPECT_TRUE(keyToken && buttonToken) << "monitoring still works";
        if (keyToken) keys.removeMonitor(*keyToken);
        if (buttonToken) buttons.removeMonitor(*buttonToken);
    }
    qInstallMessageHandler(previous);
    ASSERT_EQ(capturedWarnings.size(), 2u);
    EXPECT_NE(capturedWarnings[0].find("keyboard shortcuts"), std::string::npos) << capturedWarnings[0];
    EXPECT_NE(capturedWarnings[1].find("mouse clicks"), std::string::npos) << capturedWarnings[1];
}

}  // namespace
}  // namespace clicktrove::platform
