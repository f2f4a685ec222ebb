#pragma once

#include "platform/key_press_monitor.hpp"
#include "platform/monitor_registry.hpp"

#include <mutex>
#include <vector>

namespace clicktrove::platform {

// Key presses typed by the test. press() reaches every installed handler at once, on the calling thread, as
// the real monitor delivers on its own thread: a test presses from a thread of its own to stand for that one.
// Installing and removing handlers, unlike the real monitor, is for one thread at a time.
class FakeKeyPressMonitor final : public KeyPressMonitor {
public:
    std::optional<Token> addMonitor(Handler handler) override;
    void removeMonitor(Token token) override;

    void deliverPending() override;

    void press(KeyPressEvent press) const { handlers_.dispatch(press); }
    void press(std::uint16_t keyCode, std::uint64_t modifierFlags = 0, bool producesEscape = false) const {
        press(KeyPressEvent{keyCode, modifierFlags, producesEscape});
    }
    // A press that has reached the program while the monitor's thread has not run yet: it waits for
    // deliverPending().
    void arrive(KeyPressEvent press);
    std::size_t installedCount() const { return handlers_.size(); }
    // While unavailable, addMonitor gives no token (a session without X).
    void setAvailable(bool available) { available_ = available; }

private:
    MonitorRegistry<KeyPressEvent> handlers_;
    // Held while arrived presses are handed out: like the real monitor, a caller that finds none waits for those
    // another thread is handing out.
    std::mutex delivering_;
    std::mutex mutex_;
    std::vector<KeyPressEvent> arrived_;
    bool available_ = true;
};

}  // namespace clicktrove::platform
