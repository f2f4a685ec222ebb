#include "support/x11_event_window.hpp"

#include <X11/Xlib.h>
#include <poll.h>

#include <ostream>

namespace clicktrove::testing {

namespace {
Display* dpy(void* d) {
    return static_cast<Display*>(d);
}
}  // namespace

void PrintTo(const X11EventWindow::Received& received, std::ostream* os) {
    static const char* const types[] = {"press", "release", "motion"};
    *os << types[static_cast<int>(received.type)] << ' ' << received.button << " at (" << received.rootX << ", "
        << received.rootY << ")";
}

X11EventWindow::X11EventWindow(int x, int y, int width, int height) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    display_ = d;
    XSetWindowAttributes attrs{};
    attrs.override_redirect = True;
    attrs.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | ExposureMask;
    window_ = XCreateWindow(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attrs);
    XMapRaised(d, window_);
    // Mapped before the test posts anything: wait for the first Expose.
    XSync(d, False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        XEvent e;
        if (XCheckTypedWindowEvent(d, window_, Expose, &e)) break;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        ::poll(&p, 1, 20);
    }
}

X11EventWindow::~X11EventWindow() {
    if (display_) XCloseDisplay(dpy(display_));
}

void X11EventWindow::pump(std::chrono::milliseconds wait) {
    Display* d = dpy(display_);
    if (XPending(d) == 0) {
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(wait.count()));
    }
    while (XPending(d) > 0) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == ButtonPress || e.type == ButtonRelease) {
            received_.push_back({e.type == ButtonPress ? Received::Type::press : Received::Type::release,
                                 e.xbutton.button, e.xbutton.x_root, e.xbutton.y_root});
        } else if (e.type == MotionNotify) {
            received_.push_back({Received::Type::motion, 0, e.xmotion.x_root, e.xmotion.y_root});
        }
    }
}

std::vector<X11EventWindow::Received> X11EventWindow::waitForButtonEvents(std::size_t count,
                                                                          std::chrono::milliseconds cap) {
    if (!display_) return {};
    const auto deadline = std::chrono::steady_clock::now() + cap;
    while (buttonEvents().size() < count && std::chrono::steady_clock::now() < deadline) {
        pump(std::chrono::milliseconds(20));
    }
    return received_;
}

std::vector<X11EventWindow::Received> X11EventWindow::buttonEvents() const {
    std::vector<Received> out;
    for (const auto& r : received_) {
        if (r.type != Received::Type::motion) out.push_back(r);
    }
    return out;
}

bool X11EventWindow::queryPointer(int& rootX, int& rootY) {
    if (!display_) return false;
    Window root = 0, child = 0;
    int wx = 0, wy = 0;
    unsigned int mask = 0;
    return XQueryPointer(dpy(display_), DefaultRootWindow(dpy(display_)), &root, &child, &rootX, &rootY, &wx, &wy,
                         &mask);
}

}  // namespace clicktrove::testing

namespace clicktrove::testing {

bool X11EventWindow::warpPointer(int rootX, int rootY) {
    if (!display_) return false;
    Display* d = dpy(display_);
    XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, rootX, rootY);
    XSync(d, False);
    return true;
}

}  // namespace clicktrove::testing
