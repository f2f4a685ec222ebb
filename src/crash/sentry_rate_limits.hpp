#pragma once

#include "platform/http_transport.hpp"

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

namespace clicktrove::crash {

// The pauses the crash-reporting service asks for: a 429 answer, its Retry-After header, and the
// X-Sentry-Rate-Limits header, which any answer may carry ("<seconds>:<category>;<category>...:<scope>...,
// ..."; no categories means all). Until a pause of a kind has passed, nothing of that kind is sent. The pauses
// are kept in a file, since the reports of earlier runs are sent at the next start, which may come long before
// the pause is over. Safe to use from several threads.
class SentryRateLimits {
public:
    enum class Category { error, transaction };

    // No pause is taken longer than this, whatever the service says: a clock set back or an answer with an
    // absurd delay must not silence crash reporting for good.
    static constexpr std::chrono::hours kLongestPause{24};
    // A 429 that names no delay pauses everything this long.
    static constexpr std::chrono::seconds kDefaultPause{60};

    // Keeps the pauses in memory only.
    SentryRateLimits() = default;
    // Reads the pauses an earlier run left in file, which may be missing, at now; an empty path keeps them in
    // memory. A pause that ends further than kLongestPause after now is cut to end then, and written back so
    // that the next start does not count the day again.
    SentryRateLimits(std::filesystem::path file, std::chrono::system_clock::time_point now);

    // Takes the pauses an answer announces, received at now, and writes them to the file when they changed.
    void update(const platform::HttpResponse& response, std::chrono::system_clock::time_point now);
    // When the pause of the category ends; nothing when there is none at now.
    std::optional<std::chrono::system_clock::time_point> pausedUntil(Category category,
                                                                     std::chrono::system_clock::time_point now) const;

    // The delay of a Retry-After header: seconds, or an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT") after now.
    static std::optional<std::chrono::seconds> retryAfter(std::string_view value,
                                                          std::chrono::system_clock::time_point now);

private:
    using TimePoint = std::chrono::system_clock::time_point;
    void pause(Category category, std::chrono::seconds delay, TimePoint now);
    bool cutToLongestPause(TimePoint now);
    void save() const;

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::map<Category, TimePoint> until_;
};

}  // namespace clicktrove::crash
