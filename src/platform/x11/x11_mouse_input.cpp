#include "platform/x11/x11_mouse_input.hpp"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>
#include <xcb/xtest.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace clicktrove::platform {

namespace {

// How long a monitor layout read from the server is trusted when RandR has reported no change.
constexpr auto kScreensMaxAge = std::chrono::milliseconds(500);
// The same for the pointer mapping: a MappingNotify reaches this connection only with the next reply read
// through Xlib, so the map is also read again after a while.
constexpr auto kButtonMapMaxAge = std::chrono::milliseconds(500);

// X11 core button numbers; the wheel is buttons 4 (up) and 5 (down), one press and release per line.
unsigned int xButton(MouseButton b) {
    switch (b) {
        case MouseButton::left:
            return 1;
        case MouseButton::middle:
            return 2;
        case MouseButton::right:
            return 3;
    }
    return 1;
}

// The protocol carries 16-bit root coordinates; the server clamps the pointer to the screen anyway.
std::int16_t toPixel(double v) {
    if (!std::isfinite(v)) return 0;
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<std::int16_t>(std::lround(v));
}

}  // namespace

X11MouseInput::X11MouseInput(std::string displayName) : displayName_(std::move(displayName)) {
    std::lock_guard lock(mutex_);
    connectLocked();
}

X11MouseInput::~X11MouseInput() {
    if (display_) {
        if (xcb_) dropPrefetchLocked();
        XCloseDisplay(display_);
    }
}

bool X11MouseInput::connectLocked() {
    if (display_) return true;
    const char* name = displayName_.empty() ? std::getenv("DISPLAY") : displayName_.c_str();
    // No display (a Wayland session without Xwayland, a headless shell): no Xlib call at all.
    if (!name || !*name) return false;
    display_ = XOpenDisplay(name);
    if (!display_) return false;
    xcb_ = XGetXCBConnection(display_);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    hasXtest_ = XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor);
    int randrError = 0;
    hasRandr_ = XRRQueryExtension(display_, &randrEventBase_, &randrError) &&
                XRRQueryVersion(display_, &major, &minor) && (major > 1 || (major == 1 && minor >= 5));
    if (hasRandr_) {
        XRRSelectInput(display_, DefaultRootWindow(display_),
                       RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    }
    screensValid_ = false;
    buttonMapValid_ = false;
    return true;
}

bool X11MouseInput::takeQueuedNotificationsLocked() {
    bool screensChanged = false;
    while (XEventsQueued(display_, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (hasRandr_ && event.type >= randrEventBase_ && event.type <= randrEventBase_ + RRNotify) {
            XRRUpdateConfiguration(&event);
            screensChanged = true;
        } else if (event.type == MappingNotify && event.xmapping.request == MappingPointer) {
            buttonMapValid_ = false;
        }
    }
    return screensChanged;
}

void X11MouseInput::refreshButtonMapLocked() {
    takeQueuedNotificationsLocked();
    const auto now = std::chrono::steady_clock::now();
    if (buttonMapValid_ && now - buttonMapReadAt_ < kButtonMapMaxAge) return;
    unsigned char map[256];
    const int count = XGetPointerMapping(display_, map, sizeof map);
    for (unsigned int logical = 1; logical < physicalFor_.size(); ++logical) {
        // A logical button no physical one gives (switched off) is pressed as itself: nothing better exists.
        physicalFor_[logical] = static_cast<std::uint8_t>(logical);
        for (int physical = 1; physical <= count; ++physical) {
            if (map[physical - 1] == logical) {
                physicalFor_[logical] = static_cast<std::uint8_t>(physical);
                break;
            }
        }
    }
    buttonMapReadAt_ = now;
    buttonMapValid_ = true;
}

unsigned int X11MouseInput::physicalButtonLocked(unsigned int logical) {
    if (logical == 0 || logical >= physicalFor_.size()) return logical;
    refreshButtonMapLocked();
    return physicalFor_[logical];
}

void X11MouseInput::refreshScreensLocked() {
    const auto now = std::chrono::steady_clock::now();
    // Any round trip (a pointer query, the reading behind a posting operation) has already read pending
    // RandR notifications into the queue; looking at the queue costs no system call.
    const bool changed = takeQueuedNotificationsLocked();
    if (screensValid_ && !changed && now - screensReadAt_ < kScreensMaxAge) return;

    screens_.clear();
    const Window root = DefaultRootWindow(display_);
    if (hasRandr_) {
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display_, root, True, &count);
        if (monitors) {
            for (int i = 0; i < count; ++i) {
                const ScreenRect r{static_cast<double>(monitors[i].x), static_cast<double>(monitors[i].y),
                                   static_cast<double>(monitors[i].width), static_cast<double>(monitors[i].height)};
                if (monitors[i].primary) {
                    screens_.insert(screens_.begin(), r);
                } else {
                    screens_.push_back(r);
                }
            }
            XRRFreeMonitors(monitors);
        }
    }
    if (screens_.empty()) {
        const int screen = DefaultScreen(display_);
        screens_.push_back(ScreenRect{0, 0, static_cast<double>(DisplayWidth(display_, screen)),
                                      static_cast<double>(DisplayHeight(display_, screen))});
    }
    screensReadAt_ = now;
    screensValid_ = true;
}

// The input goes out through XCB so that the events and the pointer query behind them leave in one write.
void X11MouseInput::fakeMotionLocked(GlobalPoint p) {
    refreshScreensLocked();
    const ScreenRect& primary = screens_.front();
    xcb_test_fake_input(xcb_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, XCB_NONE, toPixel(p.x + primary.x),
                        toPixel(p.y + primary.y), 0);
}

void X11MouseInput::fakeButtonLocked(unsigned int button, bool press) {
    const unsigned int physical = physicalButtonLocked(button);
    xcb_test_fake_input(xcb_, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(physical),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void X11MouseInput::notePressLocked(const MouseEvent& e) {
    const unsigned int button = xButton(e.button);
    bool& down = held_[button];
    const bool press = e.kind == MouseEvent::Kind::buttonDown;
    // The server passes on no second press of a button this device already holds (each tick of a hold run
    // presses again): such a press never comes back, so it is not noted. Noted before it is sent, as it can
    // come back to a watcher no sooner than the flush.
    // The ledger is matched against raw presses, which carry the physical button.
    if (press && !down) posted_.notePosted(physicalButtonLocked(button));
    down = press;
}

void X11MouseInput::post(std::span<const MouseEvent> events) {
    std::lock_guard lock(mutex_);
    if (!display_ || !xcb_ || !hasXtest_ || events.empty()) return;
    // XTest button events happen wherever the pointer is, so a button event at a point first moves the
    // pointer there (one made at the pointer needs nothing); consecutive events at the same point share one
    // motion.
    bool moved = false;
    GlobalPoint at;
    auto moveTo = [&](GlobalPoint p) {
        if (moved && p == at) return;
        fakeMotionLocked(p);
        moved = true;
        at = p;
    };
    for (const auto& e : events) {
        switch (e.kind) {
            case MouseEvent::Kind::buttonDown:
            case MouseEvent::Kind::buttonUp:
                if (!e.atPointer) moveTo(e.point);
                notePressLocked(e);
                fakeButtonLocked(xButton(e.button), e.kind == MouseEvent::Kind::buttonDown);
                break;
            case MouseEvent::Kind::moved:
            case MouseEvent::Kind::dragged:
                moveTo(e.point);
                break;
            case MouseEvent::Kind::scroll: {
                const unsigned int wheel = e.lines > 0 ? 4 : 5;
                for (int i = 0; i < std::abs(e.lines); ++i) {
                    fakeButtonLocked(wheel, true);
                    fakeButtonLocked(wheel, false);
                }
                break;
            }
        }
    }
    dropPrefetchLocked();
    prefetch_ = xcb_query_pointer(xcb_, static_cast<xcb_window_t>(DefaultRootWindow(display_))).sequence;
    prefetchSentAt_ = std::chrono::steady_clock::now();
    // A flush, not a sync: a round trip per operation would stall the 1 ms cadence whenever the server is
    // busy.
    xcb_flush(xcb_);
}

void X11MouseInput::dropPrefetchLocked() {
    if (prefetch_) xcb_discard_reply(xcb_, *prefetch_);
    prefetch_.reset();
}

std::optional<GlobalPoint> X11MouseInput::toGlobalLocked(int rootX, int rootY) {
    refreshScreensLocked();
    const ScreenRect& primary = screens_.front();
    return GlobalPoint{rootX - primary.x, rootY - primary.y};
}

std::optional<GlobalPoint> X11MouseInput::recentCursorPosition(std::chrono::nanoseconds maxAge) {
    {
        std::lock_guard lock(mutex_);
        if (display_ && prefetch_ && std::chrono::steady_clock::now() - prefetchSentAt_ <= maxAge) {
            xcb_query_pointer_cookie_t cookie{*prefetch_};
            prefetch_.reset();
            xcb_generic_error_t* error = nullptr;
            xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(xcb_, cookie, &error);
            std::free(error);
            if (reply) {
                const bool sameScreen = reply->same_screen;
                const int x = reply->root_x, y = reply->root_y;
                std::free(reply);
                if (!sameScreen) return std::nullopt;
                return toGlobalLocked(x, y);
            }
        }
    }
    return cursorPosition();
}

std::optional<GlobalPoint> X11MouseInput::cursorPosition() {
    std::lock_guard lock(mutex_);
    if (!display_) return std::nullopt;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &winX, &winY, &mask)) {
        // The pointer is on another X screen: its position means nothing in this screen's space.
        return std::nullopt;
    }
    return toGlobalLocked(rootX, rootY);
}

void X11MouseInput::readScreens(std::vector<ScreenRect>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    if (!display_) return;
    refreshScreensLocked();
    const ScreenRect primary = screens_.front();
    for (const auto& r : screens_) out.push_back(ScreenRect{r.x - primary.x, r.y - primary.y, r.width, r.height});
}

bool X11MouseInput::claimPostedPress(unsigned int physicalButton, std::chrono::steady_clock::time_point since) {
    return posted_.claim(physicalButton, since);
}

std::chrono::steady_clock::time_point X11MouseInput::startWatchingPresses(const std::function<void()>& selectPresses) {
    std::lock_guard lock(mutex_);
    // A round trip on the posting connection: the server has taken every press sent so far into its input
    // before the watcher's selection can reach it, so none of those comes back, and the lock keeps the next
    // ones from going out until the selection is in force, so all of those do.
    if (xcb_) std::free(xcb_get_input_focus_reply(xcb_, xcb_get_input_focus(xcb_), nullptr));
    selectPresses();
    return std::chrono::steady_clock::now();
}

bool X11MouseInput::canPost() {
    std::lock_guard lock(mutex_);
    return connectLocked() && hasXtest_;
}

}  // namespace clicktrove::platform
