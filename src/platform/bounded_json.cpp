#include "platform/bounded_json.hpp"

namespace clicktrove::platform {

namespace {

enum class Scan { within, tooDeep, tooMany };

Scan scan(std::string_view text, std::size_t maxDepth, std::size_t maxValues) {
    std::size_t depth = 0;
    std::size_t values = 0;
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
                if (++depth > maxDepth) return Scan::tooDeep;
                if (++values > maxValues) return Scan::tooMany;
                break;
            case ',':
                if (++values > maxValues) return Scan::tooMany;
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
    return Scan::within;
}

// The reason ends up in a notice the user reads, so it says where the text went wrong in plain words rather
// than in the parser's own diagnostics. `byte` is the parser's 1-based position of the last character it read;
// one past the end means the text stopped in the middle of a value, as a file cut short by a full disk does.
std::string notJsonReason(std::size_t size, std::size_t byte) {
    if (size == 0) return "not valid JSON: empty";
    if (byte > size) return "not valid JSON: it ends too early";
    return "not valid JSON: unexpected text at byte " + std::to_string(byte);
}

template <class Json>
std::optional<Json> parse(std::string_view text, std::string* error) {
    if (auto problem = jsonLimitProblem(text)) {
        if (error) *error = std::move(*problem);
        return std::nullopt;
    }
    try {
        return Json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::parse_error& e) {
        if (error) *error = notJsonReason(text.size(), e.byte);
        return std::nullopt;
    } catch (const std::exception& e) {
        if (error) *error = std::string("not valid JSON: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace

bool jsonWithinLimits(std::string_view text, std::size_t maxDepth, std::size_t maxValues) {
    return scan(text, maxDepth, maxValues) == Scan::within;
}

std::optional<std::string> jsonLimitProblem(std::string_view text) {
    switch (scan(text, kMaxJsonDepth, kMaxJsonValues)) {
        case Scan::within:
            break;
        case Scan::tooDeep:
            return "nested more than " + std::to_string(kMaxJsonDepth) + " levels deep";
        case Scan::tooMany:
            return "more than " + std::to_string(kMaxJsonValues) + " values";
    }
    return std::nullopt;
}

std::optional<nlohmann::json> parseBoundedJson(std::string_view text, std::string* error) {
    return parse<nlohmann::json>(text, error);
}

std::optional<nlohmann::ordered_json> parseBoundedOrderedJson(std::string_view text, std::string* error) {
    return parse<nlohmann::ordered_json>(text, error);
}

}  // namespace clicktrove::platform
