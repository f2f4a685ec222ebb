#include "analytics/signal_manager.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>
#include <cmath>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;
using Level = LogHandler::LogLevel;

class SignalManagerTest : public ::testing::Test {
protected:
    SignalManager& signals() { return TelemetryManager::shared()->signalManager(); }
    std::chrono::nanoseconds untilNextTimer() {
        const auto next = harness.scheduler->nextDeadline();
        return next ? *next - harness.clock.monotonicNow() : std::chrono::nanoseconds::max();
    }
    std::vector<std::string> typesOf(std::size_t request) {
        std::vector<std::string> out;
        for (const auto& s : harness.transport->batch(request)) out.push_back(s["type"]);
        return out;
    }

    clicktrove::testing::AnalyticsHarness harness;
};

TEST_F(SignalManagerTest, AnEmptyCacheKeepsTheTimerGoingWithoutRequests) {
    harness.startQuiet();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(untilNextTimer(), 10s);
        harness.advance(10s);
    }
    EXPECT_TRUE(harness.transport->requests().empty());
    EXPECT_EQ(signals().sendCompletions(), 6);  // the attempt at start, then one per timer
}

TEST_F(SignalManagerTest, BackOffDoublesUpToTheCapAndASuccessResetsIt) {
    harness.startQuiet();
    Tallywire::signal("A");
    harness.pump();
    harness.advance(10s);
    const std::vector<std::chrono::seconds> expected = {20s, 40s, 80s, 160s, 300s, 300s};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(harness.transport->open(), 1u);
        harness.transport->answer(500);
        harness.pump();
        EXPECT_EQ(signals().consecutiveFailures(), static_cast<int>(i) + 1);
        EXPECT_EQ(untilNextTimer(), expected[i]);
        // Nothing goes out before the interval is over.
        harness.advance(expected[i] - 1s);
        EXPECT_EQ(harness.transport->open(), 0u);
        harness.advance(1s);
    }
    ASSERT_EQ(harness.transport->open(), 1u);
    harness.transport->answer(200);
    harness.pump();
    EXPECT_EQ(signals().consecutiveFailures(), 0);
    EXPECT_EQ(untilNextTimer(), 10s);
    // Every attempt carried the same signal.
    for (std::size_t i = 0; i < harness.transport->requests().size(); ++i)
        EXPECT_EQ(typesOf(i), std::vector<std::string>{"A"});
}

TEST_F(SignalManagerTest, IntervalsStayPositiveWhateverTheSettings) {
    auto config = harness.startQuiet();
    struct Case {
        double transmit;
        double cap;
        int failures;
        double expected;
    };
    for (const Case& c : {Case{10, 300, 0, 10}, Case{10, 300, 3, 80}, Case{10, 300, 2000, 300}, Case{0, 300, 0, 1},
                          Case{-4, 300, 5, 32}, Case{10, -1, 0, 1}, Case{10, std::nan(""), 1, 1},
                          Case{10, INFINITY, 2000, 1e9}, Case{1e300, 1e300, 0, 1e9}}) {
        config->setTransmitInterval(c.transmit);
        config->setMaxBackoffInterval(c.cap);
        EXPECT_EQ(SignalManager::sendInterval(config->snapshot(), c.failures), c.expected)
            << c.transmit << " " << c.cap << " " << c.failures;
    }
}

TEST_F(SignalManagerTest, TerminationSavesCachedInFlightAndUnprocessedSignalsAndTheNextStartSendsThemFirst) {
    auto config = harness.startQuiet();
    Tallywire::signal("Cached1");
    Tallywire::signal("Cached2");
    harness.pump();
    harness.advance(10s);
    ASSERT_EQ(harness.transport->open(), 1u);  // Cached1 and Cached2 in flight
    Tallywire::signal("HalfProcessed");
    harness.mainQueue->drain();  // prepared on the main thread, not yet built on the scheduler
    Tallywire::signal("Unprocessed");
    Tallywire::signal("Queued");
    harness.pump();
    Tallywire::signal("Unprocessed2");

    Tallywire::applicationWillTerminate();
    EXPECT_EQ(harness.log.count("appWillTerminate()"), 1);
    EXPECT_EQ(signals().cachedSignalCount(), 0u);
    // The upload in flight fails after the save: it is in the file already, not back in memory.
    harness.transport->answer(500);
    harness.pump();
    EXPECT_EQ(signals().cachedSignalCount(), 0u);

    const auto file = harness.home.cacheHome() / TelemetryManager::defaultsSuiteName(config->telemetryAppID()) /
                      "telemetrysignalcache";
    ASSERT_TRUE(std::filesystem::exists(file));

    harness.initialize(harness.configuration());
    Tallywire::signal("AfterRestart");
    harness.pump();
    const auto requests = harness.transport->requests();
    ASSERT_EQ(requests.size(), 2u);
    // The start makes its first attempt at once, with the cached signals, which stay in the file until the
    // service has them.
    const std::vector<std::string> saved = {"Cached1",     "Cached2", "HalfProcessed",
                                            "Unprocessed", "Queued",  "Unprocessed2"};
    EXPECT_EQ(typesOf(1), saved);
    std::vector<std::string> inFile;
    for (const auto& s : nlohmann::json::parse(clicktrove::testing::readFile(file))) inFile.push_back(s["type"]);
    EXPECT_EQ(inFile, (std::vector<std::string>{"Cached1", "Cached2", "HalfProcessed", "Unprocessed", "Queued",
                                                "Unprocessed2", "AfterRestart"}));
    harness.transport->answer(200);
    harness.advance(1s);  // a second after the file's last write
    inFile.clear();
    for (const auto& s : nlohmann::json::parse(clicktrove::testing::readFile(file))) inFile.push_back(s["type"]);
    EXPECT_EQ(inFile, (std::vector<std::string>{"AfterRestart", "Tallywire.Acquisition.newInstallDetected",
                                                "Tallywire.Session.started"}));
    harness.advance(10s);
    ASSERT_EQ(harness.transport->requests().size(), 3u);
    EXPECT_EQ(typesOf(2), (std::vector<std::string>{"AfterRestart", "Tallywire.Acquisition.newInstallDetected",
                                                    "Tallywire.Session.started"}));
}

TEST_F(SignalManagerTest, TheCacheFileFollowsTheQueueAtMostOncePerSecond) {
    auto config = harness.startQuiet();
    const auto file = harness.home.cacheHome() / TelemetryManager::defaultsSuiteName(config->telemetryAppID()) /
                      "telemetrysignalcache";
    const auto inFile = [&file] {
        std::vector<std::string> out;
        if (!std::filesystem::exists(file)) return out;
        for (const auto& s : nlohmann::json::parse(clicktrove::testing::readFile(file))) out.push_back(s["type"]);
        return out;
    };
    Tallywire::signal("A");
    harness.pump();
    EXPECT_EQ(inFile(), std::vector<std::string>{"A"});
    harness.advance(200ms);
    Tallywire::signal("B");
    harness.pump();
    Tallywire::signal("C");
    harness.pump();
    EXPECT_EQ(inFile(), std::vector<std::string>{"A"});
    harness.advance(799ms);
    EXPECT_EQ(inFile(), std::vector<std::string>{"A"});
    // One write, a second after the last, carries both.
    harness.advance(1ms);
    EXPECT_EQ(inFile(), (std::vector<std::string>{"A", "B", "C"}));

    // Uploaded at 10 s: in flight they stay; failed they stay; accepted they go.
    harness.advance(9s);
    ASSERT_EQ(harness.transport->open(), 1u);
    harness.transport->answer(503);
    harness.pump();
    EXPECT_EQ(inFile(), (std::vector<std::string>{"A", "B", "C"}));
    harness.advance(20s);
    ASSERT_EQ(harness.transport->open(), 1u);
    EXPECT_EQ(inFile(), (std::vector<std::string>{"A", "B", "C"}));
    harness.transport->answer(200);
    harness.pump();
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SignalManagerTest, AnUnusableBaseAddressFailsEachAttemptAndKeepsTheBatch) {
    auto config = harness.configuration();
    config->setSendNewSessionBeganSignal(false);
    config->setSessionStatsEnabled(false);
    config->setApiBaseURL("file:///etc");
    harness.initialize(config);
    Tallywire::signal("A");
    harness.pump();
    harness.advance(10s);
    EXPECT_TRUE(harness.transport->requests().empty());
    EXPECT_EQ(harness.log.count("Unable to construct signal API URL for namespace nil"), 1);
    EXPECT_EQ(harness.log.count("Invalid endpoint URL"), 1);
    EXPECT_EQ(signals().cachedSignalCount(), 1u);
    EXPECT_EQ(signals().consecutiveFailures(), 1);
}

TEST_F(SignalManagerTest, EndpointAddresses) {
    struct Case {
        std::string base;
        std::optional<std::string> ns;
        std::optional<std::string> url;
    };
    const std::vector<Case> cases = {
        {"https://ingest.test", std::nullopt, "https://ingest.test/v2/"},
        {"https://ingest.test/", std::nullopt, "https://ingest.test/v2/"},
        {"https://ingest.test/base", std::string(""), "https://ingest.test/base/v2/"},
        {"https://ingest.test/", std::string("team"), "https://ingest.test/v2/namespace/team/"},
        {"http://127.0.0.1:9", std::string("a b/c?d#e%"), "http://127.0.0.1:9/v2/namespace/a%20b%2Fc%3Fd%23e%25/"},
        {"not a url", std::nullopt, std::nullopt},
        {"ftp://ingest.test/", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        ConfigurationSnapshot s;
        s.apiBaseURL = c.base;
        s.telemetryNamespace = c.ns;
        EXPECT_EQ(SignalManager::signalEndpointURL(s), c.url) << c.base;
    }
}

}  // namespace
}  // namespace clicktrove::analytics
