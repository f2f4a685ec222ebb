#include "platform/modifier_flags.hpp"
#include "platform/qt/x11_mouse_button_monitor.hpp"
#include "platform/qt/x11_raw_input_source.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "support/child_process.hpp"
#include "support/scoped_env.hpp"
#include "support/stalling_x_display.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <ostream>
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

// When a run's click goes out as the watch opens: each moment once lost the click or let it pass for the user's.
enum class ClickAt {
    // Posting waits for the selection, which takes its time.
    duringTheSelection,
    // Before the monitor begins reading: it must find the press already waiting, and hand it to its handler.
    rightAfterTheSelection,
};

// The pointer of such a run.
class ClickingAsTheWatchOpens final : public MouseInput {
public:
    ClickingAsTheWatchOpens(X11MouseInput& input, ClickAt at) : input_(input), at_(at) {}
    ~ClickingAsTheWatchOpens() override {
        if (poster_.joinable()) poster_.join();
    }

    std::chrono::steady_clock::time_point startWatchingPresses(const std::function<void()>& selectPresses) override {
        if (at_ == ClickAt::rightAfterTheSelection) {
            const auto since = input_.startWatchingPresses(selectPresses);
            click();
            // A round trip on the posting connection: the server has handed the press to the watch before the
            // monitor goes on.
            (void)input_.cursorPosition();
            return since;
        }
        return input_.startWatchingPresses([&] {
            poster_ = std::thread([this] { click(); });
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            selectPresses();
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
    void click() {
        input_.post(
            std::vector{MouseEvent::down(MouseButton::left, {40, 40}), MouseEvent::up(MouseButton::left, {40, 40})});
    }

    X11MouseInput& input_;
    ClickAt at_;
    std::thread poster_;
};

class X11MouseButtonMonitorOpening : public ::testing::TestWithParam<ClickAt> {};

TEST_P(X11MouseButtonMonitorOpening, APressPostedWhileTheWatchOpensIsTheProgramsOwnAndTheUsersNextIsNot) {
    X11MouseInput mouseInput;
    ASSERT_TRUE(mouseInput.canPost());
    ClickingAsTheWatchOpens racing(mouseInput, GetParam());
    X11MouseButtonMonitor monitor(racing);
    std::vector<MouseButtonPress> presses;
    ASSERT_TRUE(monitor.addMonitor([&](const MouseButtonPress& p) { presses.push_back(p); }));
    ASSERT_TRUE(processEventsUntil([&] { return !presses.empty(); }));
    ASSERT_EQ(runCommand({"xdotool", "click", "1"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return presses.size() == 2; }));
    EXPECT_TRUE(presses[0].postedByThisProgram);
    EXPECT_FALSE(presses[1].postedByThisProgram);
}

const char* nameOf(ClickAt at) {
    return at == ClickAt::duringTheSelection ? "duringTheSelection" : "rightAfterTheSelection";
}
void PrintTo(ClickAt at, std::ostream* os) {
    *os << nameOf(at);
}

INSTANTIATE_TEST_SUITE_P(Moments, X11MouseButtonMonitorOpening,
                         ::testing::Values(ClickAt::duringTheSelection, ClickAt::rightAfterTheSelection),
                         [](const ::testing::TestParamInfo<ClickAt>& info) { return std::string(nameOf(info.param)); });

// The watch's connection is made while the program goes on posting: on a slow or remote display its set-up takes
// seconds, and the emergency stop posts too, so an Escape waiting behind it would leave a run clicking. The watch
// (which connects to $DISPLAY) meets a display that answers nothing until the poster has had its turn.
TEST(X11MouseButtonMonitor, PostingGoesOnWhileTheWatchIsStillConnecting) {
    const char* real = std::getenv("DISPLAY");
    ASSERT_NE(real, nullptr);
    X11MouseInput mouseInput(real);
    ASSERT_TRUE(mouseInput.canPost());
    clicktrove::testing::StallingXDisplay stalling;
    ASSERT_FALSE(stalling.name().empty()) << "no free display number";
    const clicktrove::testing::ScopedEnv watchDisplay("DISPLAY", stalling.name());

    std::atomic<bool> reached{false};
    std::atomic<bool> postedWhileStalled{false};
    std::thread poster([&] {
        reached = stalling.waitForClient();
        mouseInput.move({20, 20});
        postedWhileStalled = !stalling.released();
        stalling.release();
    });
    X11MouseButtonMonitor monitor(mouseInput);
    const auto token = monitor.addMonitor([](const MouseButtonPress&) {});
    poster.join();
    ASSERT_TRUE(reached) << "the watch never connected to its display";
    EXPECT_TRUE(postedWhileStalled) << "posting waited for the watch's connection";
    EXPECT_FALSE(token) << "a display that hangs up gives no watch";
}

// The key watcher opens in one step, with no posting lock to keep short: open() must still select.
TEST(X11RawInputSource, OpenedForKeysHandsOverTheirPressesOnTheEventLoop) {
    std::vector<KeyPressEvent> keys;
    X11RawInputSource source(X11RawInputWatcher::Watch::keyPresses, [&](const X11RawInputWatcher::Batch& b) {
        keys.insert(keys.end(), b.keyPresses.begin(), b.keyPresses.end());
    });
    std::string error;
    ASSERT_TRUE(source.open(error)) << error;
    ASSERT_EQ(runCommand({"xdotool", "key", "Escape"}), 0);
    ASSERT_TRUE(processEventsUntil([&] { return !keys.empty(); }));
    EXPECT_EQ(keys.front(), (KeyPressEvent{9, 0, true}));
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
