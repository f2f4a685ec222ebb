// The real program on a private X server, driven as a user drives it: a run started, paused and resumed with the
// global shortcuts, and the program quit while a button is held, a drag is under way or a fast run clicks; what
// happened is read back from the server and the program's history file.
#include "engine/click_config.hpp"
#include "program_window.hpp"
#include "stored_settings.hpp"
#include "support/child_process.hpp"
#include "support/temp_home.hpp"
#include "support/wait_until.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using clicktrove::ClickConfig;
using clicktrove::ClickType;
using clicktrove::SettingsManager;
using clicktrove::testing::ChildProcess;
using clicktrove::testing::TempHome;
using clicktrove::testing::waitUntil;

namespace {

// The program's settings with the run it is to start remembered.
void rememberRun(const TempHome& home, const ClickConfig& config) {
    clicktrove::testing::storeSettings(home, [&](SettingsManager& settings) {
        settings.setRememberLastConfig(true);
        settings.setLastConfig(config);
    });
}

// The clicks of each run in the program's history file, as it left it.
std::vector<std::int64_t> recordedClicks(const TempHome& home) {
    std::ifstream file(home.dataHome() / "Clicktrove" / "history.json");
    const auto records = nlohmann::json::parse(file, nullptr, false);
    std::vector<std::int64_t> clicks;
    if (!records.is_array()) return clicks;
    for (const auto& record : records) clicks.push_back(record.value("totalClicks", std::int64_t{-1}));
    return clicks;
}

// The test's own client of the server: a window over the whole screen, above the program's, that receives the
// clicks made at the pointer; the session's key presses (XInput2 raw events on the root window); and a keyboard
// of its own. One connection carries the keys and the clicks, so their server times compare.
class Desk {
public:
    struct Event {
        enum class Kind { press, release, key } kind;
        unsigned long time = 0;   // server milliseconds
        unsigned int detail = 0;  // button or keycode
        unsigned int state = 0;   // modifiers and buttons down, for button events
        int x = 0, y = 0;         // where the pointer was, for button events
    };

    Desk() : display_(XOpenDisplay(nullptr)) {
        if (!display_) return;
        int event = 0, error = 0, major = 2, minor = 0;
        if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error) ||
            XIQueryVersion(display_, &major, &minor) != Success) {
            XCloseDisplay(display_);
            display_ = nullptr;
            return;
        }
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
        XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
        const int screen = DefaultScreen(display_);
        width_ = DisplayWidth(display_, screen);
        height_ = DisplayHeight(display_, screen);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = ButtonPressMask | ButtonReleaseMask;
        window_ = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width_),
                                static_cast<unsigned>(height_), 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWEventMask, &attributes);
        XSync(display_, False);
    }
    ~Desk() {
        if (display_) XCloseDisplay(display_);
    }
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    bool isOpen() const { return display_ != nullptr; }

    // Above every window, the program's included, with the pointer in its middle.
    void cover() {
        XMapRaised(display_, window_);
        XRaiseWindow(display_, window_);
        XWarpPointer(display_, None, window_, 0, 0, 0, 0, width_ / 2, height_ / 2);
        XSync(display_, False);
    }

    bool mainWindowMapped(pid_t pid) {
        const auto window = clicktrove::testing::mainWindowOf(display_, pid);
        return window && clicktrove::testing::isMapped(display_, *window);
    }
    void askToClose(pid_t pid) {
        if (const auto window = clicktrove::testing::mainWindowOf(display_, pid)) {
            clicktrove::testing::askToClose(display_, *window);
        }
    }

    // Presses the keys in order and releases them in reverse, as a keyboard would; the keys before the last (the
    // modifiers) stay down for `held` after the last one comes up, as a person's fingers do.
    void pressKeys(const std::vector<KeySym>& keys, std::chrono::milliseconds held = 0ms) {
        for (const KeySym key : keys) XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), True, CurrentTime);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
            XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, *it), False, CurrentTime);
            if (it == keys.rbegin()) {
                XSync(display_, False);
                std::this_thread::sleep_for(held);
            }
        }
        XSync(display_, False);
    }
    unsigned int keycodeOf(KeySym key) { return XKeysymToKeycode(display_, key); }

    unsigned int buttonsDown() { return queryPointer().buttons; }
    // Where the pointer is on the screen.
    std::pair<int, int> pointer() {
        const auto p = queryPointer();
        return {p.x, p.y};
    }

    // Everything received so far, in the order the server sent it.
    const std::vector<Event>& events() {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == ButtonPress || e.type == ButtonRelease) {
                events_.push_back({e.type == ButtonPress ? Event::Kind::press : Event::Kind::release, e.xbutton.time,
                                   e.xbutton.button, e.xbutton.state, e.xbutton.x_root, e.xbutton.y_root});
            } else if (e.type == GenericEvent && e.xcookie.extension == xiOpcode_ &&
                       XGetEventData(display_, &e.xcookie)) {
                const auto* raw = static_cast<const XIRawEvent*>(e.xcookie.data);
                if (e.xcookie.evtype == XI_RawKeyPress) {
                    events_.push_back({Event::Kind::key, raw->time, static_cast<unsigned int>(raw->detail), 0, 0, 0});
                }
                XFreeEventData(display_, &e.xcookie);
            }
        }
        return events_;
    }
    // Every event the server has sent so far, and those still on their way to this client.
    const std::vector<Event>& allEvents() {
        XSync(display_, False);
        return events();
    }
    std::vector<Event> pressesSince(std::size_t from) {
        std::vector<Event> presses;
        const auto& all = events();
        for (std::size_t i = from; i < all.size(); ++i) {
            if (all[i].kind == Event::Kind::press) presses.push_back(all[i]);
        }
        return presses;
    }
    // The server time of the first press of this key from event `from` on.
    std::optional<unsigned long> keyPressedSince(std::size_t from, unsigned int keycode) {
        const auto& all = events();
        for (std::size_t i = from; i < all.size(); ++i) {
            if (all[i].kind == Event::Kind::key && all[i].detail == keycode) return all[i].time;
        }
        return std::nullopt;
    }

private:
    struct PointerState {
        int x = 0, y = 0;
        unsigned int buttons = 0;
    };
    PointerState queryPointer() {
        Window root = 0, child = 0;
        int x = 0, y = 0;
        PointerState state;
        XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &state.x, &state.y, &x, &y, &state.buttons);
        state.buttons &= Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;
        return state;
    }

    Display* display_ = nullptr;
    Window window_ = 0;
    int xiOpcode_ = -1;
    int width_ = 0, height_ = 0;
    std::vector<Event> events_;
};

const std::vector<KeySym> kStart{XK_Control_L, XK_Shift_L, XK_s};
const std::vector<KeySym> kPause{XK_Control_L, XK_Shift_L, XK_p};
const std::vector<KeySym> kResume{XK_Control_L, XK_Shift_L, XK_r};

// Launches the program with the run remembered, puts the desk over its window and starts the run with the
// shortcut, until `started` holds (the key watcher may not be listening yet at the first press).
bool launchAndStart(ChildProcess& program, Desk& desk, const std::function<bool()>& started) {
    if (!program.start({CLICKTROVE_BINARY})) return false;
    if (!waitUntil([&] { return desk.mainWindowMapped(program.pid()); }, 30s, 20ms)) return false;
    desk.cover();
    for (int attempt = 0; attempt < 5; ++attempt) {
        desk.pressKeys(kStart);
        // The two-second countdown, the first tick's 300 ms, and room for a busy machine.
        if (waitUntil(started, 6s, 5ms)) return true;
    }
    return false;
}

TEST(ProgramOnX11, QuittingWhileAButtonIsHeldLeavesNoButtonDownAtTheServer) {
    enum class Quit { sigterm, sigint, sighup, closeWindow };
    const struct {
        const char* name;
        bool drag;
        Quit quit;
    } cases[] = {
        {"hold, kill", false, Quit::sigterm},          {"hold, Ctrl+C", false, Quit::sigint},
        {"hold, logout", false, Quit::sighup},         {"hold, window closed", false, Quit::closeWindow},
        {"drag under way, kill", true, Quit::sigterm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        ClickConfig config;
        config.edgeStopEnabled = false;
        if (c.drag) {
            config.isDragEnabled = true;
            config.dragStartPoint = {200, 200};
            config.dragEndPoint = {800, 600};
            config.dragDuration = 120;
        } else {
            config.clickType = ClickType::holdLeft;
        }
        rememberRun(home, config);
        Desk desk;
        ASSERT_TRUE(desk.isOpen());
        ChildProcess program;
        ASSERT_TRUE(launchAndStart(program, desk, [&] { return desk.buttonsDown() == Button1Mask; }))
            << "the run holds the left button";

        switch (c.quit) {
            case Quit::sigterm:
                ::kill(program.pid(), SIGTERM);
                break;
            case Quit::sigint:
                ::kill(program.pid(), SIGINT);
                break;
            case Quit::sighup:
                ::kill(program.pid(), SIGHUP);
                break;
            case Quit::closeWindow:
                desk.askToClose(program.pid());
                break;
        }
        EXPECT_EQ(program.waitForExit(20000), 0);
        EXPECT_EQ(desk.buttonsDown(), 0u) << "every later pointer move would be a drag";
        // The hold's one press counts, and so does the drag's, which counts at its press as a cut drag does.
        EXPECT_EQ(recordedClicks(home), std::vector<std::int64_t>{1})
            << "the run is in the history, as a stopped one is";
    }
}

// A quit has no later turn of the event loop for the engine's reports, and a 1 ms run's totals wait up to a report
// pace: the record must still hold every press the server saw.
TEST(ProgramOnX11, QuittingDuringAOneMillisecondRunRecordsEveryPressTheServerSaw) {
    TempHome home;
    ClickConfig config;
    config.intervalSeconds = 0;
    config.intervalMilliseconds = 1;
    config.edgeStopEnabled = false;
    rememberRun(home, config);
    Desk desk;
    ASSERT_TRUE(desk.isOpen());
    ChildProcess program;
    ASSERT_TRUE(launchAndStart(program, desk, [&] { return !desk.pressesSince(0).empty(); }));
    std::this_thread::sleep_for(500ms);
    ::kill(program.pid(), SIGTERM);
    ASSERT_EQ(program.waitForExit(20000), 0);
    desk.allEvents();
    const auto presses = static_cast<std::int64_t>(desk.pressesSince(0).size());
    EXPECT_GT(presses, 50) << "the run went on clicking";
    EXPECT_EQ(recordedClicks(home), std::vector<std::int64_t>{presses});
    EXPECT_EQ(desk.buttonsDown(), 0u);
}

// A pause stops what the user sees at once, as it does for a hold: the drag's button comes up where the pointer is
// and the pointer stays there. The resume starts a fresh drag from its start point, no sooner than 300 ms on.
TEST(ProgramOnX11, PauseDuringADragLetsTheButtonGoAndThePointerRest) {
    TempHome home;
    ClickConfig config;
    config.edgeStopEnabled = false;
    config.intervalSeconds = 1;
    config.intervalMilliseconds = 0;
    config.isDragEnabled = true;
    config.dragStartPoint = {200, 200};
    config.dragEndPoint = {900, 700};
    config.dragDuration = 4;
    rememberRun(home, config);
    Desk desk;
    ASSERT_TRUE(desk.isOpen());
    ChildProcess program;
    ASSERT_TRUE(launchAndStart(program, desk, [&] { return desk.buttonsDown() == Button1Mask; }))
        << "the drag holds the left button";
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(desk.buttonsDown(), static_cast<unsigned int>(Button1Mask)) << "still dragging";

    desk.pressKeys(kPause);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(desk.buttonsDown(), 0u) << "the drag's button came up at the pause";
    const auto restedAt = desk.pointer();
    const std::size_t paused = desk.events().size();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(desk.pointer(), restedAt) << "the pointer stopped with the drag";
    EXPECT_NE(restedAt, std::make_pair(900, 700)) << "cut short, not finished";
    EXPECT_TRUE(desk.pressesSince(paused).empty());

    const unsigned int r = desk.keycodeOf(XK_r);
    desk.pressKeys(kResume, 100ms);
    ASSERT_TRUE(waitUntil([&] { return !desk.pressesSince(paused).empty(); }, 10s, 5ms));
    const auto keyAt = desk.keyPressedSince(paused, r);
    ASSERT_TRUE(keyAt.has_value()) << "the R of the shortcut";
    const Desk::Event first = desk.pressesSince(paused).front();
    // Server times are whole milliseconds.
    EXPECT_GE(first.time, *keyAt + 299) << "pressed " << first.time - *keyAt << " ms after the R";
    EXPECT_EQ(std::make_pair(first.x, first.y), std::make_pair(200, 200)) << "a fresh drag from its start point";

    desk.pressKeys({XK_Escape});
    EXPECT_EQ(program.stop(), 0);
    EXPECT_EQ(desk.buttonsDown(), 0u);
}

// Ctrl and Shift are still down when the resume shortcut's R arrives: a click at once would reach the window
// under the pointer as a Ctrl+Shift+click. The first press waits a first click's 300 ms, by the server's clock.
TEST(ProgramOnX11, TheFirstPressAfterTheResumeShortcutWaitsAndCarriesNoModifier) {
    TempHome home;
    ClickConfig config;
    config.intervalSeconds = 0;
    config.intervalMilliseconds = 100;
    config.edgeStopEnabled = false;
    rememberRun(home, config);
    Desk desk;
    ASSERT_TRUE(desk.isOpen());
    const auto pressesSince = [&](std::size_t from) { return desk.pressesSince(from); };
    ChildProcess program;
    ASSERT_TRUE(launchAndStart(program, desk, [&] { return !pressesSince(0).empty(); }));

    const unsigned int r = desk.keycodeOf(XK_r);
    for (int resume = 0; resume < 3; ++resume) {
        SCOPED_TRACE(resume);
        desk.pressKeys(kPause);
        std::this_thread::sleep_for(400ms);
        const std::size_t paused = desk.events().size();
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(pressesSince(paused).empty()) << "paused";

        desk.pressKeys(kResume, 100ms);
        ASSERT_TRUE(waitUntil([&] { return !pressesSince(paused).empty(); }, 10s, 5ms));
        const auto keyAt = desk.keyPressedSince(paused, r);
        ASSERT_TRUE(keyAt.has_value()) << "the R of the shortcut";
        const Desk::Event first = pressesSince(paused).front();
        // Server times are whole milliseconds.
        EXPECT_GE(first.time, *keyAt + 299) << "pressed " << first.time - *keyAt << " ms after the R";
        EXPECT_EQ(first.state & (ControlMask | ShiftMask), 0u) << "a plain click, not a Ctrl+Shift+click";
    }
    desk.pressKeys({XK_Escape});
    EXPECT_EQ(program.stop(), 0);
    EXPECT_EQ(desk.buttonsDown(), 0u);
}

}  // namespace
