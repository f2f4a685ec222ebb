#include "platform/fake/fake_key_press_monitor.hpp"

namespace clicktrove::platform {

std::optional<KeyPressMonitor::Token> FakeKeyPressMonitor::addMonitor(Handler handler) {
    if (!available_) return std::nullopt;
    return handlers_.add(std::move(handler));
}

void FakeKeyPressMonitor::removeMonitor(Token token) {
    handlers_.remove(token);
}

}  // namespace clicktrove::platform
