#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace clicktrove::platform {

// One suite of user defaults: named values read and written whole. Values are JSON values; a "data" value
// (bytes, such as an encoded record) is stored as a string. Implementations are safe to use from several
// threads of one process.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual std::optional<nlohmann::json> value(const std::string& key) const = 0;
    virtual void setValue(const std::string& key, const nlohmann::json& value) = 0;
    virtual void removeValue(const std::string& key) = 0;

    // Typed reads: nothing when the key is missing or holds another type.
    std::optional<std::string> string(const std::string& key) const;
    std::optional<bool> boolean(const std::string& key) const;
    std::optional<double> number(const std::string& key) const;
    std::optional<std::int64_t> integer(const std::string& key) const;
};

}  // namespace clicktrove::platform
