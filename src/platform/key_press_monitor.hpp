#pragma once

#include "platform/key_press_event.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace clicktrove::platform {

// Watches every key press of the desktop session, in every application and in the program's own windows
// alike, and never consumes one: the focused window still receives it. Each press reaches each installed
// handler exactly once, at once, on the monitor's own thread (never waiting for the main thread, which may be
// busy): a handler must be quick and thread safe, and hands anything else on to the main queue. The
// operations may be called from any thread.
class KeyPressMonitor {
public:
    using Handler = std::function<void(const KeyPressEvent&)>;
    using Token = std::uint64_t;

    virtual ~KeyPressMonitor() = default;

    // Installs a handler. No token when the session offers no way to watch keys (no X display, no XInput2).
    virtual std::optional<Token> addMonitor(Handler handler) = 0;
    // Hands the presses that have reached the program but not the handlers yet to the handlers now, on the
    // calling thread. A thread about to do what a press may forbid calls it first: the engine, before each
    // click, so that an Escape already on its way stops the run even when the monitor's own thread has not
    // been scheduled yet (a loaded machine). Cheap when nothing is waiting. Safe from any thread but a
    // handler's.
    virtual void deliverPending() {}
    // Removes an installed handler; unknown tokens are ignored. Once it returns the handler is not called
    // again (a call under way on another thread has finished). Safe from inside a handler.
    virtual void removeMonitor(Token token) = 0;
};

}  // namespace clicktrove::platform
