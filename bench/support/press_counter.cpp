#include "support/press_counter.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr int kEscapeKeycode = 9;

}  // namespace

PressCounter::~PressCounter() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (display_) XCloseDisplay(display_);
}

bool PressCounter::open(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (!display_) return false;
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attrs{};
    attrs.override_redirect = True;
    attrs.event_mask = ButtonPressMask | ButtonReleaseMask;
    // One flat colour, so that a window that has not drawn its first frame yet shows as such over it.
    attrs.background_pixel = BlackPixel(display_, screen);
    width_ = DisplayWidth(display_, screen);
    height_ = DisplayHeight(display_, screen);
    window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width_),
                            static_cast<unsigned>(height_), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWOverrideRedirect | CWEventMask | CWBackPixel, &attrs);
    XMapRaised(display_, window_);
    int event = 0, error = 0;
    if (XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
        XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    }
    XSync(display_, False);
    thread_ = std::thread([this] { run(); });
    return true;
}

void PressCounter::centrePointer() {
    // From the counter's thread's connection only while nothing reads it: a warp is a request, not a read.
    std::lock_guard lock(mutex_);
    XWarpPointer(display_, None, window_, 0, 0, 0, 0, width_ / 2, height_ / 2);
    XFlush(display_);
}

void PressCounter::raise() {
    std::lock_guard lock(mutex_);
    XRaiseWindow(display_, window_);
    XSync(display_, False);
}

void PressCounter::lower() {
    std::lock_guard lock(mutex_);
    XLowerWindow(display_, window_);
    XSync(display_, False);
}

void PressCounter::reset() {
    std::lock_guard lock(mutex_);
    arrivals_.clear();
}

std::vector<PressCounter::Arrival> PressCounter::arrivals() {
    std::lock_guard lock(mutex_);
    return arrivals_;
}

std::vector<Clock::time_point> PressCounter::presses() {
    std::lock_guard lock(mutex_);
    std::vector<Clock::time_point> out;
    for (const auto& a : arrivals_) {
        if (a.kind == Arrival::Kind::press) out.push_back(a.time);
    }
    return out;
}

unsigned int PressCounter::buttonsDown() {
    std::lock_guard lock(mutex_);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return mask & (Button1Mask | Button2Mask | Button3Mask);
}

pid_t PressCounter::threadId() const {
    while (threadId_ == 0) std::this_thread::yield();
    return threadId_;
}

void PressCounter::run() {
    threadId_ = static_cast<pid_t>(::syscall(SYS_gettid));
    const int fd = ConnectionNumber(display_);
    while (!stop_) {
        {
            std::lock_guard lock(mutex_);
            while (XPending(display_) > 0) {
                XEvent e;
                XNextEvent(display_, &e);
                const auto now = Clock::now();
                if (e.type == ButtonPress && e.xbutton.button == Button1) {
                    arrivals_.push_back({Arrival::Kind::press, now});
                } else if (e.type == ButtonRelease) {
                    arrivals_.push_back({Arrival::Kind::release, now});
                } else if (e.type == GenericEvent && e.xcookie.extension == xiOpcode_ &&
                           XGetEventData(display_, &e.xcookie)) {
                    const auto* raw = static_cast<const XIRawEvent*>(e.xcookie.data);
                    if (e.xcookie.evtype == XI_RawKeyPress) {
                        const auto keycode = static_cast<unsigned int>(raw->detail);
                        arrivals_.push_back(
                            {keycode == kEscapeKeycode ? Arrival::Kind::escape : Arrival::Kind::key, now, keycode});
                    }
                    XFreeEventData(display_, &e.xcookie);
                }
            }
        }
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 20);
    }
}

}  // namespace bench
