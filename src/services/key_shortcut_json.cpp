// The JSON form of KeyShortcut, apart from its display text so that it needs no Qt.
#include "services/key_shortcut.hpp"

#include <limits>
#include <nlohmann/json.hpp>

namespace clicktrove {

namespace {

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
