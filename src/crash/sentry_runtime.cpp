#include "crash/sentry_runtime.hpp"

#include "crash/crash_handler.hpp"
#include "crash/distribution.hpp"
#include "crash/pending_crash_reports.hpp"
#include "crash/process_start_time.hpp"
#include "crash/sentry_envelope.hpp"
#include "platform/alternate_signal_stack.hpp"
#include "platform/secure_random.hpp"

#include <sys/utsname.h>

#include <cstdio>
#include <future>

namespace clicktrove::crash {

namespace {

// Where the service's requests for a pause are kept from one start to the next, beside the reports they hold up.
constexpr char kRateLimitsFile[] = "rate-limits";

EventContexts currentContexts(const SentryOptions& options) {
    EventContexts contexts;
    utsname system{};
    if (::uname(&system) == 0) {
        contexts.system = system.sysname;
        contexts.kernel = system.release;
        contexts.machine = system.machine;
    }
    const Distribution distribution = Distribution::ofThisSystem();
    contexts.distributionName = distribution.name;
    contexts.distributionVersion = distribution.version;
    contexts.appVersion = options.version;
    contexts.appBuild = options.dist;
    return contexts;
}

}  // namespace

SentryRuntime::SentryRuntime(SentryOptions options)
    : options_(std::move(options)),
      rateLimits_(options_.reportsDirectory / kRateLimitsFile, std::chrono::system_clock::now()) {
    if (!options_.dsn.empty()) {
        dsn_ = SentryDsn::parse(options_.dsn);
        if (!dsn_) say("The DSN \"" + options_.dsn + "\" is not a valid address; nothing will be sent");
    }
    if (!CrashHandler::install({options_.reportsDirectory, options_.releaseName, options_.dist, options_.version})) {
        say("Cannot write crash reports to " + options_.reportsDirectory.string());
    }
    if (dsn_) transport_ = std::make_unique<platform::CurlHttpTransport>();

    const double rate = options_.tracesSampleRate.value_or(0.0);
    const bool sampled = rate >= 1.0 || (rate > 0.0 && platform::SecureRandom::instance().uniformReal(0.0, 1.0) < rate);
    if (dsn_ && sampled) {
        if (const auto started = processStartTime()) {
            AppStartTransaction transaction;
            transaction.start = *started;
            transaction.traceId = SentryEnvelope::newId(16);
            transaction.spanId = SentryEnvelope::newId(8);
            transaction.release = options_.releaseName;
            transaction.dist = options_.dist;
            transaction.sampleRate = rate;
            transaction.contexts = currentContexts(options_);
            appStart_ = transaction;
        }
    }

    worker_ = std::thread([this] {
        platform::useAlternateSignalStack();
        PendingCrashReports reports(
            options_.reportsDirectory, dsn_, [this](platform::HttpRequest request) { return post(std::move(request)); },
            rateLimits_, platform::SystemClock::instance(), [this](const std::string& text) { say(text); });
        const auto summary = reports.process(&stopping_);
        say("Earlier crash reports: " + std::to_string(summary.sent) + " sent, " + std::to_string(summary.kept) +
            " kept, " + std::to_string(summary.setAside) + " set aside, " + std::to_string(summary.refused) +
            " refused, " + std::to_string(summary.dropped) + " deleted as the oldest beyond the limit");
        std::lock_guard lock(mutex_);
        workerDone_ = true;
        idle_.notify_all();
    });
}

SentryRuntime::~SentryRuntime() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    // Aborts the request under way and answers the queued ones with an error, which frees a waiting worker.
    transport_.reset();
    if (worker_.joinable()) worker_.join();
}

void SentryRuntime::finishAppStart() {
    std::optional<AppStartTransaction> transaction;
    std::swap(transaction, appStart_);
    if (!transaction || !dsn_) return;
    transaction->end = std::chrono::system_clock::now();
    if (rateLimits_.pausedUntil(SentryRateLimits::Category::transaction, transaction->end)) {
        say("The start-up trace is not sent: the service asked for a pause");
        return;
    }

    const std::string eventId = SentryEnvelope::newId(16);
    SentryEnvelope envelope({{"event_id", eventId},
                             {"dsn", dsn_->text()},
                             {"sent_at", SentryEnvelope::timestamp(std::chrono::system_clock::now())},
                             {"sdk", SentryEnvelope::sdk()},
                             {"trace", transaction->traceHeader(dsn_->publicKey())}});
    envelope.addItem("transaction", transaction->payload(eventId));

    // A lost trace is not worth keeping: sent once, whatever the answer.
    send(envelope.request(*dsn_), [this](platform::HttpResponse response) {
        rateLimits_.update(response, std::chrono::system_clock::now());
        if (response.error || response.status < 200 || response.status > 299) {
            say("The start-up trace was not accepted (" +
                (response.error ? *response.error : "HTTP " + std::to_string(response.status)) + ")");
        }
    });
}

bool SentryRuntime::flush(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return workerDone_ && outstanding_ == 0; });
}

platform::HttpResponse SentryRuntime::post(platform::HttpRequest request) {
    auto answer = std::make_shared<std::promise<platform::HttpResponse>>();
    auto future = answer->get_future();
    if (!send(std::move(request),
              [answer](platform::HttpResponse response) { answer->set_value(std::move(response)); })) {
        return platform::HttpResponse{std::string("The program is quitting"), 0, {}};
    }
    return future.get();
}

bool SentryRuntime::send(platform::HttpRequest request, platform::HttpTransport::Completion completion) {
    std::lock_guard lock(mutex_);
    if (stopping_ || !transport_) return false;
    ++outstanding_;
    transport_->send(std::move(request), [this, completion = std::move(completion)](platform::HttpResponse response) {
        completion(std::move(response));
        finished();
    });
    return true;
}

void SentryRuntime::finished() {
    std::lock_guard lock(mutex_);
    --outstanding_;
    idle_.notify_all();
}

void SentryRuntime::say(const std::string& text) const {
    if (options_.debug) std::fprintf(stderr, "Sentry: %s\n", text.c_str());
}

}  // namespace clicktrove::crash
