#include "crash/pending_crash_reports.hpp"

#include "crash/crash_event.hpp"
#include "crash/crash_report.hpp"
#include "crash/crash_report_format.hpp"
#include "crash/report_symbolizer.hpp"
#include "crash/sentry_envelope.hpp"
#include "platform/atomic_file.hpp"
#include "platform/data_file.hpp"
#include "platform/utc_time.hpp"

#include <algorithm>
#include <vector>

namespace clicktrove::crash {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxReportBytes = std::size_t{4} * 1024 * 1024;
constexpr char kRefusedMark[] = ".refused-";

// A report kept aside, never to be sent but kept for whoever looks: "<report>.unreadable-<time>" (a report, or a
// report its handler never finished, that cannot be read) or "<report>.refused-<time>".
bool isSetAsideReport(const std::string& name) {
    const std::string report = std::string(kReportExtension) + ".";
    const auto at = name.find(report);
    if (at == std::string::npos) return false;
    const std::string_view kind = std::string_view(name).substr(at + report.size());
    for (const std::string_view prefix :
         {std::string_view("unreadable-"), std::string_view("refused-"), std::string_view("partial.unreadable-")}) {
        if (kind.substr(0, prefix.size()) == prefix) return true;
    }
    return false;
}

fs::path refusedPath(const fs::path& path, std::chrono::system_clock::time_point when) {
    char stamp[17];
    platform::UtcTime::fromUnixSeconds(
        std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count())
        .formatCompact(stamp);
    const std::string base = path.filename().string() + kRefusedMark + stamp;
    fs::path candidate = path.parent_path() / base;
    std::error_code error;
    for (int n = 2; fs::exists(candidate, error); ++n)
        candidate = path.parent_path() / (base + "-" + std::to_string(n));
    return candidate;
}

bool permanentlyRefused(const platform::HttpResponse& response) {
    return !response.error && response.status >= 400 && response.status <= 499 && response.status != 429;
}

// A report its handler never finished (a second fault while writing): last written before then. One still being
// written, by a crash happening now, is younger. One whose time cannot be read counts as young, to be looked at
// again at the next start: most often it is gone since it was listed, renamed by the handler that just finished
// it. The time a failed call answers, file_time_type::min(), would make it the oldest file there is, and an age
// computed from it overflows on a clock whose epoch lies before now.
bool abandonedBefore(const fs::directory_entry& partial, fs::file_time_type then) {
    std::error_code error;
    const fs::file_time_type written = partial.last_write_time(error);
    return !error && written < then;
}

std::string describe(const platform::HttpResponse& response) {
    return response.error ? *response.error : "HTTP " + std::to_string(response.status);
}

}  // namespace

PendingCrashReports::PendingCrashReports(fs::path directory, std::optional<SentryDsn> dsn, Post post,
                                         SentryRateLimits& rateLimits, const platform::Clock& clock,
                                         Diagnostic diagnostic)
    : directory_(std::move(directory)),
      dsn_(std::move(dsn)),
      post_(std::move(post)),
      rateLimits_(rateLimits),
      clock_(clock),
      diagnostic_(std::move(diagnostic)) {}

PendingCrashReports::Summary PendingCrashReports::process(const std::atomic<bool>* stop) {
    std::vector<fs::path> reports;
    std::vector<fs::path> kept;  // every report file that counts toward the limit, set-aside ones included
    std::vector<fs::path> abandoned;
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(directory_, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code ignored;
        if (it->is_directory(ignored)) continue;
        if (path.extension() == kReportExtension) {
            reports.push_back(path);
            kept.push_back(path);
        } else if (isSetAsideReport(path.filename().string())) {
            kept.push_back(path);
        } else if (path.extension() == kPartialExtension && path.stem().extension() == kReportExtension &&
                   abandonedBefore(*it, now - std::chrono::hours(1))) {
            abandoned.push_back(path);
        }
    }

    Summary summary;
    // The names begin with the UTC time of their crash, so their order is the order of the crashes.
    std::sort(kept.begin(), kept.end());
    if (kept.size() > kMaxKeptReports) {
        const auto oldest = kept.begin() + static_cast<std::ptrdiff_t>(kept.size() - kMaxKeptReports);
        for (auto it = kept.begin(); it != oldest; ++it) {
            std::error_code ignored;
            if (fs::remove(*it, ignored)) ++summary.dropped;
            reports.erase(std::remove(reports.begin(), reports.end(), *it), reports.end());
        }
        say("Deleted the " + std::to_string(summary.dropped) + " oldest crash reports beyond the newest " +
            std::to_string(kMaxKeptReports));
    }
    std::sort(reports.begin(), reports.end());
    for (const fs::path& path : abandoned) {
        platform::DataFile(path).keepAside(clock_.now(), "never finished");
        say("Crash report " + path.filename().string() + " was never finished; moved aside");
        ++summary.setAside;
    }
    for (const fs::path& path : reports) {
        if (stop && stop->load()) break;
        switch (handle(path)) {
            case Outcome::sent:
                ++summary.sent;
                break;
            case Outcome::kept:
                ++summary.kept;
                break;
            case Outcome::setAside:
                ++summary.setAside;
                break;
            case Outcome::refused:
                ++summary.refused;
                break;
        }
    }
    return summary;
}

PendingCrashReports::Outcome PendingCrashReports::handle(const fs::path& path) {
    platform::DataFile file(path);
    // A report is about half a megabyte until its saved stack is walked, a few kilobytes after; the cap only keeps
    // a file of garbage from filling memory.
    const platform::FileRead read = file.read(kMaxReportBytes);
    std::optional<CrashReport> report;
    if (read.ok()) report = CrashReport::parse(read.contents);
    if (!report) {
        const platform::FileProblem kept = file.keepAside(clock_.now(), "not a crash report");
        say("Crash report " + path.filename().string() + " cannot be read; moved to " +
            kept.keptAs.filename().string());
        return Outcome::setAside;
    }

    const bool toSend = dsn_ && post_;
    bool changed = false;
    if (!report->symbolized) {
        ReportSymbolizer::symbolize(*report);
        changed = true;
    }
    const bool newEvent = toSend && report->eventId.empty();
    if (newEvent) {
        report->eventId = SentryEnvelope::newId(16);
        changed = true;
    }
    if (changed) {
        // Written back before any attempt to send: a failed send keeps it for later, with the same event, and a
        // local reader wants names.
        std::string error;
        if (!platform::writeFileAtomically(path, report->serialize(), &error)) {
            say("Crash report " + path.filename().string() + " could not be updated: " + error);
            // Sent now, its next attempt would be another event.
            if (newEvent) return Outcome::kept;
        }
    }
    if (!toSend) return Outcome::kept;

    if (const auto until = rateLimits_.pausedUntil(SentryRateLimits::Category::error, clock_.now())) {
        say("Crash report " + path.filename().string() + " waits: the service asked for a pause of " +
            std::to_string(std::chrono::ceil<std::chrono::seconds>(*until - clock_.now()).count()) + " s");
        return Outcome::kept;
    }
    SentryEnvelope envelope({{"event_id", report->eventId},
                             {"dsn", dsn_->text()},
                             {"sent_at", SentryEnvelope::timestamp(clock_.now())},
                             {"sdk", SentryEnvelope::sdk()}});
    envelope.addItem("event", CrashEvent::payload(*report, report->eventId));

    const platform::HttpResponse response = post_(envelope.request(*dsn_));
    rateLimits_.update(response, clock_.now());
    if (permanentlyRefused(response)) {
        // Sending it again would be refused again, at every start.
        const fs::path aside = refusedPath(path, clock_.now());
        std::error_code error;
        fs::rename(path, aside, error);
        say("Crash report " + path.filename().string() + " was refused (" + describe(response) + "); " +
            (error ? "cannot be moved aside (" + error.message() + ")"
                   : "moved to " + aside.filename().string() + " and not sent again"));
        return Outcome::refused;
    }
    if (response.error || response.status < 200 || response.status > 299) {
        say("Crash report " + path.filename().string() + " was not accepted (" + describe(response) +
            "); kept for later");
        return Outcome::kept;
    }
    std::error_code error;
    fs::remove(path, error);
    say("Crash report " + path.filename().string() + " sent as event " + report->eventId);
    return Outcome::sent;
}

void PendingCrashReports::say(const std::string& text) const {
    if (diagnostic_) diagnostic_(text);
}

}  // namespace clicktrove::crash
