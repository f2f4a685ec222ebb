#include "platform/x11/x11_modifier_mapping.hpp"

#include "platform/modifier_flags.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>

namespace clicktrove::platform {

X11ModifierMapping::X11ModifierMapping() : altMask_(Mod1Mask), superMask_(Mod4Mask) {}

X11ModifierMapping X11ModifierMapping::fromModifierKeysyms(const std::array<std::vector<unsigned long>, 8>& keysyms) {
    X11ModifierMapping mapping;
    mapping.altMask_ = 0;
    mapping.superMask_ = 0;
    const auto holds = [](const std::vector<unsigned long>& syms, std::initializer_list<unsigned long> wanted) {
        return std::any_of(syms.begin(), syms.end(), [&](unsigned long sym) {
            return std::find(wanted.begin(), wanted.end(), sym) != wanted.end();
        });
    };
    // Only Mod1..Mod5 can carry Alt or Super; Shift, Lock and Control keep their meaning whatever is bound there.
    for (int index = Mod1MapIndex; index <= Mod5MapIndex; ++index) {
        const auto& syms = keysyms[static_cast<std::size_t>(index)];
        if (holds(syms, {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R})) mapping.altMask_ |= 1u << index;
        if (holds(syms, {XK_Super_L, XK_Super_R, XK_Hyper_L, XK_Hyper_R})) mapping.superMask_ |= 1u << index;
    }
    return mapping;
}

X11ModifierMapping X11ModifierMapping::read(Display* display) {
    if (display == nullptr) return {};
    XModifierKeymap* map = XGetModifierMapping(display);
    if (map == nullptr) return {};
    std::array<std::vector<unsigned long>, 8> keysyms;
    for (int index = 0; index < 8; ++index) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            const KeyCode code = map->modifiermap[index * map->max_keypermod + k];
            if (code == 0) continue;
            // Every level counts: some layouts put Meta on the shifted level of the Alt key.
            for (int level = 0; level < 4; ++level) {
                const KeySym sym = XkbKeycodeToKeysym(display, code, 0, level);
                if (sym != NoSymbol) keysyms[static_cast<std::size_t>(index)].push_back(sym);
            }
        }
    }
    XFreeModifiermap(map);
    return fromModifierKeysyms(keysyms);
}

std::uint64_t X11ModifierMapping::modifierFlags(unsigned int xState, bool keypadKey) const {
    std::uint64_t flags = 0;
    if (xState & ShiftMask) flags |= ModifierFlags::shift;
    if (xState & LockMask) flags |= ModifierFlags::capsLock;
    if (xState & ControlMask) flags |= ModifierFlags::command;
    if (xState & altMask_) flags |= ModifierFlags::option;
    if (xState & superMask_) flags |= ModifierFlags::control;
    if (keypadKey) flags |= ModifierFlags::numericPad;
    return flags;
}

}  // namespace clicktrove::platform
