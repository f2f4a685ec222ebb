#include "platform/fake/in_memory_user_defaults.hpp"

namespace clicktrove::platform {

std::optional<nlohmann::json> InMemoryUserDefaults::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void InMemoryUserDefaults::setValue(const std::string& key, const nlohmann::json& value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    ++writes_[key];
}

void InMemoryUserDefaults::removeValue(const std::string& key) {
    std::lock_guard lock(mutex_);
    values_.erase(key);
    ++writes_[key];
}

int InMemoryUserDefaults::writeCount(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = writes_.find(key);
    return it == writes_.end() ? 0 : it->second;
}

std::map<std::string, nlohmann::json> InMemoryUserDefaults::snapshot() const {
    std::lock_guard lock(mutex_);
    return values_;
}

}  // namespace clicktrove::platform
