#include "crash/pending_crash_reports.hpp"

#include "crash/crash_event.hpp"
#include "crash/crash_report.hpp"
#include "crash/crash_report_format.hpp"
#include "crash/report_symbolizer.hpp"
#include "crash/sentry_envelope.hpp"
#include "platform/atomic_file.hpp"
#include "platform/data_file.hpp"

#include <algorithm>
#include <vector>

namespace clicktrove::crash {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kMaxReportBytes = std::size_t{4} * 1024 * 1024;
}  // namespace

PendingCrashReports::PendingCrashReports(fs::path directory, std::optional<SentryDsn> dsn, Post post,
                                         Diagnostic diagnostic)
    : directory_(std::move(directory)),
      dsn_(std::move(dsn)),
      post_(std::move(post)),
      diagnostic_(std::move(diagnostic)) {}

PendingCrashReports::Summary PendingCrashReports::process(const std::atomic<bool>* stop) {
    std::vector<fs::path> reports;
    std::vector<fs::path> abandoned;
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(directory_, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code ignored;
        if (it->is_directory(ignored)) continue;
        if (path.extension() == kReportExtension) {
            reports.push_back(path);
        } else if (path.extension() == kPartialExtension && path.stem().extension() == kReportExtension &&
                   now - it->last_write_time(ignored) > std::chrono::hours(1)) {
            // A handler that never finished its report (a second fault while writing); one still being
            // written, by a crash happening now, is younger than that.
            abandoned.push_back(path);
        }
    }
    // The names are UTC time stamps, so their order is the order of the crashes.
    std::sort(reports.begin(), reports.end());

    Summary summary;
    if (reports.size() > kMaxKeptReports) {
        const auto oldest = reports.begin() + static_cast<std::ptrdiff_t>(reports.size() - kMaxKeptReports);
        for (auto it = reports.begin(); it != oldest; ++it) {
            std::error_code ignored;
            if (fs::remove(*it, ignored)) ++summary.dropped;
        }
        say("Deleted the " + std::to_string(summary.dropped) + " oldest crash reports beyond the newest " +
            std::to_string(kMaxKeptReports));
        reports.erase(reports.begin(), oldest);
    }
    for (const fs::path& path : abandoned) {
        platform::DataFile(path).keepAside(std::chrono::system_clock::now(), "never finished");
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
        const platform::FileProblem kept = file.keepAside(std::chrono::system_clock::now(), "not a crash report");
        say("Crash report " + path.filename().string() + " cannot be read; moved to " +
            kept.keptAs.filename().string());
        return Outcome::setAside;
    }

    if (!report->symbolized) {
        ReportSymbolizer::symbolize(*report);
        // Written back even when it is sent next: a failed send keeps it for later, and a local reader wants names.
        std::string error;
        if (!platform::writeFileAtomically(path, report->serialize(), &error)) {
            say("Crash report " + path.filename().string() + " could not be updated: " + error);
        }
    }
    if (!dsn_ || !post_) return Outcome::kept;

    const std::string eventId = SentryEnvelope::newId(16);
    SentryEnvelope envelope({{"event_id", eventId},
                             {"dsn", dsn_->text()},
                             {"sent_at", SentryEnvelope::timestamp(std::chrono::system_clock::now())},
                             {"sdk", SentryEnvelope::sdk()}});
    envelope.addItem("event", CrashEvent::payload(*report, eventId));

    const platform::HttpResponse response = post_(envelope.request(*dsn_));
    if (response.error || response.status < 200 || response.status > 299) {
        say("Crash report " + path.filename().string() + " was not accepted (" +
            (response.error ? *response.error : "HTTP " + std::to_string(response.status)) + "); kept for later");
        return Outcome::kept;
    }
    std::error_code error;
    fs::remove(path, error);
    say("Crash report " + path.filename().string() + " sent as event " + eventId);
    return Outcome::sent;
}

void PendingCrashReports::say(const std::string& text) const {
    if (diagnostic_) diagnostic_(text);
}

}  // namespace clicktrove::crash
