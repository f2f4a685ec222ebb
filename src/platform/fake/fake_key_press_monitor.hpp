#pragma once

#include "platform/key_press_monitor.hpp"
#include "platform/monitor_registry.hpp"

namespace clicktrove::platform {

// Key presses typed by the test. press() reaches every installed handler at once, on the calling thread, as
// the real monitor delivers on its own thread: a test presses from a thread of its own to stand for that one.
// Installing and removing handlers, unlike the real monitor, is for one thread at a time.
class FakeKeyPressMonitor final : public KeyPressMonitor {
public:
    std::optional<Token> addMonitor(Handler handler) override;
    void removeMonitor(Token token) override;

    void press(KeyPressEvent press) const { handlers_.dispatch(press); }
    void press(std::uint16_t keyCode, std::uint64_t modifierFlags = 0, bool producesEscape = false) const {
        press(KeyPressEvent{keyCode, modifierFlags, producesEscape});
    }
    std::size_t installedCount() const { return handlers_.size(); }
    // While unavailable, addMonitor gives no token (a session without X).
    void setAvailable(bool available) { available_ = available; }

private:
    MonitorRegistry<KeyPressEvent> handlers_;
    bool available_ = true;
};

}  // namespace clicktrove::platform
