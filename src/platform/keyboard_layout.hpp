#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace clicktrove::platform {

// The keyboard layout currently in use, for showing which character a physical key types.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // The text (UTF-8) the key types in the current layout with no modifier held, exactly as the layout gives
    // it (so usually lower case); for a dead key, its accent on its own ("´"). None when there is no layout,
    // the key is not in it or it types no printable text (function keys, control characters).
    virtual std::optional<std::string> keyText(std::uint16_t keyCode) const = 0;
};

}  // namespace clicktrove::platform
