#include "platform/x11/x11_raw_input_watcher.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>

namespace clicktrove::platform {

std::unique_ptr<X11RawInputWatcher> X11RawInputWatcher::connect(Watch watch, std::string& error,
                                                                const std::string& displayName) {
    const char* name = displayName.empty() ? std::getenv("DISPLAY") : displayName.c_str();
    if (name == nullptr || *name == '\0') {
        error = "no X display (DISPLAY is not set); global input monitoring needs an X11 session";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        error = std::string("cannot connect to the X display ") + name;
        return nullptr;
    }
    std::unique_ptr<X11RawInputWatcher> watcher(new X11RawInputWatcher(display, watch));
    if (!watcher->setUp(error)) return nullptr;
    return watcher;
}

std::unique_ptr<X11RawInputWatcher> X11RawInputWatcher::open(Watch watch, std::string& error,
                                                             const std::string& displayName) {
    auto watcher = connect(watch, error, displayName);
    if (watcher) watcher->select();
    return watcher;
}

X11RawInputWatcher::X11RawInputWatcher(Display* display, Watch watch) : display_(display), watch_(watch) {}

X11RawInputWatcher::~X11RawInputWatcher() {
    XCloseDisplay(display_);
}

bool X11RawInputWatcher::setUp(std::string& error) {
    int event = 0, xiError = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &xiError)) {
        error = "the X server lacks the XInput extension";
        return false;
    }
    int major = 2, minor = 2;
    if (XIQueryVersion(display_, &major, &minor) != Success || major < 2) {
        error = "the X server lacks XInput 2";
        return false;
    }
    if (watch_ == Watch::keyPresses) return setUpKeyboard(error);
    // A mapping changed between this reading and the selection still arrives: MappingNotify reaches every
    // client unasked.
    refreshPointerMapping();
    return true;
}

bool X11RawInputWatcher::setUpKeyboard(std::string& error) {
    int opcode = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(display_, &opcode, &xkbEventBase_, &xkbError, &xkbMajor, &xkbMinor)) {
        error = "the X server lacks the XKEYBOARD extension";
        return false;
    }
    constexpr unsigned long stateChanges =
        XkbModifierStateMask | XkbModifierBaseMask | XkbModifierLatchMask | XkbModifierLockMask | XkbGroupStateMask;
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, stateChanges, stateChanges);
    XkbSelectEvents(display_, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) == Success) {
        modifierState_ = state.mods;
        group_ = state.group;
    }
    modifiers_ = X11ModifierMapping::read(display_);
    // Loads the keyboard map now, a round trip that would otherwise delay the first press (an Escape,
    // perhaps).
    (void)XkbKeycodeToKeysym(display_, 9, 0, 0);
    return true;
}

void X11RawInputWatcher::select() {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, watch_ == Watch::keyPresses ? XI_RawKeyPress : XI_RawButtonPress);
    XIEventMask mask{};
    // Master devices only: every physical or XTest press reaches its master once, while selecting the slave
    // devices too would report each press twice.
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    // A round trip, so that presses made after this returns are certain to be seen.
    XSync(display_, False);
}

int X11RawInputWatcher::connectionFd() const {
    return ConnectionNumber(display_);
}

X11RawInputWatcher::Batch X11RawInputWatcher::readPending() {
    Batch batch;
    // XPending reads whatever the socket holds; looping until it reports nothing also drains events that an
    // earlier round trip on this connection has pulled into Xlib's queue, where no socket notifier sees them.
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event, batch);
    }
    return batch;
}

void X11RawInputWatcher::handle(XEvent& event, Batch& batch) {
    if (event.type == GenericEvent && event.xcookie.extension == xiOpcode_) {
        if (!XGetEventData(display_, &event.xcookie)) return;
        const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
        if (event.xcookie.evtype == XI_RawKeyPress && watch_ == Watch::keyPresses) {
            const auto keyCode = static_cast<KeyCode>(raw->detail);
            const KeySym sym = XkbKeycodeToKeysym(display_, keyCode, 0, 0);
            // What the key types without modifiers in the active layout group (a keymap may put Escape on
            // another key, or only in one group).
            KeySym typed = NoSymbol;
            unsigned int consumed = 0;
            XkbLookupKeySym(display_, keyCode, XkbBuildCoreState(0, group_), &consumed, &typed);
            batch.keyPresses.push_back(KeyPressEvent{static_cast<std::uint16_t>(raw->detail),
                                                     modifiers_.modifierFlags(modifierState_, IsKeypadKey(sym)),
                                                     sym == XK_Escape || typed == XK_Escape});
        } else if (event.xcookie.evtype == XI_RawButtonPress && watch_ == Watch::buttonPresses) {
            const auto physical = static_cast<unsigned int>(raw->detail);
            const unsigned int button = logicalButton(physical);
            if (buttonKind(button)) batch.buttonPresses.push_back({button, physical});
        }
        XFreeEventData(display_, &event.xcookie);
        return;
    }
    if (xkbEventBase_ >= 0 && event.type == xkbEventBase_) {
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (xkb.any.xkb_type == XkbStateNotify) {
            modifierState_ = xkb.state.mods;
            group_ = static_cast<unsigned int>(xkb.state.group);
        } else if (xkb.any.xkb_type == XkbMapNotify) {
            XkbRefreshKeyboardMapping(const_cast<XkbMapNotifyEvent*>(&xkb.map));
            refreshKeyboardMapping();
        } else if (xkb.any.xkb_type == XkbNewKeyboardNotify) {
            refreshKeyboardMapping();
        }
        return;
    }
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingPointer) {
            refreshPointerMapping();
            return;
        }
        XRefreshKeyboardMapping(&event.xmapping);
        refreshKeyboardMapping();
    }
}

void X11RawInputWatcher::refreshKeyboardMapping() {
    if (watch_ == Watch::keyPresses) modifiers_ = X11ModifierMapping::read(display_);
}

void X11RawInputWatcher::refreshPointerMapping() {
    if (watch_ != Watch::buttonPresses) return;
    // The core protocol allows at most 255 buttons.
    unsigned char map[256];
    const int count = XGetPointerMapping(display_, map, sizeof map);
    pointerMap_.assign(map, map + std::max(count, 0));
}

unsigned int X11RawInputWatcher::logicalButton(unsigned int physical) const {
    if (physical == 0 || physical > pointerMap_.size()) return physical;
    return pointerMap_[physical - 1];
}

std::optional<MouseButtonPress::Button> X11RawInputWatcher::buttonKind(unsigned int buttonNumber) {
    switch (buttonNumber) {
        case 1:
            return MouseButtonPress::Button::left;
        case 2:
            return MouseButtonPress::Button::middle;
        case 3:
            return MouseButtonPress::Button::right;
        case 4:
        case 5:
        case 6:
        case 7:
            return std::nullopt;
        default:
            if (buttonNumber == 0) return std::nullopt;
            return MouseButtonPress::Button::other;
    }
}

}  // namespace clicktrove::platform
