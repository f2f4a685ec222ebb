#include "platform/user_defaults.hpp"

namespace clicktrove::platform {

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    const auto v = value(key);
    if (v && v->is_string()) return v->get<std::string>();
    return std::nullopt;
}

std::optional<bool> UserDefaults::boolean(const std::string& key) const {
    const auto v = value(key);
    if (v && v->is_boolean()) return v->get<bool>();
    return std::nullopt;
}

std::optional<double> UserDefaults::number(const std::string& key) const {
    const auto v = value(key);
    if (v && v->is_number()) return v->get<double>();
    return std::nullopt;
}

std::optional<std::int64_t> UserDefaults::integer(const std::string& key) const {
    const auto v = value(key);
    if (v && v->is_number_integer()) return v->get<std::int64_t>();
    return std::nullopt;
}

}  // namespace clicktrove::platform
