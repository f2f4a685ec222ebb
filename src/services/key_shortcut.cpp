#include "services/key_shortcut.hpp"

#include "platform/keyboard_layout.hpp"
#include "platform/modifier_flags.hpp"

#include <QString>

namespace clicktrove {

namespace {

using platform::ModifierFlags;

// X keycodes of the keys with fixed names (evdev numbering plus 8, the same on every layout).
const char* fixedKeyName(std::uint16_t keyCode) {
    switch (keyCode) {
        case 36:
            return "Return";
        case 23:
            return "Tab";
        case 65:
            return "Space";
        case 9:
            return "Esc";
        case 113:
            return "Left";
        case 114:
            return "Right";
        case 116:
            return "Down";
        case 111:
            return "Up";
        default:
            return nullptr;
    }
}

}  // namespace

std::string KeyShortcut::displayString(const platform::KeyboardLayout& layout) const {
    std::string text;
    if (modifierFlags & ModifierFlags::control) text += "⌃";
    if (modifierFlags & ModifierFlags::option) text += "⌥";
    if (modifierFlags & ModifierFlags::shift) text += "⇧";
    if (modifierFlags & ModifierFlags::command) text += "⌘";
    return text + keyName(keyCode, layout);
}

std::string KeyShortcut::keyName(std::uint16_t keyCode, const platform::KeyboardLayout& layout) {
    if (const char* name = fixedKeyName(keyCode)) return name;
    if (const auto text = layout.keyText(keyCode)) {
        // Qt's upper-casing is Unicode aware: "ä" becomes "Ä", "ß" becomes "SS".
        const QString upper = QString::fromStdString(*text).toUpper();
        if (!upper.isEmpty()) return upper.toStdString();
    }
    return "Key " + std::to_string(keyCode);
}

}  // namespace clicktrove
