#pragma once

#include "crash/sentry_dsn.hpp"
#include "crash/sentry_rate_limits.hpp"
#include "platform/clock.hpp"
#include "platform/http_transport.hpp"

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace clicktrove::crash {

// The crash reports earlier runs left in the reports folder, dealt with at the next start: each is symbolised
// once (and written back with its names, for whoever reads it locally) and, when the build has a DSN, sent to
// the service as an event. The event's identifier is drawn at the first attempt and kept in the report, so a
// report whose answer was lost and that is sent again stays one event. A report is deleted only after a 2xx
// answer and kept on any failure, to be tried at the next start; one the service refuses for good (a 4xx other
// than 429: malformed, too large) is moved aside as "<name>.refused-<UTC time>", and one that cannot be read as
// "<name>.unreadable-<UTC time>"; neither is ever sent. While the service asks for a pause (SentryRateLimits),
// nothing is sent. Only the newest kMaxKeptReports are kept, those set aside included: a build without a DSN
// never deletes one, and a program that crashes at every start would otherwise fill the folder without end.
class PendingCrashReports {
public:
    static constexpr std::size_t kMaxKeptReports = 50;

    // Sends one request and waits for its answer.
    using Post = std::function<platform::HttpResponse(platform::HttpRequest)>;
    // Diagnostic output, for the SDK's debug option; empty says nothing.
    using Diagnostic = std::function<void(const std::string&)>;

    struct Summary {
        int sent = 0;
        int kept = 0;
        int setAside = 0;
        int refused = 0;
        // The oldest reports beyond kMaxKeptReports, deleted unsent.
        int dropped = 0;
    };

    PendingCrashReports(std::filesystem::path directory, std::optional<SentryDsn> dsn, Post post,
                        SentryRateLimits& rateLimits, const platform::Clock& clock, Diagnostic diagnostic = {});

    // Oldest report first. stop, when given, is checked between reports so that a quitting program is not held up.
    Summary process(const std::atomic<bool>* stop = nullptr);

private:
    enum class Outcome { sent, kept, setAside, refused };
    Outcome handle(const std::filesystem::path& path);
    void say(const std::string& text) const;

    std::filesystem::path directory_;
    std::optional<SentryDsn> dsn_;
    Post post_;
    SentryRateLimits& rateLimits_;
    const platform::Clock& clock_;
    Diagnostic diagnostic_;
};

}  // namespace clicktrove::crash
