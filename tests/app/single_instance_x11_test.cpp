// Two real launches of the program on a private X server: the second hands over to the first, which brings its
// window back, and ends with status 0; over the session bus, over the socket without one, and across the two.
#include "program_window.hpp"
#include "stored_settings.hpp"
#include "support/child_process.hpp"
#include "support/scoped_env.hpp"
#include "support/session_bus.hpp"
#include "support/temp_home.hpp"
#include "support/wait_until.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

using namespace std::chrono_literals;
using clicktrove::testing::ChildProcess;
using clicktrove::testing::ScopedEnv;
using clicktrove::testing::SessionBus;
using clicktrove::testing::TempHome;
using clicktrove::testing::waitUntil;

namespace {

// The program keeps running with its window closed only without a taskbar entry, while its tray icon is on show.
void storeSettingsWithoutTaskbarEntry(const TempHome& home) {
    clicktrove::testing::storeSettings(home,
                                       [](clicktrove::SettingsManager& settings) { settings.setShowDockIcon(false); });
}

std::string startupWmClass() {
    std::ifstream entry(CLICKTROVE_DESKTOP_ENTRY);
    std::string line;
    while (std::getline(entry, line)) {
        if (line.rfind("StartupWMClass=", 0) == 0) return line.substr(15);
    }
    return {};
}

// The test's own view of the X server, as a window manager or `xdotool` would have it.
class XView {
public:
    XView() : display_(XOpenDisplay(nullptr)) {}
    ~XView() {
        if (display_) XCloseDisplay(display_);
    }
    Display* display() const { return display_; }

    std::optional<Window> mainWindowOf(pid_t pid) const { return clicktrove::testing::mainWindowOf(display_, pid); }
    bool isMapped(Window window) const { return clicktrove::testing::isMapped(display_, window); }

    std::string wmName(Window window) const {
        XTextProperty property{};
        std::string name;
        if (XGetWMName(display_, window, &property) && property.value) {
            name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
            XFree(property.value);
        }
        return name;
    }

    std::string netWmName(Window window) const { return text(window, "_NET_WM_NAME", "UTF8_STRING"); }

    std::string wmClass(Window window) const {
        XClassHint hint{};
        if (!XGetClassHint(display_, window, &hint)) return {};
        std::string result = hint.res_class ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
        return result;
    }

    // Owns the tray selection as a panel's tray does, so that the program's tray icon counts as on show (it is
    // never embedded; nothing here draws it).
    void actAsTray() {
        const int screen = DefaultScreen(display_);
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
        tray_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        const Atom atom = XInternAtom(display_, selection.c_str(), False);
        XSetSelectionOwner(display_, atom, tray_, CurrentTime);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = DefaultRootWindow(display_);
        event.xclient.message_type = XInternAtom(display_, "MANAGER", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = static_cast<long>(atom);
        event.xclient.data.l[2] = static_cast<long>(tray_);
        XSendEvent(display_, DefaultRootWindow(display_), False, StructureNotifyMask, &event);
        XSync(display_, False);
    }

    bool skipsTaskbar(Window window) const {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                               &type, &format, &items, &after, &data) == Success &&
            data && format == 32) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            const Atom skip = XInternAtom(display_, "_NET_WM_STATE_SKIP_TASKBAR", False);
            found = std::find(atoms, atoms + items, skip) != atoms + items;
        }
        if (data) XFree(data);
        return found;
    }

    void askToClose(Window window) const { clicktrove::testing::askToClose(display_, window); }

    // Listens for the startup-notification messages that launchers and programs broadcast on the root window.
    void watchStartupMessages() const {
        XSelectInput(display_, DefaultRootWindow(display_), PropertyChangeMask);
        XSync(display_, False);
    }

    // The startup-notification messages received so far, each put together from its 20-byte pieces.
    std::vector<std::string> startupMessages() {
        const Atom begin = XInternAtom(display_, "_NET_STARTUP_INFO_BEGIN", False);
        const Atom more = XInternAtom(display_, "_NET_STARTUP_INFO", False);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type != ClientMessage || event.xclient.format != 8) continue;
            if (event.xclient.message_type == begin) pieces_.clear();
            if (event.xclient.message_type != begin && event.xclient.message_type != more) continue;
            const char* data = event.xclient.data.b;
            const std::string piece(data, strnlen(data, 20));
            pieces_ += piece;
            if (piece.size() < 20) {
                messages_.push_back(pieces_);
                pieces_.clear();
            }
        }
        return messages_;
    }

private:
    std::string text(Window window, const char* name, const char* typeName) const {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        std::string value;
        if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1024, False,
                               XInternAtom(display_, typeName, False), &type, &format, &items, &after,
                               &data) == Success &&
            data) {
            value.assign(reinterpret_cast<const char*>(data), items);
        }
        if (data) XFree(data);
        return value;
    }

    Display* display_;
    Window tray_ = 0;
    std::string pieces_;
    std::vector<std::string> messages_;
};

TEST(SingleInstanceX11, ALaterLaunchBringsTheRunningInstanceForwardAndEnds) {
    struct Case {
        const char* name;
        bool firstOnBus;
        bool laterOnBus;
    };
    const Case cases[] = {
        {"over the session bus", true, true},
        {"over the socket, without a bus", false, false},
        {"a launch on the bus finds an instance without one", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        storeSettingsWithoutTaskbarEntry(home);
        XView x;
        ASSERT_NE(x.display(), nullptr);
        x.actAsTray();

        // The test main points the bus address nowhere; a case on the bus gets a private one.
        auto bus = std::make_unique<SessionBus>();
        if (c.firstOnBus) {
            ASSERT_TRUE(bus->start());
        }
        ChildProcess first;
        ASSERT_TRUE(first.start({CLICKTROVE_BINARY}));
        std::optional<Window> window;
        ASSERT_TRUE(waitUntil([&] { return (window = x.mainWindowOf(first.pid())) && x.isMapped(*window); }, 30s, 20ms))
            << "the first launch shows its window";

        EXPECT_EQ(x.wmName(*window), "Clicktrove");
        EXPECT_EQ(x.netWmName(*window), "Clicktrove");
        EXPECT_EQ(x.wmClass(*window), startupWmClass()) << "taskbars match the window to the desktop entry by it";

        EXPECT_TRUE(x.skipsTaskbar(*window)) << "no taskbar entry while the tray icon is there";
        // Closed, it lives on in the tray without a window; a launch brings it back.
        x.askToClose(*window);
        ASSERT_TRUE(waitUntil([&] { return !x.isMapped(*window); }, 10s, 20ms));
        ASSERT_FALSE(first.waitForExit(300).has_value()) << "it keeps running";

        if (c.laterOnBus && !c.firstOnBus) {
            ASSERT_TRUE(bus->start());
        }
        if (!c.laterOnBus) bus.reset();
        x.watchStartupMessages();
        ScopedEnv startupId("DESKTOP_STARTUP_ID", "clicktrove-test-launcher_TIME0");
        ChildProcess later;
        ASSERT_TRUE(later.start({CLICKTROVE_BINARY}));
        EXPECT_EQ(later.waitForExit(20000), 0) << "the later launch ends once it handed over";
        // Closing let go of the native window; the one shown again is new and carries the same names.
        EXPECT_TRUE(waitUntil([&] { return (window = x.mainWindowOf(first.pid())) && x.isMapped(*window); }, 10s, 20ms))
            << "the window is back";
        if (window) {
            EXPECT_EQ(x.wmName(*window), "Clicktrove");
            EXPECT_EQ(x.netWmName(*window), "Clicktrove");
        }
        EXPECT_TRUE(first.waitForExit(0) == std::nullopt);
        EXPECT_TRUE(waitUntil(
            [&] {
                const auto messages = x.startupMessages();
                return std::find(messages.begin(), messages.end(), "remove: ID=clicktrove-test-launcher_TIME0") !=
                       messages.end();
            },
            10s, 20ms))
            << "the instance ends the later launch's startup feedback";
        EXPECT_EQ(first.stop(), 0);
    }
}

// A desktop without a tray: with the taskbar entry off the window keeps it all the same, and closing the window
// ends the program rather than leaving it running out of reach.
TEST(SingleInstanceX11, WithoutATrayTheTaskbarEntryStaysAndClosingTheWindowEndsTheProgram) {
    TempHome home;
    storeSettingsWithoutTaskbarEntry(home);
    XView x;
    ASSERT_NE(x.display(), nullptr);
    ChildProcess program;
    ASSERT_TRUE(program.start({CLICKTROVE_BINARY}));
    std::optional<Window> window;
    ASSERT_TRUE(waitUntil([&] { return (window = x.mainWindowOf(program.pid())) && x.isMapped(*window); }, 30s, 20ms));
    // Also past the first frame, when the tray menu is wired and the tray asked again.
    EXPECT_FALSE(waitUntil([&] { return x.skipsTaskbar(*window); }, 1500ms, 20ms)) << "never skips the taskbar";
    x.askToClose(*window);
    EXPECT_EQ(program.waitForExit(20000), 0);
}

}  // namespace
