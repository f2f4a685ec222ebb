#pragma once

#include "crash/app_start_transaction.hpp"
#include "crash/sentry_dsn.hpp"
#include "crash/sentry_options.hpp"
#include "crash/sentry_rate_limits.hpp"
#include "platform/curl_http_transport.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace clicktrove::crash {

// What SentrySDK::start sets going, for the rest of the process: the crash handler, one worker thread that deals
// with the reports of earlier runs (so start-up never waits for symbolisation or the network), and the start-up
// span. Destroying it stops the worker between reports and abandons requests still under way.
class SentryRuntime {
public:
    explicit SentryRuntime(SentryOptions options);
    SentryRuntime(const SentryRuntime&) = delete;
    SentryRuntime& operator=(const SentryRuntime&) = delete;
    ~SentryRuntime();

    void finishAppStart();
    bool flush(std::chrono::milliseconds timeout);

private:
    platform::HttpResponse post(platform::HttpRequest request);
    bool send(platform::HttpRequest request, platform::HttpTransport::Completion completion);
    void finished();
    void say(const std::string& text) const;

    SentryOptions options_;
    std::optional<SentryDsn> dsn_;
    std::optional<AppStartTransaction> appStart_;
    SentryRateLimits rateLimits_;

    std::mutex mutex_;
    std::condition_variable idle_;
    // Set under mutex_, so that no request is handed to the transport once it is being torn down; read
    // without it by the worker between reports.
    std::atomic<bool> stopping_{false};
    bool workerDone_ = false;
    int outstanding_ = 0;
    std::unique_ptr<platform::CurlHttpTransport> transport_;
    std::thread worker_;
};

}  // namespace clicktrove::crash
