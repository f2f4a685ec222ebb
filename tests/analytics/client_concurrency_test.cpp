// The whole client on its production threads (scheduler thread, transport thread, a main-queue thread) with
// signals and configuration changes from several threads at once; run under ThreadSanitizer by make test-tsan.
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics/thread_scheduler.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>
#include <atomic>
#include <set>
#include <thread>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;

// Answers every request from a thread of its own: two accepted, then one server error, and so on.
class ThreadedTransport final : public platform::HttpTransport {
public:
    ThreadedTransport() : thread_([this] { run(); }) {}
    ~ThreadedTransport() override {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void send(platform::HttpRequest request, Completion completion) override {
        std::lock_guard lock(mutex_);
        queue_.emplace_back(std::move(request), std::move(completion));
        cv_.notify_all();
    }
    std::set<std::string> accepted() {
        std::lock_guard lock(mutex_);
        return accepted_;
    }

private:
    void run() {
        int n = 0;
        while (true) {
            std::pair<platform::HttpRequest, Completion> job;
            {
                std::unique_lock lock(mutex_);
                cv_.wait(lock, [this] { return stop_ || !queue_.empty(); });
                if (queue_.empty()) return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            const int status = ++n % 3 == 0 ? 500 : 200;
            if (status == 200) {
                std::lock_guard lock(mutex_);
                for (const auto& s : nlohmann::json::parse(job.first.body)) accepted_.insert(s["type"]);
            }
            job.second(platform::HttpResponse{std::nullopt, status, {}});
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::pair<platform::HttpRequest, Completion>> queue_;
    std::set<std::string> accepted_;
    bool stop_ = false;
    std::thread thread_;
};

std::string signalName(int thread, int i) {
    return std::string("S").append(std::to_string(thread)).append("_").append(std::to_string(i));
}

TEST(ClientConcurrencyTest, SignalsFromManyThreadsAreAllUploadedOrSaved) {
    clicktrove::testing::AnalyticsHarness harness;
    auto transport = std::make_shared<ThreadedTransport>();
    auto env = harness.environment();
    env.scheduler = std::make_shared<ThreadScheduler>();
    env.transport = transport;
    auto config = harness.configuration();
    config->setTransmitInterval(0);  // clamped to the minimum
    config->setLogHandler(LogHandler{LogHandler::LogLevel::debug, [](LogHandler::LogLevel, const std::string&) {}});
    Tallywire::initialize(config, env);

    std::atomic<bool> stopMain{false};
    std::thread mainThread([&] {
        while (!stopMain) {
            if (harness.mainQueue->drain() == 0) std::this_thread::sleep_for(1ms);
        }
    });
    std::atomic<bool> sending{true};
    std::thread configurator([&] {
        for (int i = 0; sending; ++i) {
            config->setSalt(i % 2 ? "a" : "b");
            config->setTestMode(i % 2 == 0);
            config->setDefaultParameters([i] { return Tallywire::Parameters{{"round", std::to_string(i)}}; });
            Tallywire::requestImmediateSync();
            std::this_thread::sleep_for(1ms);
        }
    });
    constexpr int threads = 4;
    constexpr int perThread = 150;
    std::vector<std::thread> senders;
    for (int t = 0; t < threads; ++t) {
        senders.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) {
                Tallywire::signal(signalName(t, i), {{"thread", std::to_string(t)}});
                if (i % 50 == 0) std::this_thread::sleep_for(2ms);
            }
        });
    }
    for (auto& s : senders) s.join();
    // Give the upload threads a moment to work concurrently with the termination below; the outcome does not
    // depend on how much they get done.
    std::this_thread::sleep_for(50ms);
    sending = false;
    configurator.join();
    stopMain = true;
    mainThread.join();

    // This thread is the main thread from here on.
    harness.mainQueue->drain();
    Tallywire::applicationWillTerminate();
    const auto saved = harness.home.cacheHome() / TelemetryManager::defaultsSuiteName(config->telemetryAppID()) /
                       "telemetrysignalcache";
    const auto accepted = transport->accepted();
    Tallywire::terminate();

    std::set<std::string> found = accepted;
    const auto file = nlohmann::json::parse(clicktrove::testing::readFile(saved));
    for (const auto& s : file) found.insert(s["type"]);
    for (int t = 0; t < threads; ++t) {
        for (int i = 0; i < perThread; ++i) {
            const std::string name = signalName(t, i);
            EXPECT_EQ(found.count(name), 1u) << name;
        }
    }
}

}  // namespace
}  // namespace clicktrove::analytics
