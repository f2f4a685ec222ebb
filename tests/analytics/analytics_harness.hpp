#pragma once

#include "analytics/log_handler.hpp"
#include "analytics/telemetry_environment.hpp"
#include "analytics/telemetry_manager_configuration.hpp"
#include "manual_scheduler.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/in_memory_user_defaults.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/http_transport.hpp"
#include "support/temp_home.hpp"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace clicktrove::testing {

// Collects every message of a log handler.
class LogRecorder {
public:
    analytics::LogHandler handler(analytics::LogHandler::LogLevel level = analytics::LogHandler::LogLevel::debug);
    int count(const std::string& message) const;
    // Messages at the given level, in order.
    std::vector<std::string> at(analytics::LogHandler::LogLevel level) const;
    std::vector<std::string> all() const;
    void clear();

private:
    struct Shared {
        std::mutex mutex;
        std::vector<std::pair<analytics::LogHandler::LogLevel, std::string>> lines;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

// A transport that keeps each request until the test answers it (on the test's thread), or answers at once
// from a script.
class ScriptedTransport final : public platform::HttpTransport {
public:
    void send(platform::HttpRequest request, Completion completion) override;

    // Answers the oldest request that is still open. Returns false when none is open.
    bool answer(int status, const std::string& body = {});
    bool fail(const std::string& error);
    std::size_t open() const;
    std::vector<platform::HttpRequest> requests() const;
    // The signals of the i-th request, decoded.
    nlohmann::json batch(std::size_t i) const;

private:
    mutable std::mutex mutex_;
    std::vector<platform::HttpRequest> requests_;
    std::deque<Completion> open_;
};

// A whole client on fakes: clock, main queue, scheduler, transport, defaults suites and a temporary home.
class AnalyticsHarness {
public:
    AnalyticsHarness();
    ~AnalyticsHarness();

    analytics::TelemetryEnvironment environment();
    // A configuration logging everything into log.
    std::shared_ptr<analytics::TelemetryManagerConfiguration> configuration(
        const std::string& appID = "4A1B2C3D-0000-4000-8000-00000000C0DE");
    void initialize(std::shared_ptr<analytics::TelemetryManagerConfiguration> configuration);

    // Runs posted main-queue work and due scheduler work until neither has any left.
    void pump();
    // Moves the clock forward through every deadline of both queues, running what becomes due.
    void advance(std::chrono::nanoseconds delta);

    std::shared_ptr<platform::InMemoryUserDefaults> suite(const std::string& name);

    // Initialises with session statistics and the session signal off, so a test sees only its own signals.
    std::shared_ptr<analytics::TelemetryManagerConfiguration> startQuiet();
    // Lets the send timer fire once, accepts the upload and returns its signals (empty when none went out).
    nlohmann::json flush();
    // The same signals, each as its type, its float value where it has one, and the payload keys keep accepts.
    std::vector<nlohmann::json> flushKeeping(const std::function<bool(const std::string& key)>& keep);

    platform::FakeClock clock;
    std::shared_ptr<platform::ManualMainQueue> mainQueue;
    std::shared_ptr<ManualScheduler> scheduler;
    std::shared_ptr<ScriptedTransport> transport;
    LogRecorder log;
    TempHome home;

private:
    std::mutex suitesMutex_;
    std::map<std::string, std::shared_ptr<platform::InMemoryUserDefaults>> suites_;
};

}  // namespace clicktrove::testing
