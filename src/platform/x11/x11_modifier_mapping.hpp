#pragma once

#include <array>
#include <cstdint>
#include <vector>

typedef struct _XDisplay Display;

namespace clicktrove::platform {

// Turns an X modifier state into ModifierFlags bits. Shift, Lock and Control have fixed X bits; Alt and Super
// live on whichever of Mod1..Mod5 the server's modifier map puts them (Mod1 and Mod4 on every stock layout,
// elsewhere after xmodmap). Num Lock and AltGr (usually Mod2 and Mod5) set nothing: a shortcut must not stop
// matching because Num Lock happens to be on.
class X11ModifierMapping {
public:
    // Alt on Mod1, Super on Mod4.
    X11ModifierMapping();

    // keysyms[i] lists the keysyms of the keys bound to X modifier i (0 Shift, 1 Lock, 2 Control, 3..7
    // Mod1..Mod5). Alt_L/R and Meta_L/R mark the Alt modifier, Super_L/R and Hyper_L/R the Super modifier.
    static X11ModifierMapping fromModifierKeysyms(const std::array<std::vector<unsigned long>, 8>& keysyms);
    // The server's current modifier map; the stock mapping when it cannot be read.
    static X11ModifierMapping read(Display* display);

    unsigned int altMask() const { return altMask_; }
    unsigned int superMask() const { return superMask_; }

    // Ctrl -> command, Super -> control, Alt -> option, Shift -> shift, Lock -> capsLock, and numericPad for a
    // key of the keypad.
    std::uint64_t modifierFlags(unsigned int xState, bool keypadKey) const;

private:
    unsigned int altMask_;
    unsigned int superMask_;
};

}  // namespace clicktrove::platform
