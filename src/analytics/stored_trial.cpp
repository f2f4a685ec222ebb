#include "analytics/stored_trial.hpp"

#include "platform/bounded_json.hpp"

#include <nlohmann/json.hpp>

namespace clicktrove::analytics {

std::string StoredTrial::encode() const {
    return nlohmann::ordered_json{{"productID", productID}, {"originalTransactionID", originalTransactionID}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<StoredTrial> StoredTrial::decode(const std::string& text) {
    const auto json = platform::parseBoundedJson(text);
    if (!json || !json->is_object()) return std::nullopt;
    const auto product = json->find("productID");
    const auto original = json->find("originalTransactionID");
    // Only whole non-negative numbers are transaction identifiers; 1.5 or -1 would read back as another one.
    if (product == json->end() || !product->is_string() || original == json->end() || !original->is_number_unsigned()) {
        return std::nullopt;
    }
    return StoredTrial{product->get<std::string>(), original->get<std::uint64_t>()};
}

}  // namespace clicktrove::analytics
