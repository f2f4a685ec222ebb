#pragma once

// JSON forms of the click data model, shared by the settings, the preset and history files, the configuration
// export and the macro file.
//
// Encoding: one object per value, keys spelled as the field names in declaration order, enumerations as their
// display texts, points as [x, y], dates as seconds since 2001-01-01 00:00:00 UTC, identifiers as upper-case
// UUID text. It fails when a floating-point field holds NaN or an infinity, or a text is not valid UTF-8.
//
// Decoding is strict: every key is required (extra keys are ignored), every value must have its exact form
// (an integer must be a JSON integer that fits a signed 64-bit value, an enumeration text must match exactly),
// and a list fails whole when one element fails. Nothing partial is ever returned.
//
// Each function returns nothing on failure and, when `error` is given, stores there a message that names the
// offending key and the reason, e.g. "fixedCoordinates[2]: expected an array of two numbers" or
// "[0].config.notifyOnComplete: missing key". No function throws.
//
//   auto json = toJson(config);                                 // std::optional<nlohmann::ordered_json>
//   auto text = toPrettyJsonText(presets, &error);              // std::optional<std::string>
//   auto config = fromJson<ClickConfig>(json["lastConfig"], &error);
//   auto presets = fromJsonText<std::vector<ClickPreset>>(fileText, &error);

#include "engine/click_config.hpp"
#include "engine/click_preset.hpp"
#include "engine/click_record.hpp"
#include "engine/history_record.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clicktrove {

// Encoding to a JSON value (keys in declaration order).
std::optional<nlohmann::ordered_json> toJson(const ClickConfig& value, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const ClickRecord& value, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const ClickPreset& value, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const HistoryRecord& value, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const std::vector<ClickConfig>& values, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const std::vector<ClickRecord>& values, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const std::vector<ClickPreset>& values, std::string* error = nullptr);
std::optional<nlohmann::ordered_json> toJson(const std::vector<HistoryRecord>& values, std::string* error = nullptr);

// Encoding to text: indented by two spaces, or on one line.
template <class T>
std::optional<std::string> toPrettyJsonText(const T& value, std::string* error = nullptr) {
    auto json = toJson(value, error);
    if (!json) return std::nullopt;
    return json->dump(2);
}
template <class T>
std::optional<std::string> toCompactJsonText(const T& value, std::string* error = nullptr) {
    auto json = toJson(value, error);
    if (!json) return std::nullopt;
    return json->dump();
}

// Decoding. T is one of ClickConfig, ClickRecord, ClickPreset, HistoryRecord or a std::vector of one of them.
template <class T>
std::optional<T> fromJson(const nlohmann::json& json, std::string* error = nullptr);
template <class T>
std::optional<T> fromJson(const nlohmann::ordered_json& json, std::string* error = nullptr);
// Parses `text` as JSON first; text that is not JSON, or nests arrays and objects more than 256 levels deep,
// fails with the reason.
template <class T>
std::optional<T> fromJsonText(std::string_view text, std::string* error = nullptr);

}  // namespace clicktrove
