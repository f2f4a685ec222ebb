#pragma once

#include "platform/keyboard_layout.hpp"

#include <map>

namespace clicktrove::platform {

// A keyboard layout with the keys the test gives it; every other key types nothing.
class FakeKeyboardLayout final : public KeyboardLayout {
public:
    FakeKeyboardLayout() = default;
    explicit FakeKeyboardLayout(std::map<std::uint16_t, std::string> keys) : keys_(std::move(keys)) {}

    std::optional<std::string> keyText(std::uint16_t keyCode) const override {
        const auto it = keys_.find(keyCode);
        if (it == keys_.end()) return std::nullopt;
        return it->second;
    }
    void setKey(std::uint16_t keyCode, std::string text) { keys_[keyCode] = std::move(text); }

private:
    std::map<std::uint16_t, std::string> keys_;
};

}  // namespace clicktrove::platform
