#pragma once

#include "platform/user_defaults.hpp"

#include <map>
#include <mutex>

namespace clicktrove::platform {

// User defaults that live only in memory; counts writes so tests can check how often a value was saved.
class InMemoryUserDefaults final : public UserDefaults {
public:
    std::optional<nlohmann::json> value(const std::string& key) const override;
    void setValue(const std::string& key, const nlohmann::json& value) override;
    void removeValue(const std::string& key) override;

    int writeCount(const std::string& key) const;
    std::map<std::string, nlohmann::json> snapshot() const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, nlohmann::json> values_;
    std::map<std::string, int> writes_;
};

}  // namespace clicktrove::platform
