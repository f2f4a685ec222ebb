#include "platform/fake/fake_mouse_button_monitor.hpp"

namespace clicktrove::platform {

std::optional<MouseButtonMonitor::Token> FakeMouseButtonMonitor::addMonitor(Handler handler) {
    if (!available_) return std::nullopt;
    return handlers_.add(std::move(handler));
}

void FakeMouseButtonMonitor::removeMonitor(Token token) {
    handlers_.remove(token);
}

}  // namespace clicktrove::platform
