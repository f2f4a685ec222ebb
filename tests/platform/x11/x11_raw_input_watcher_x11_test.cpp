// gtest first: X.h defines None, which gtest's own headers use as a name.
#include <gtest/gtest.h>

#include "platform/modifier_flags.hpp"
#include "platform/x11/x11_raw_input_watcher.hpp"
#include "support/child_process.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace clicktrove::platform {
namespace {

using clicktrove::testing::runCommand;
using Watch = X11RawInputWatcher::Watch;

constexpr std::uint64_t kCtrl = ModifierFlags::command;
constexpr std::uint64_t kShift = ModifierFlags::shift;

// Reads batches until done() holds or a generous bound passes; the bound only keeps a broken build from
// hanging, the events themselves arrive within milliseconds.
template <typename Done>
X11RawInputWatcher::Batch readUntil(X11RawInputWatcher& watcher, Done done) {
    X11RawInputWatcher::Batch all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done(all) && std::chrono::steady_clock::now() < deadline) {
        pollfd p{watcher.connectionFd(), POLLIN, 0};
        ::poll(&p, 1, 100);
        auto batch = watcher.readPending();
        all.keyPresses.insert(all.keyPresses.end(), batch.keyPresses.begin(), batch.keyPresses.end());
        all.buttonPresses.insert(all.buttonPresses.end(), batch.buttonPresses.begin(), batch.buttonPresses.end());
    }
    return all;
}

// The button numbers applications see, in order.
std::vector<unsigned int> buttons(const X11RawInputWatcher::Batch& batch) {
    std::vector<unsigned int> out;
    for (const auto& press : batch.buttonPresses) out.push_back(press.button);
    return out;
}
std::vector<unsigned int> physicalButtons(const X11RawInputWatcher::Batch& batch) {
    std::vector<unsigned int> out;
    for (const auto& press : batch.buttonPresses) out.push_back(press.physicalButton);
    return out;
}

std::unique_ptr<X11RawInputWatcher> openWatcher(Watch watch) {
    std::string error;
    auto watcher = X11RawInputWatcher::open(watch, error);
    EXPECT_NE(watcher, nullptr) << error;
    return watcher;
}

struct KeyCase {
    const char* keys;  // xdotool key syntax
    std::uint16_t keyCode;
    std::uint64_t modifierFlags;
    bool producesEscape = false;
};

class RawKeyPresses : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RawKeyPresses, ReportKeycodeAndTheModifiersHeldAtThePress) {
    const KeyCase& c = GetParam();
    auto watcher = openWatcher(Watch::keyPresses);
    ASSERT_NE(watcher, nullptr);
    ASSERT_EQ(runCommand({"xdotool", "key", c.keys}), 0);
    const auto batch = readUntil(*watcher, [&](const X11RawInputWatcher::Batch& b) {
        for (const auto& press : b.keyPresses) {
            if (press.keyCode == c.keyCode) return true;
        }
        return false;
    });
    ASSERT_FALSE(batch.keyPresses.empty());
    EXPECT_EQ(batch.keyPresses.back(), (KeyPressEvent{c.keyCode, c.modifierFlags, c.producesEscape}));
}

INSTANTIATE_TEST_SUITE_P(Combinations, RawKeyPresses,
                         ::testing::Values(KeyCase{"s", 39, 0}, KeyCase{"ctrl+shift+s", 39, kCtrl | kShift},
                                           KeyCase{"ctrl+alt+shift+s", 39, kCtrl | kShift | ModifierFlags::option},
                                           // Super is the Control bit, as Qt maps it.
                                           KeyCase{"super+x", 53, ModifierFlags::control},
                                           KeyCase{"shift+Escape", 9, kShift, true},
                                           KeyCase{"KP_Enter", 104, ModifierFlags::numericPad},
                                           KeyCase{"ctrl+KP_1", 87, kCtrl | ModifierFlags::numericPad}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) {
                             std::string name = info.param.keys;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

TEST(RawKeyPressState, LockedCapsLockIsReportedAndNumLockIsNot) {
    auto watcher = openWatcher(Watch::keyPresses);
    ASSERT_NE(watcher, nullptr);
    ASSERT_EQ(runCommand({"xdotool", "key", "Caps_Lock", "Num_Lock", "ctrl+shift+s"}), 0);
    // Unlock again before any assertion can end the test: the server outlives it.
    ASSERT_EQ(runCommand({"xdotool", "key", "Caps_Lock", "Num_Lock", "t"}), 0);
    const auto batch = readUntil(*watcher, [](const X11RawInputWatcher::Batch& b) {
        return !b.keyPresses.empty() && b.keyPresses.back().keyCode == 28;
    });
    std::vector<KeyPressEvent> letters;
    for (const auto& press : batch.keyPresses) {
        if (press.keyCode == 39 || press.keyCode == 28) letters.push_back(press);
    }
    EXPECT_EQ(letters, (std::vector<KeyPressEvent>{{39, kCtrl | kShift | ModifierFlags::capsLock}, {28, 0}}));
}

TEST(RawButtonPresses, ReportEveryButtonOnceAndNoWheelSteps) {
    auto watcher = openWatcher(Watch::buttonPresses);
    ASSERT_NE(watcher, nullptr);
    ASSERT_EQ(runCommand({"xdotool", "click", "4", "click", "5", "click", "1", "click", "6", "click", "3", "click", "7",
                          "click", "2", "click", "8", "click", "9"}),
              0);
    const auto batch = readUntil(*watcher, [](const X11RawInputWatcher::Batch& b) {
        return !b.buttonPresses.empty() && b.buttonPresses.back().button == 9;
    });
    EXPECT_EQ(buttons(batch), (std::vector<unsigned int>{1, 3, 2, 8, 9}));
    EXPECT_EQ(physicalButtons(batch), buttons(batch)) << "the stock mapping";
}

// Raw events carry the physical button; a left-handed mapping must still report what applications see.
TEST(RawButtonPresses, FollowThePointerMappingAndItsChanges) {
    auto watcher = openWatcher(Watch::buttonPresses);
    ASSERT_NE(watcher, nullptr);
    Display* control = XOpenDisplay(nullptr);
    ASSERT_NE(control, nullptr);
    const auto setMapping = [&](std::vector<unsigned char> firstButtons) {
        unsigned char map[256];
        const int count = XGetPointerMapping(control, map, sizeof map);
        for (int i = 0; i < count; ++i) map[i] = static_cast<unsigned char>(i + 1);
        std::copy(firstButtons.begin(), firstButtons.end(), map);
        ASSERT_EQ(XSetPointerMapping(control, map, count), MappingSuccess);
        XSync(control, False);
    };
    const auto clicks = [&](std::vector<std::string> buttons) {
        std::vector<std::string> argv = {"xdotool"};
        for (const auto& b : buttons) argv.insert(argv.end(), {"click", b});
        ASSERT_EQ(runCommand(argv), 0);
    };

    // Left and right swapped, button 8 switched off.
    setMapping({3, 2, 1, 4, 5, 6, 7, 0});
    clicks({"1", "3", "8", "2", "9"});
    auto batch = readUntil(*watcher, [](const X11RawInputWatcher::Batch& b) {
        return !b.buttonPresses.empty() && b.buttonPresses.back().button == 9;
    });
    EXPECT_EQ(buttons(batch), (std::vector<unsigned int>{3, 1, 2, 9}));
    EXPECT_EQ(physicalButtons(batch), (std::vector<unsigned int>{1, 3, 2, 9})) << "as xdotool pressed them";

    // A wheel direction swapped with a button becomes a press, and back to the stock mapping.
    setMapping({1, 2, 3, 9, 5, 6, 7, 8, 4});
    clicks({"4", "1"});
    batch = readUntil(*watcher, [](const X11RawInputWatcher::Batch& b) { return b.buttonPresses.size() >= 2; });
    setMapping({});
    clicks({"1", "3"});
    const auto stock =
        readUntil(*watcher, [](const X11RawInputWatcher::Batch& b) { return b.buttonPresses.size() >= 2; });
    XCloseDisplay(control);
    EXPECT_EQ(buttons(batch), (std::vector<unsigned int>{9, 1}));
    EXPECT_EQ(buttons(stock), (std::vector<unsigned int>{1, 3}));
}

// Connecting is the slow part a caller keeps out of its locks, so it must select nothing: a press it let through
// would come back unclaimable. Each press goes out on a control connection and waits for the server to have taken
// it in, which is what a caller's round trip before select() stands for.
struct SelectCase {
    const char* name;
    Watch watch;
    unsigned int before;  // keycode or physical button, pressed between connect() and select()
    unsigned int after;
};

void PrintTo(const SelectCase& c, std::ostream* os) {
    *os << c.name;
}

class RawInputWatcherConnect : public ::testing::TestWithParam<SelectCase> {};

TEST_P(RawInputWatcherConnect, ReportsNoPressBeforeSelectAndThoseAfter) {
    const SelectCase& c = GetParam();
    Display* control = XOpenDisplay(nullptr);
    ASSERT_NE(control, nullptr);
    const auto press = [&](unsigned int code) {
        if (c.watch == Watch::keyPresses) {
            XTestFakeKeyEvent(control, code, True, CurrentTime);
            XTestFakeKeyEvent(control, code, False, CurrentTime);
        } else {
            XTestFakeButtonEvent(control, code, True, CurrentTime);
            XTestFakeButtonEvent(control, code, False, CurrentTime);
        }
        XSync(control, False);
    };
    std::string error;
    auto watcher = X11RawInputWatcher::connect(c.watch, error);
    ASSERT_NE(watcher, nullptr) << error;
    press(c.before);
    watcher->select();
    press(c.after);
    const auto seen = [&](const X11RawInputWatcher::Batch& b) {
        std::vector<unsigned int> codes;
        for (const auto& k : b.keyPresses) codes.push_back(k.keyCode);
        for (const auto& p : b.buttonPresses) codes.push_back(p.physicalButton);
        return codes;
    };
    const auto batch = readUntil(
        *watcher, [&](const X11RawInputWatcher::Batch& b) { return !seen(b).empty() && seen(b).back() == c.after; });
    XCloseDisplay(control);
    EXPECT_EQ(seen(batch), std::vector<unsigned int>{c.after});
}

INSTANTIATE_TEST_SUITE_P(Watches, RawInputWatcherConnect,
                         ::testing::Values(SelectCase{"keys", Watch::keyPresses, 38, 39},
                                           SelectCase{"buttons", Watch::buttonPresses, 3, 1}),
                         [](const ::testing::TestParamInfo<SelectCase>& info) { return std::string(info.param.name); });

TEST(RawInputWatcherOpen, FailsWithAReasonAndNoConnectionWhenThereIsNoDisplay) {
    std::string error;
    EXPECT_EQ(X11RawInputWatcher::open(Watch::keyPresses, error, ":4095"), nullptr);
    EXPECT_NE(error.find(":4095"), std::string::npos) << error;
}

}  // namespace
}  // namespace clicktrove::platform
