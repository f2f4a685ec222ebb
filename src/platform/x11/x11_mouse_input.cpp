#include "platform/x11/x11_mouse_input.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <cmath>
#include <cstdlib>

namespace clicktrove::platform {

namespace {

// How long a monitor layout read from the server is trusted when RandR has reported no change.
constexpr auto kScreensMaxAge = std::chrono::milliseconds(500);

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

int toPixel(double v) {
    if (!std::isfinite(v)) return 0;
    // Far outside any screen the server clamps anyway; keep the value inside int.
    if (v > 1e9) return 1'000'000'000;
    if (v < -1e9) return -1'000'000'000;
    return static_cast<int>(std::lround(v));
}

}  // namespace

X11MouseInput::X11MouseInput(std::string displayName) : displayName_(std::move(displayName)) {
    std::lock_guard lock(mutex_);
    connectLocked();
}

X11MouseInput::~X11MouseInput() {
    if (display_) XCloseDisplay(display_);
}

bool X11MouseInput::connectLocked() {
    if (display_) return true;
    const char* name = displayName_.empty() ? std::getenv("DISPLAY") : displayName_.c_str();
    // No display (a Wayland session without Xwayland, a headless shell): no Xlib call at all.
    if (!name || !*name) return false;
    display_ = XOpenDisplay(name);
    if (!display_) return false;
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
    return true;
}

void X11MouseInput::refreshScreensLocked() {
    const auto now = std::chrono::steady_clock::now();
    // Any round trip (XQueryPointer on each tick) has already read pending RandR notifications into the
    // queue; looking at the queue costs no system call.
    bool changed = false;
    while (XEventsQueued(display_, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (hasRandr_ && event.type >= randrEventBase_ && event.type <= randrEventBase_ + RRNotify) {
            XRRUpdateConfiguration(&event);
            changed = true;
        }
    }
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

void X11MouseInput::fakeMotionLocked(GlobalPoint p) {
    refreshScreensLocked();
    const ScreenRect& primary = screens_.front();
    XTestFakeMotionEvent(display_, -1, toPixel(p.x + primary.x), toPixel(p.y + primary.y), CurrentTime);
}

void X11MouseInput::fakeButtonLocked(unsigned int button, bool press) {
    XTestFakeButtonEvent(display_, button, press ? True : False, CurrentTime);
}

void X11MouseInput::post(std::span<const MouseEvent> events) {
    std::lock_guard lock(mutex_);
    if (!display_ || !hasXtest_ || events.empty()) return;
    // XTest button events happen wherever the pointer is, so a button event at a point first moves the
    // pointer there; consecutive events at the same point share one motion.
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
                moveTo(e.point);
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
    // XFlush, not XSync: a round trip per operation would stall the 1 ms cadence whenever the server is busy.
    XFlush(display_);
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
    refreshScreensLocked();
    const ScreenRect& primary = screens_.front();
    return GlobalPoint{rootX - primary.x, rootY - primary.y};
}

void X11MouseInput::readScreens(std::vector<ScreenRect>& out) {
    std::lock_guard lock(mutex_);
    out.clear();
    if (!display_) return;
    refreshScreensLocked();
    const ScreenRect primary = screens_.front();
    for (const auto& r : screens_) out.push_back(ScreenRect{r.x - primary.x, r.y - primary.y, r.width, r.height});
}

bool X11MouseInput::canPost() {
    std::lock_guard lock(mutex_);
    return connectLocked() && hasXtest_;
}

void X11MouseInput::invalidateScreens() {
    std::lock_guard lock(mutex_);
    screensValid_ = false;
}

}  // namespace clicktrove::platform
