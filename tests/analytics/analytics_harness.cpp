#include "analytics_harness.hpp"

#include "analytics/tallywire.hpp"
#include "platform/xdg_paths.hpp"

namespace clicktrove::testing {

using analytics::LogHandler;

LogHandler LogRecorder::handler(LogHandler::LogLevel level) {
    auto shared = shared_;
    return LogHandler{level, [shared](LogHandler::LogLevel l, const std::string& message) {
                          std::lock_guard lock(shared->mutex);
                          shared->lines.emplace_back(l, message);
                      }};
}

int LogRecorder::count(const std::string& message) const {
    std::lock_guard lock(shared_->mutex);
    int n = 0;
    for (const auto& [level, line] : shared_->lines) n += line == message ? 1 : 0;
    return n;
}

std::vector<std::string> LogRecorder::at(LogHandler::LogLevel level) const {
    std::lock_guard lock(shared_->mutex);
    std::vector<std::string> out;
    for (const auto& [l, line] : shared_->lines) {
        if (l == level) out.push_back(line);
    }
    return out;
}

std::vector<std::string> LogRecorder::all() const {
    std::lock_guard lock(shared_->mutex);
    std::vector<std::string> out;
    for (const auto& [l, line] : shared_->lines) out.push_back(line);
    return out;
}

void LogRecorder::clear() {
    std::lock_guard lock(shared_->mutex);
    shared_->lines.clear();
}

void ScriptedTransport::send(platform::HttpRequest request, Completion completion) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
    open_.push_back(std::move(completion));
}

bool ScriptedTransport::answer(int status, const std::string& body) {
    Completion completion;
    {
        std::lock_guard lock(mutex_);
        if (open_.empty()) return false;
        completion = std::move(open_.front());
        open_.pop_front();
    }
    completion(platform::HttpResponse{std::nullopt, status, body});
    return true;
}

bool ScriptedTransport::fail(const std::string& error) {
    Completion completion;
    {
        std::lock_guard lock(mutex_);
        if (open_.empty()) return false;
        completion = std::move(open_.front());
        open_.pop_front();
    }
    completion(platform::HttpResponse{error, 0, {}});
    return true;
}

std::size_t ScriptedTransport::open() const {
    std::lock_guard lock(mutex_);
    return open_.size();
}

std::vector<platform::HttpRequest> ScriptedTransport::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

nlohmann::json ScriptedTransport::batch(std::size_t i) const {
    std::lock_guard lock(mutex_);
    return nlohmann::json::parse(requests_.at(i).body);
}

AnalyticsHarness::AnalyticsHarness()
    : mainQueue(std::make_shared<platform::ManualMainQueue>(clock)),
      scheduler(std::make_shared<ManualScheduler>(clock)),
      transport(std::make_shared<ScriptedTransport>()) {
    analytics::Tallywire::setUnattachedLogHandler(log.handler());
}

AnalyticsHarness::~AnalyticsHarness() {
    analytics::Tallywire::terminate();
    analytics::Tallywire::setUnattachedLogHandler(LogHandler::standard(LogHandler::LogLevel::info));
}

analytics::TelemetryEnvironment AnalyticsHarness::environment() {
    analytics::TelemetryEnvironment env;
    env.clock = std::shared_ptr<const platform::Clock>(&clock, [](const auto*) {});
    env.mainQueue = mainQueue;
    env.scheduler = scheduler;
    env.transport = transport;
    env.openDefaultsSuite = [this](const std::string& name) -> std::shared_ptr<platform::UserDefaults> {
        return suite(name);
    };
    env.cachesFolder = [] { return platform::xdg::cacheHome(); };
    return env;
}

std::shared_ptr<platform::InMemoryUserDefaults> AnalyticsHarness::suite(const std::string& name) {
    std::lock_guard lock(suitesMutex_);
    auto& s = suites_[name];
    if (!s) s = std::make_shared<platform::InMemoryUserDefaults>();
    return s;
}

std::shared_ptr<analytics::TelemetryManagerConfiguration> AnalyticsHarness::configuration(const std::string& appID) {
    auto config = std::make_shared<analytics::TelemetryManagerConfiguration>(appID, std::nullopt,
                                                                             std::string("https://ingest.test/"));
    config->setLogHandler(log.handler());
    config->setTestMode(false);
    return config;
}

void AnalyticsHarness::initialize(std::shared_ptr<analytics::TelemetryManagerConfiguration> configuration) {
    analytics::Tallywire::initialize(std::move(configuration), environment());
}

std::shared_ptr<analytics::TelemetryManagerConfiguration> AnalyticsHarness::startQuiet() {
    auto config = configuration();
    config->setSendNewSessionBeganSignal(false);
    config->setSessionStatsEnabled(false);
    initialize(config);
    pump();
    return config;
}

nlohmann::json AnalyticsHarness::flush() {
    pump();
    const auto before = transport->requests().size();
    advance(std::chrono::seconds(10));
    const auto requests = transport->requests();
    if (requests.size() == before) return nlohmann::json::array();
    transport->answer(200);
    pump();
    return nlohmann::json::parse(requests.back().body);
}

std::vector<nlohmann::json> AnalyticsHarness::flushKeeping(const std::function<bool(const std::string& key)>& keep) {
    std::vector<nlohmann::json> out;
    for (const auto& s : flush()) {
        nlohmann::json own = nlohmann::json::object();
        for (const auto& [k, v] : s["payload"].items()) {
            if (keep(k)) own[k] = v;
        }
        nlohmann::json entry{{"type", s["type"]}, {"payload", own}};
        if (s.contains("floatValue")) entry["floatValue"] = s["floatValue"];
        out.push_back(entry);
    }
    return out;
}

void AnalyticsHarness::pump() {
    while (mainQueue->drain() + scheduler->runDue() > 0) {
    }
}

void AnalyticsHarness::advance(std::chrono::nanoseconds delta) {
    const auto end = clock.monotonicNow() + delta;
    pump();
    while (true) {
        auto next = scheduler->nextDeadline();
        const auto target = next && *next < end ? *next : end;
        // Runs the main queue's delayed work up to target and moves the clock there.
        mainQueue->advance(target - clock.monotonicNow());
        pump();
        if (clock.monotonicNow() >= end) {
            next = scheduler->nextDeadline();
            if (!next || *next > end) break;
        }
    }
}

}  // namespace clicktrove::testing
