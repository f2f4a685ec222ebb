#include "program_window.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace clicktrove::testing {

namespace {
unsigned long pidOf(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL, &type,
                           &format, &items, &after, &data) == Success &&
        data && items == 1 && format == 32) {
        value = *reinterpret_cast<unsigned long*>(data);
    }
    if (data) XFree(data);
    return value;
}
}  // namespace

std::optional<unsigned long> mainWindowOf(Display* display, pid_t pid) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return {};
    std::optional<Window> found;
    for (unsigned int i = 0; i < count; ++i) {
        XClassHint hint{};
        if (pidOf(display, children[i]) != static_cast<unsigned long>(pid)) continue;
        if (XGetClassHint(display, children[i], &hint)) {
            if (!found || isMapped(display, children[i])) found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    if (children) XFree(children);
    return found;
}

bool isMapped(Display* display, unsigned long window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

void askToClose(Display* display, unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

}  // namespace clicktrove::testing
