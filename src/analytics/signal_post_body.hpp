#pragma once

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::analytics {

// One signal as uploaded and as cached on disk. The two forms differ only in the date: the upload writes text
// ending in "+0000", the cache file a number of seconds since 1 January 2001 UTC.
struct SignalPostBody {
    std::chrono::system_clock::time_point receivedAt;
    std::string appID;
    std::string clientUser;
    std::string sessionID;
    std::string type;
    std::optional<double> floatValue;
    std::map<std::string, std::string> payload;
    std::string isTestMode;

    bool operator==(const SignalPostBody&) const = default;

    nlohmann::ordered_json toUploadJson() const;
    nlohmann::ordered_json toCacheJson() const;
    // Reads the cache form; nothing when a required key is missing or has the wrong type.
    static std::optional<SignalPostBody> fromCacheJson(const nlohmann::json& json);

    // The readable form used in debug logs.
    std::string description() const;
};

// A batch as the ingestion endpoint takes it: a compact JSON array.
std::string encodeUploadBatch(const std::vector<SignalPostBody>& batch);

// "yyyy-MM-dd'T'HH:mm:ss+0000" in UTC.
std::string formatUploadDate(std::chrono::system_clock::time_point time);

}  // namespace clicktrove::analytics
