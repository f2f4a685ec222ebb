#pragma once

#include "platform/monitor_registry.hpp"
#include "platform/mouse_button_monitor.hpp"

namespace clicktrove::platform {

// Mouse-button presses made by the test. press() reaches every installed handler at once.
class FakeMouseButtonMonitor final : public MouseButtonMonitor {
public:
    std::optional<Token> addMonitor(Handler handler) override;
    void removeMonitor(Token token) override;

    void press(const MouseButtonPress& press) const { handlers_.dispatch(press); }
    std::size_t installedCount() const { return handlers_.size(); }
    // While unavailable, addMonitor gives no token.
    void setAvailable(bool available) { available_ = available; }

private:
    MonitorRegistry<MouseButtonPress> handlers_;
    bool available_ = true;
};

}  // namespace clicktrove::platform
