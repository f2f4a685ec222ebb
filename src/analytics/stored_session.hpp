#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove::analytics {

// One session of the usage history: when it started and how long the app was active in it.
struct StoredSession {
    std::chrono::system_clock::time_point startedAt;
    std::int64_t durationInSeconds = 0;

    bool operator==(const StoredSession&) const = default;

    // Compact JSON: [{"st": whole seconds since 1970, "dn": seconds}, ...].
    static std::string encodeList(const std::vector<StoredSession>& sessions);
    // Nothing when the text is not such a list.
    static std::optional<std::vector<StoredSession>> decodeList(const std::string& text);
};

}  // namespace clicktrove::analytics
