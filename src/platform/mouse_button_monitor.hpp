#pragma once

#include "platform/mouse_button_press.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace clicktrove::platform {

// Watches every mouse-button press of the desktop session, in every application and in the program's own
// windows alike, and never consumes one. Each press reaches each installed handler exactly once, on the main
// thread. Main thread only.
class MouseButtonMonitor {
public:
    using Handler = std::function<void(const MouseButtonPress&)>;
    using Token = std::uint64_t;

    virtual ~MouseButtonMonitor() = default;

    // Installs a handler. No token when the session offers no way to watch the mouse.
    virtual std::optional<Token> addMonitor(Handler handler) = 0;
    // Removes an installed handler; unknown tokens are ignored. Safe from inside a handler.
    virtual void removeMonitor(Token token) = 0;
};

}  // namespace clicktrove::platform
