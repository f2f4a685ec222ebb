// gtest first: X.h defines None, which gtest's own headers use as a name.
#include <gtest/gtest.h>

#include "platform/modifier_flags.hpp"
#include "platform/x11/x11_key_press_monitor.hpp"
#include "support/child_process.hpp"
#include "support/real_time.hpp"
#include "support/scoped_env.hpp"
#include "support/wait_until.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <sys/resource.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clicktrove::platform {
namespace {

using clicktrove::testing::runCommand;
using clicktrove::testing::waitUntil;

// Presses as one handler saw them, with the thread each came on.
class Heard {
public:
    KeyPressMonitor::Handler handler() {
        return [this](const KeyPressEvent& e) {
            std::lock_guard lock(mutex_);
            presses_.push_back(e);
            threads_.push_back(std::this_thread::get_id());
        };
    }
    std::vector<KeyPressEvent> presses() const {
        std::lock_guard lock(mutex_);
        return presses_;
    }
    std::vector<std::thread::id> threads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }
    int count(std::uint16_t keyCode) const {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const auto& p : presses_) n += p.keyCode == keyCode ? 1 : 0;
        return n;
    }
    bool saw(std::uint16_t keyCode) const { return count(keyCode) > 0; }

private:
    mutable std::mutex mutex_;
    std::vector<KeyPressEvent> presses_;
    std::vector<std::thread::id> threads_;
};

TEST(X11KeyPressMonitor, EveryHandlerSeesEachPressOnceOnTheMonitorsOwnThread) {
    X11KeyPressMonitor monitor;
    Heard first, second;
    ASSERT_TRUE(monitor.addMonitor(first.handler()));
    ASSERT_TRUE(monitor.addMonitor(second.handler()));
    ASSERT_EQ(runCommand({"xdotool", "key", "ctrl+shift+s", "t"}), 0);
    ASSERT_TRUE(waitUntil([&] { return second.saw(28); }));
    // Nothing further may trickle in: the final press was the last one made.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::vector<KeyPressEvent> expected = {
        {37, 0}, {50, ModifierFlags::command}, {39, ModifierFlags::command | ModifierFlags::shift}, {28, 0}};
    EXPECT_EQ(first.presses(), expected);
    EXPECT_EQ(second.presses(), expected);
    for (const auto& id : first.threads()) {
        EXPECT_NE(id, std::this_thread::get_id());
        EXPECT_EQ(id, first.threads().front());
    }
}

TEST(X11KeyPressMonitor, AHandlerRemovedInsideADeliveryHearsNothingMoreAndTheOthersCarryOn) {
    X11KeyPressMonitor monitor;
    std::vector<std::uint16_t> once;
    Heard always;
    std::atomic<KeyPressMonitor::Token> onceToken{0};
    const auto token = monitor.addMonitor([&](const KeyPressEvent& e) {
        once.push_back(e.keyCode);
        monitor.removeMonitor(onceToken.load());
    });
    ASSERT_TRUE(token);
    onceToken = *token;
    ASSERT_TRUE(monitor.addMonitor(always.handler()));
    ASSERT_EQ(runCommand({"xdotool", "key", "a", "b", "c"}), 0);
    ASSERT_TRUE(waitUntil([&] { return always.presses().size() == 3; }));
    EXPECT_EQ(once, (std::vector<std::uint16_t>{38}));
    EXPECT_EQ(always.presses().back().keyCode, 54);
}

// Once removeMonitor has returned, the handler is never called again: the shortcut manager relies on it to
// go away safely while presses keep coming on the monitor's thread.
TEST(X11KeyPressMonitor, AHandlerRemovedFromAnotherThreadIsNeverCalledAfterwards) {
    X11KeyPressMonitor monitor;
    Heard witness;
    ASSERT_TRUE(monitor.addMonitor(witness.handler()));
    for (int round = 0; round < 5; ++round) {
        auto alive = std::make_shared<bool>(true);
        bool calledAfterRemoval = false;
        std::mutex mutex;
        const auto token = monitor.addMonitor([&, alive](const KeyPressEvent&) {
            std::lock_guard lock(mutex);
            if (!*alive) calledAfterRemoval = true;
            // A slow handler widens the window in which the removal races the delivery.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        });
        ASSERT_TRUE(token);
        std::thread typing([] { runCommand({"xdotool", "key", "--delay", "1", "a", "b", "c", "d", "e", "f"}); });
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * round));
        monitor.removeMonitor(*token);
        {
            std::lock_guard lock(mutex);
            *alive = false;
        }
        typing.join();
        ASSERT_TRUE(waitUntil([&] { return witness.count(41) == round + 1; })) << "round " << round;  // f
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard lock(mutex);
        EXPECT_FALSE(calledAfterRemoval) << "round " << round;
    }
}

// A thread about to click asks for the presses that have arrived: each is handed out once, by whichever
// thread reads it first.
TEST(X11KeyPressMonitor, PendingPressesGoOutOnceWhicheverThreadAsksFirst) {
    X11KeyPressMonitor monitor;
    Heard heard;
    ASSERT_TRUE(monitor.addMonitor(heard.handler()));
    monitor.deliverPending();  // nothing waiting: returns at once
    ASSERT_EQ(runCommand({"xdotool", "key", "--delay", "1", "a", "b", "c", "d", "e", "f", "g", "h"}), 0);
    ASSERT_TRUE(waitUntil([&] {
        monitor.deliverPending();
        return heard.saw(43);  // h
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<std::uint16_t> codes;
    for (const auto& p : heard.presses()) codes.push_back(p.keyCode);
    EXPECT_EQ(codes, (std::vector<std::uint16_t>{38, 56, 54, 40, 26, 41, 42, 43}));
}

// A keymap that puts Escape on another key (caps:escape) keeps its emergency stop; the keycode alone would
// miss it.
TEST(X11KeyPressMonitor, APressOfAKeyMappedToEscapeSaysSo) {
    Display* control = XOpenDisplay(nullptr);
    ASSERT_NE(control, nullptr);
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(control, &minCode, &maxCode);
    // An unused keycode, so that no other test's keys change meaning.
    int unused = 0;
    for (int code = maxCode; code >= minCode && !unused; --code) {
        if (XkbKeycodeToKeysym(control, static_cast<KeyCode>(code), 0, 0) == NoSymbol) unused = code;
    }
    ASSERT_NE(unused, 0);
    KeySym escape = XK_Escape;
    XChangeKeyboardMapping(control, unused, 1, &escape, 1);
    XSync(control, False);

    X11KeyPressMonitor monitor;
    Heard heard;
    ASSERT_TRUE(monitor.addMonitor(heard.handler()));
    XTestFakeKeyEvent(control, static_cast<unsigned int>(unused), True, CurrentTime);
    XTestFakeKeyEvent(control, static_cast<unsigned int>(unused), False, CurrentTime);
    XSync(control, False);
    ASSERT_EQ(runCommand({"xdotool", "key", "Escape", "a"}), 0);
    const bool arrived = waitUntil([&] { return heard.saw(38); });
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(control, unused, 1, &none, 1);
    XCloseDisplay(control);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(heard.presses(), (std::vector<KeyPressEvent>{
                                   {static_cast<std::uint16_t>(unused), 0, true}, {9, 0, true}, {38, 0, false}}));
}

TEST(X11KeyPressMonitor, WithoutADisplayNothingIsInstalledAndTheUserIsToldOnce) {
    const clicktrove::testing::ScopedEnv noDisplay("DISPLAY", "");
    std::vector<std::string> told;
    X11KeyPressMonitor monitor([&](const std::string& message) { told.push_back(message); });
    EXPECT_FALSE(monitor.addMonitor([](const KeyPressEvent&) {}));
    EXPECT_FALSE(monitor.addMonitor([](const KeyPressEvent&) {}));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("keyboard shortcuts are unavailable"), std::string::npos) << told[0];
}

// Under Xwayland the monitor sees only what X11 windows receive.
TEST(X11KeyPressMonitor, TellsOnceThatAWaylandSessionHidesKeys) {
    const clicktrove::testing::ScopedEnv session("XDG_SESSION_TYPE", "wayland");
    std::vector<std::string> told;
    X11KeyPressMonitor monitor([&](const std::string& message) { told.push_back(message); });
    for (int round = 0; round < 3; ++round) {
        const auto token = monitor.addMonitor([](const KeyPressEvent&) {});
        ASSERT_TRUE(token) << "monitoring still works";
        monitor.removeMonitor(*token);
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("keyboard shortcuts"), std::string::npos) << told[0];
}

// Bursts of presses of a key that types nothing, each press keeping its handler busy for a millisecond: the
// watcher's thread is left 40 ms of work with no press to wait for. Under a 20 ms RLIMIT_RTTIME it must still
// sleep often enough to stay at real time. Exit codes: 0 held, 2 never real time, 3 demoted, 4 set-up failed,
// 5 the presses did not all arrive.
int keepTheWatcherBusyUnderASmallRealTimeLimit() {
    constexpr int kBursts = 3;
    constexpr int kPressesPerBurst = 40;
    const rlimit budget{20'000, 20'000};
    if (::setrlimit(RLIMIT_RTTIME, &budget) != 0) return 4;
    Display* keyboard = XOpenDisplay(nullptr);
    if (keyboard == nullptr) return 4;
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(keyboard, &minCode, &maxCode);
    int unused = 0;
    for (int code = maxCode; code >= minCode && !unused; --code) {
        if (XkbKeycodeToKeysym(keyboard, static_cast<KeyCode>(code), 0, 0) == NoSymbol) unused = code;
    }
    if (unused == 0) return 4;

    std::atomic<int> heard{0}, notRealTime{0};
    {
        X11KeyPressMonitor monitor;
        const auto token = monitor.addMonitor([&](const KeyPressEvent&) {
            if (clicktrove::testing::callingThreadPolicy() != SCHED_RR) ++notRealTime;
            clicktrove::testing::burnCpu(std::chrono::milliseconds(1));
            ++heard;
        });
        if (!token) return 4;
        for (int burst = 1; burst <= kBursts; ++burst) {
            for (int press = 0; press < kPressesPerBurst; ++press) {
                XTestFakeKeyEvent(keyboard, static_cast<unsigned int>(unused), True, CurrentTime);
                XTestFakeKeyEvent(keyboard, static_cast<unsigned int>(unused), False, CurrentTime);
            }
            XSync(keyboard, False);
            if (!waitUntil([&] { return heard == burst * kPressesPerBurst; })) return 5;
        }
        monitor.removeMonitor(*token);
    }
    XCloseDisplay(keyboard);
    return notRealTime == heard ? 2 : notRealTime > 0 ? 3 : 0;
}

TEST(X11KeyPressMonitor, BusyHandlersKeepTheThreadWithinItsRealTimeLimit) {
    if (!clicktrove::testing::threadsMayRunRealTime())
        GTEST_SKIP() << "this process may not run threads at real-time priority";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Killed by SIGKILL, or demoted, when the thread runs into the limit.
    EXPECT_EXIT(std::exit(keepTheWatcherBusyUnderASmallRealTimeLimit()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace clicktrove::platform
