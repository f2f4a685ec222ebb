#include "platform/fake/fake_key_press_monitor.hpp"

namespace clicktrove::platform {

std::optional<KeyPressMonitor::Token> FakeKeyPressMonitor::addMonitor(Handler handler) {
    if (!available_) return std::nullopt;
    return handlers_.add(std::move(handler));
}

void FakeKeyPressMonitor::arrive(KeyPressEvent press) {
    std::lock_guard lock(mutex_);
    arrived_.push_back(press);
}

void FakeKeyPressMonitor::deliverPending() {
    std::lock_guard delivering(delivering_);
    std::vector<KeyPressEvent> presses;
    {
        std::lock_guard lock(mutex_);
        presses.swap(arrived_);
    }
    for (const auto& p : presses) handlers_.dispatch(p);
}

void FakeKeyPressMonitor::removeMonitor(Token token) {
    handlers_.remove(token);
}

}  // namespace clicktrove::platform
