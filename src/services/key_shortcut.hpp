#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <nlohmann/json_fwd.hpp>
#include <string>

namespace clicktrove {

namespace platform {
class KeyboardLayout;
}

// One key combination: a physical key and the modifier bits that must be held with it.
struct KeyShortcut {
    // X keycode of the key (layout independent).
    std::uint16_t keyCode = 0;
    // platform::ModifierFlags bits; only bits 16 to 31 are compared when a press is matched.
    std::uint64_t modifierFlags = 0;

    friend bool operator==(const KeyShortcut&, const KeyShortcut&) = default;

    // The modifier signs in the fixed order Control, Option, Shift, Command (⌃⌥⇧⌘), then the key's name.
    std::string displayString(const platform::KeyboardLayout& layout) const;
    // "Return", "Tab", "Space", "Esc" and the arrow names for those keys; otherwise the character the key
    // types in the current layout, upper-cased; "Key " and the code when it types none.
    static std::string keyName(std::uint16_t keyCode, const platform::KeyboardLayout& layout);
};

// {"keyCode": number, "modifierFlags": number}, both required. Reading throws nlohmann::json exceptions for a
// missing key, a value that is not a non-negative integer, or a key code above 65535.
void to_json(nlohmann::json& json, const KeyShortcut& shortcut);
void from_json(const nlohmann::json& json, KeyShortcut& shortcut);

}  // namespace clicktrove

template <>
struct std::hash<clicktrove::KeyShortcut> {
    std::size_t operator()(const clicktrove::KeyShortcut& s) const noexcept {
        return std::hash<std::uint64_t>{}(s.modifierFlags * 0x10001u ^ s.keyCode);
    }
};
