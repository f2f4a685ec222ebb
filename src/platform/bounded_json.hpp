#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace clicktrove::platform {

// The deepest nesting of arrays and objects any stored or imported JSON may have. Nothing the program writes
// comes near it (a preset list is four levels deep); it keeps every later step that walks a value
// recursively - copying, comparing, writing it out again - far from the end of the stack.
inline constexpr std::size_t kMaxJsonDepth = 256;
// The most values (arrays, objects and the members between commas) one document may hold. A full analytics
// cache holds under a million; the limit keeps a 64 MiB file of "{},{},..." from taking gigabytes once parsed
// (each value costs some 80 bytes in memory).
inline constexpr std::size_t kMaxJsonValues = 2'000'000;

// Whether no array or object in text is nested more than maxDepth levels deep (a bare [] is one level) and
// text holds at most about maxValues values (each array, object and comma counts one). One pass, nothing
// allocated; text inside strings does not count. Says nothing about whether text is valid JSON.
bool jsonWithinLimits(std::string_view text, std::size_t maxDepth = kMaxJsonDepth,
                      std::size_t maxValues = kMaxJsonValues);
// Why text is beyond the limits above ("nested more than 256 levels deep"); nothing when it is within them.
std::optional<std::string> jsonLimitProblem(std::string_view text);

// The one way the program parses JSON it did not build itself (files, records held as text): nothing for text
// that is not JSON or exceeds the limits above, with the reason in `error`. Never throws.
std::optional<nlohmann::json> parseBoundedJson(std::string_view text, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> parseBoundedOrderedJson(std::string_view text, std::string* error = nullptr);

}  // namespace clicktrove::platform
