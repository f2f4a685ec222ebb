#include "support/top_level_watcher.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <thread>

namespace bench {

namespace {

bool hasClass(Display* display, Window window, const std::string& wmClass) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return false;
    const bool same = hint.res_class != nullptr && wmClass == hint.res_class;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return same;
}

// Ignores the errors of a window that went away between its event and the bench's question about it.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

TopLevelWatcher::~TopLevelWatcher() {
    if (display_) XCloseDisplay(display_);
}

bool TopLevelWatcher::open(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (!display_) return false;
    XSetErrorHandler(ignoreErrors);
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
    return true;
}

std::optional<TopLevelWatcher::Mapped> TopLevelWatcher::waitForMap(const std::string& wmClass,
                                                                   Clock::time_point deadline) {
    const int fd = ConnectionNumber(display_);
    while (Clock::now() < deadline) {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type != MapNotify || e.xmap.event != DefaultRootWindow(display_)) continue;
            const auto at = Clock::now();
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display_, e.xmap.window, &attributes)) continue;
            if (attributes.width < 200 || attributes.height < 200) continue;
            if (hasClass(display_, e.xmap.window, wmClass)) return Mapped{e.xmap.window, at};
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(std::max<long long>(left, 0)));
    }
    return std::nullopt;
}

std::optional<Clock::time_point> TopLevelWatcher::waitForFirstFrame(unsigned long window,
                                                                     Clock::time_point deadline) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window, &attributes) || attributes.width <= 0) return std::nullopt;
    const auto width = static_cast<unsigned>(attributes.width);
    while (Clock::now() < deadline) {
        for (const double at : {0.25, 0.4, 0.5, 0.6, 0.75}) {
            XImage* row = XGetImage(display_, window, 0, static_cast<int>(attributes.height * at), width, 1, AllPlanes,
                                    ZPixmap);
            if (!row) return std::nullopt;  // the window is gone
            const unsigned long first = XGetPixel(row, 0, 0);
            bool flat = true;
            for (unsigned x = 1; x < width && flat; ++x) flat = XGetPixel(row, static_cast<int>(x), 0) == first;
            XDestroyImage(row);
            if (!flat) return Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
}

}  // namespace bench
