#pragma once

#include <cstdint>

namespace clicktrove::platform {

// The device-independent modifier bits (bits 16 to 31) that key presses carry and shortcuts are matched on.
// They keep the values other desktops use for these flags so that stored shortcuts stay comparable. On X11:
// Ctrl sets command and Super sets control (the way Qt maps them), Alt sets option, keypad keys set numericPad.
// help and function have no X11 source and stay clear.
struct ModifierFlags {
    static constexpr std::uint64_t capsLock = 0x10000;
    static constexpr std::uint64_t shift = 0x20000;
    static constexpr std::uint64_t control = 0x40000;
    static constexpr std::uint64_t option = 0x80000;
    static constexpr std::uint64_t command = 0x100000;
    static constexpr std::uint64_t numericPad = 0x200000;
    static constexpr std::uint64_t help = 0x400000;
    static constexpr std::uint64_t function = 0x800000;
    // Bits 0 to 15 are device dependent (which of two Shift keys, ...) and never take part in matching.
    static constexpr std::uint64_t deviceIndependentMask = 0xFFFF0000;
};

}  // namespace clicktrove::platform
