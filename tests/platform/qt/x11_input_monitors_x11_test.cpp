#include "platform/modifier_flags.hpp"
#include "platform/qt/x11_mouse_button_monitor.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "support/child_process.hpp"
#include "support/scoped_env.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
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

// The pointer of a run that posts a click the moment the watch begins to open, and lets the opening take its
// time: the interleaving in which a run's press used to come back unclaimable and pass for the user's.
class PostingWhileTheWatchOpens final : public MouseInput {
public:
    explicit PostingWhileTheWatchOpens(X11MouseInput& input) : input_(input) {}
    ~PostingWhileTheWatchOpens() override {
        if (poster_.joinable()) poster_.join();
    }

    std::chrono::steady_clock::time_point startWatchingPresses(const std::function<void()>& startWatching) override {
        return input_.startWatchingPresses([&] {
            poster_ = std::thread([this] {
                input_.post(std::vector{MouseEvent::down(MouseButton::left, {40, 40}),
                                        MouseEvent::up(MouseButton::left, {40, 40})});
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            startWatching();
        });
    }
    void post(std::span<const MouseEvent> events) override { input_.post(events); }
    std::optional<GlobalPoint> cursorPosition() override { return input_.cursorPosition(); }
    void readScreens(std::vector<ScreenRect>& out) override { input_.readScreens(out); }
    bool canPost() override { return input_.canPost(); }
    bool claimPostedPress(unsigned int button, std::chrono::steady_clock::time_point since) override {
        return input_.claimPostedPress(button, since);
    }

private:
    X11MouseInput& input_;
    std::thread poster_;
};

TEST(X11MouseButtonMonitor, APressPostedWhileTheWatchOpensIsTheProgramsOwnAndTheUsersNextIsNot) {
    X11MouseInput mouseInput;
    ASSERT_TRUE(mouseInput.canPost());
    PostingWhileTheWatchOpens racing(mouseInput);
    X11MouseButtonMonitor monitor(racing);
    std::vector<MouseButtonPress> presses;
    ASSERT_TRUE(monitor.addMonitor([&](const MouseButtonPress& p) { presses.push_back(p); }));
    ASSERT_TRUE(processEventsUntil([&] { return !presses.empty(); }));
    ASSERT_EQ(runCommand({"xdotool", "click", "1"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return presses.size() == 2; }));
    EXPECT_TRUE(presses[0].postedByThisProgram);
    EXPECT_FALSE(presses[1].postedByThisProgram);
}

std::vector<std::string> capturedWarnings;
void captureWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg) capturedWarnings.push_back(message.toStdString());
}

// Under Xwayland the monitor sees only what X11 windows receive; the user is told once, not every time its last
// handler goes and a new one comes.
TEST(X11MouseButtonMonitor, TellsOnceThatAWaylandSessionHidesClicks) {
    const clicktrove::testing::ScopedEnv session("XDG_SESSION_TYPE", "wayland");
    X11MouseInput mouseInput;
    X11MouseButtonMonitor buttons(mouseInput);
    capturedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureWarning);
    for (int round = 0; round < 3; ++round) {
        const auto buttonToken = buttons.addMonitor([](const MouseButtonPress&) {});
        EXPECT_TRUE(buttonToken) << "monitoring still works";
        if (buttonToken) buttons.removeMonitor(*buttonToken);
    }
    qInstallMessageHandler(previous);
    ASSERT_EQ(capturedWarnings.size(), 1u);
    EXPECT_NE(capturedWarnings[0].find("mouse clicks"), std::string::npos) << capturedWarnings[0];
}

}  // namespace
}  // namespace clicktrove::platform
