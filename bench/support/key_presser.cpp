#include "support/key_presser.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace bench {

KeyPresser::~KeyPresser() {
    if (display_) XCloseDisplay(display_);
}

bool KeyPresser::open(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    return display_ != nullptr;
}

bool KeyPresser::press(const std::vector<std::string>& keysyms) {
    std::vector<KeyCode> codes;
    for (const auto& name : keysyms) {
        const KeySym sym = XStringToKeysym(name.c_str());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display_, sym);
        if (code == 0) return false;
        codes.push_back(code);
    }
    for (const KeyCode code : codes) XTestFakeKeyEvent(display_, code, True, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it) XTestFakeKeyEvent(display_, *it, False, CurrentTime);
    XSync(display_, False);
    return true;
}

unsigned int KeyPresser::keycodeOf(const std::string& keysym) {
    const KeySym sym = XStringToKeysym(keysym.c_str());
    return sym == NoSymbol ? 0 : XKeysymToKeycode(display_, sym);
}

}  // namespace bench
