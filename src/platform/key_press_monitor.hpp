#pragma once

#include "platform/key_press_event.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace clicktrove::platform {

// Watches every key press of the desktop session, in every application and in the program's own windows
// alike, and never consumes one: the focused window still receives it. Each press reaches each installed
// handler exactly once, on the main thread. Main thread only.
class KeyPressMonitor {
public:
    using Handler = std::function<void(const KeyPressEvent&)>;
    using Token = std::uint64_t;

    virtual ~KeyPressMonitor() = default;

    // Installs a handler. No token when the session offers no way to watch keys (no X display, no XInput2).
    virtual std::optional<Token> addMonitor(Handler handler) = 0;
    // Removes an installed handler; unknown tokens are ignored. Safe from inside a handler.
    virtual void removeMonitor(Token token) = 0;
};

}  // namespace clicktrove::platform
