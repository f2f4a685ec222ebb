#include "platform/bounded_json.hpp"

namespace clicktrove::platform {

namespace {

template <class Json>
std::optional<Json> parse(std::string_view text, std::string* error) {
    if (!jsonNestingWithin(text)) {
        if (error) *error = "nested more than " + std::to_string(kMaxJsonDepth) + " levels deep";
        return std::nullopt;
    }
    try {
        return Json::parse(text.begin(), text.end());
    } catch (const std::exception& e) {
        if (error) *error = std::string("not valid JSON: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace

bool jsonNestingWithin(std::string_view text, std::size_t maxDepth) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        switch (c) {
            case '"':
                inString = true;
                break;
            case '[':
            case '{':
                if (++depth > maxDepth) return false;
                break;
            case ']':
            case '}':
                // Unbalanced text is the parser's to refuse; only the depth matters here.
                if (depth > 0) --depth;
                break;
            default:
                break;
        }
    }
    return true;
}

std::optional<nlohmann::json> parseBoundedJson(std::string_view text, std::string* error) {
    return parse<nlohmann::json>(text, error);
}

std::optional<nlohmann::ordered_json> parseBoundedOrderedJson(std::string_view text, std::string* error) {
    return parse<nlohmann::ordered_json>(text, error);
}

}  // namespace clicktrove::platform
