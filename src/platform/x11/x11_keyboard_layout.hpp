#pragma once

#include "platform/keyboard_layout.hpp"

#include <string>

namespace clicktrove::platform {

// The layout the X server's core keyboard uses right now (its active group), read through xkbcommon. Every
// call asks the server again, so a layout switched a moment ago is already the one used; nothing on screen
// asks often.
class X11KeyboardLayout final : public KeyboardLayout {
public:
    // displayName empty: $DISPLAY. Without a display name no connection is attempted.
    explicit X11KeyboardLayout(std::string displayName = {});

    std::optional<std::string> keyText(std::uint16_t keyCode) const override;

private:
    std::string displayName_;
};

}  // namespace clicktrove::platform
