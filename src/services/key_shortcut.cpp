#include "services/key_shortcut.hpp"

#include "platform/keyboard_layout.hpp"
#include "platform/modifier_flags.hpp"

#include <QString>
#include <limits>
#include <nlohmann/json.hpp>

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

std::uint64_t readUnsigned(const nlohmann::json& json, const char* key, std::uint64_t max) {
    const nlohmann::json& value = json.at(key);
    if (!value.is_number_unsigned()) {
        throw nlohmann::json::type_error::create(302, std::string(key) + " must be a non-negative integer", &json);
    }
    const auto number = value.get<std::uint64_t>();
    if (number > max) throw nlohmann::json::out_of_range::create(406, std::string(key) + " is out of range", &json);
    return number;
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

void to_json(nlohmann::json& json, const KeyShortcut& shortcut) {
    json = nlohmann::json{{"keyCode", shortcut.keyCode}, {"modifierFlags", shortcut.modifierFlags}};
}

void from_json(const nlohmann::json& json, KeyShortcut& shortcut) {
    // Checked by hand: a plain get<std::uint16_t>() would wrap 65537 to 1 and -1 to 65535.
    const auto keyCode = readUnsigned(json, "keyCode", std::numeric_limits<std::uint16_t>::max());
    const auto flags = readUnsigned(json, "modifierFlags", std::numeric_limits<std::uint64_t>::max());
    shortcut.keyCode = static_cast<std::uint16_t>(keyCode);
    shortcut.modifierFlags = flags;
}

}  // namespace clicktrove
