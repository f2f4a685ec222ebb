#pragma once

#include "crash/sentry_dsn.hpp"
#include "platform/http_transport.hpp"

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace clicktrove::crash {

// The crash reports earlier runs left in the reports folder, dealt with at the next start: each is symbolised
// once (and written back with its names, for whoever reads it locally) and, when the build has a DSN, sent to
// the service as an event. A report is deleted only after a 2xx answer and kept on any failure, to be tried at
// the next start; one that cannot be read is moved aside as "<name>.unreadable-<UTC time>" and never sent.
// Only the newest kMaxKeptReports are kept: a build without a DSN never deletes one, and a program that crashes
// at every start would otherwise fill the folder without end.
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
        // The oldest reports beyond kMaxKeptReports, deleted unsent.
        int dropped = 0;
    };

    PendingCrashReports(std::filesystem::path directory, std::optional<SentryDsn> dsn, Post post,
                        Diagnostic diagnostic = {});

    // Oldest report first. stop, when given, is checked between reports so that a quitting program is not held up.
    Summary process(const std::atomic<bool>* stop = nullptr);

private:
    enum class Outcome { sent, kept, setAside };
    Outcome handle(const std::filesystem::path& path);
    void say(const std::string& text) const;

    std::filesystem::path directory_;
    std::optional<SentryDsn> dsn_;
    Post post_;
    Diagnostic diagnostic_;
};

}  // namespace clicktrove::crash
