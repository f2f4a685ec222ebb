#pragma once

#include <cstdint>

namespace clicktrove::platform {

// One key press seen by a KeyPressMonitor.
struct KeyPressEvent {
    // The X keycode: the physical key, independent of the keyboard layout (S = 39, Escape = 9).
    std::uint16_t keyCode = 0;
    // ModifierFlags bits in effect at the press (Caps Lock included while it is locked).
    std::uint64_t modifierFlags = 0;
    // The key types Escape in the current keyboard mapping, whatever its keycode: a remapped key (Caps Lock
    // made Escape) is the emergency stop too.
    bool producesEscape = false;

    friend bool operator==(const KeyPressEvent&, const KeyPressEvent&) = default;
};

}  // namespace clicktrove::platform
