#include "analytics/session_manager.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics_harness.hpp"

#include <gtest/gtest.h>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;

// A session manager on the harness's fakes with its own suite, recording what it sends.
class SessionManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    std::shared_ptr<SessionManager> make() {
        auto manager = SessionManager::create(
            harness.environment(), [this] { return suite; },
            [this](const std::string& name, const std::map<std::string, std::string>& parameters) {
                sent.emplace_back(name, parameters);
            });
        harness.pump();
        return manager;
    }
    void storeSessions(const std::vector<std::pair<std::chrono::seconds, std::int64_t>>& agoAndDuration) {
        std::vector<StoredSession> sessions;
        for (const auto& [ago, duration] : agoAndDuration) sessions.push_back({harness.clock.now() - ago, duration});
        suite->setValue("recentSessions", StoredSession::encodeList(sessions));
    }
    std::vector<std::int64_t> storedDurations() {
        std::vector<std::int64_t> out;
        const auto list = StoredSession::decodeList(suite->string("recentSessions").value_or("[]"));
        if (list) {
            for (const auto& s : *list) out.push_back(s.durationInSeconds);
        }
        return out;
    }

    clicktrove::testing::AnalyticsHarness harness;
    std::shared_ptr<platform::InMemoryUserDefaults> suite = std::make_shared<platform::InMemoryUserDefaults>();
    std::vector<std::pair<std::string, std::map<std::string, std::string>>> sent;
};

TEST_F(SessionManagerTest, TheFirstLaunchIsANewInstallationAndTheNextIsNot) {
    {
        auto first = make();
        first->startNewSession();
        harness.advance(3s);
        first->applicationWillTerminate();
        harness.pump();
    }
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, "Tallywire.Acquisition.newInstallDetected");
    EXPECT_EQ(sent[0].second,
              (std::map<std::string, std::string>{{"Tallywire.Acquisition.firstSessionDate", "2026-01-01"}}));
    EXPECT_EQ(suite->string("firstSessionDate"), "2026-01-01");
    EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{3});

    harness.clock.advance(24h);
    auto second = make();
    second->startNewSession();
    harness.pump();
    EXPECT_EQ(sent.size(), 1u);
    // Two launch days, in order; a second launch on the same day adds none.
    auto third = make();
    EXPECT_EQ(suite->value("distinctDaysUsed"), (nlohmann::json{"2026-01-01", "2026-01-02"}));
    EXPECT_EQ(third->distinctDaysUsed(), 2);
}

TEST_F(SessionManagerTest, TheNinetyDayWindowKeepsTheLastSecondAndDropsTheLimit) {
    suite->setValue("deletedSessionsCount", 4);
    storeSessions({{7776000s, 10}, {7775999s, 20}, {60s, 30}});
    auto manager = make();
    ASSERT_EQ(manager->recentSessions().size(), 2u);
    EXPECT_EQ(manager->recentSessions()[0].durationInSeconds, 20);
    EXPECT_EQ(suite->integer("deletedSessionsCount"), 5);
    EXPECT_EQ(manager->totalSessionsCount(), 7);
    manager->startNewSession();
    EXPECT_TRUE(sent.empty());

    // Everything outside the window: a new installation again, replacing the first date.
    suite->setValue("firstSessionDate", "2025-01-01");
    storeSessions({{8000000s, 10}});
    auto later = make();
    later->startNewSession();
    harness.pump();
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(suite->string("firstSessionDate"), "2026-01-01");
}

TEST_F(SessionManagerTest, ActiveTimeOnlyAndNothingUnderASecond) {
    auto manager = make();
    manager->startNewSession();
    harness.advance(900ms);
    manager->handleDidEnterBackgroundNotification();
    harness.advance(10min);
    harness.pump();
    EXPECT_TRUE(storedDurations().empty());
    EXPECT_FALSE(manager->measuring());

    manager->handleWillEnterForegroundNotification();
    manager->handleWillEnterForegroundNotification();
    harness.advance(2s);
    manager->handleDidEnterBackgroundNotification();
    harness.pump();
    // 0.9 s before the break and 2 s after it: the 10 minutes away count for nothing.
    EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{2});
    EXPECT_EQ(harness.mainQueue->pendingDelayed(), 0u);
}

TEST_F(SessionManagerTest, TheSessionListIsWrittenAtMostEvery30sAndWhenTheAppLeaves) {
    auto manager = make();
    manager->startNewSession();
    harness.advance(95s);
    // Counted every second, written at 1, 31, 61 and 91 s: each write rewrites the suite's file.
    EXPECT_EQ(suite->writeCount("recentSessions"), 4);
    EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{91});
    EXPECT_EQ(manager->recentSessions().back().durationInSeconds, 95);

    manager->handleDidEnterBackgroundNotification();
    harness.pump();
    EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{95});

    // A write falls due but waits on the scheduler when the app terminates: the termination writes at once,
    // and the older write, run afterwards, does not undo it.
    manager->handleWillEnterForegroundNotification();
    harness.mainQueue->advance(31s);
    harness.clock.advance(500ms);
    manager->applicationWillTerminate();
    EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{126});
    harness.pump();
    EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{126});
}

TEST_F(SessionManagerTest, BecomingActiveBeforeAnySessionMeasuresNothing) {
    auto manager = make();
    manager->handleWillEnterForegroundNotification();
    harness.advance(5s);
    EXPECT_FALSE(manager->measuring());
    EXPECT_TRUE(storedDurations().empty());
}

TEST_F(SessionManagerTest, AverageAndPreviousSessionLengths) {
    struct Case {
        std::vector<std::int64_t> stored;  // the last one is the current session
        std::int64_t average;
        std::optional<std::int64_t> previous;
    };
    for (const Case& c : {Case{{}, -1, std::nullopt}, Case{{42}, 42, std::nullopt}, Case{{30, 50, 5}, 40, 50},
                          Case{{10, 5, 99}, 7, 5}}) {
        std::vector<std::pair<std::chrono::seconds, std::int64_t>> list;
        for (std::size_t i = 0; i < c.stored.size(); ++i) {
            list.emplace_back(std::chrono::seconds(1000 * (c.stored.size() - i)), c.stored[i]);
        }
        storeSessions(list);
        auto manager = make();
        EXPECT_EQ(manager->averageSessionSeconds(), c.average);
        EXPECT_EQ(manager->previousSessionSeconds(), c.previous);
    }
}

TEST_F(SessionManagerTest, ACorruptListIsAnEmptyHistoryThatTheNextSaveReplaces) {
    for (const std::string bad : {"not json", "{\"st\": 1}", "[{\"st\": \"x\", \"dn\": 1}]", "[{\"dn\": 1}]",
                                  "[{\"st\": 1e12, \"dn\": 1}]", "[{\"st\": -1e12, \"dn\": 1}]"}) {
        SCOPED_TRACE(bad);
        sent.clear();
        suite->setValue("recentSessions", bad);
        suite->removeValue("deletedSessionsCount");
        auto manager = make();
        EXPECT_TRUE(manager->recentSessions().empty());
        EXPECT_FALSE(suite->integer("deletedSessionsCount").has_value());
        manager->startNewSession();
        EXPECT_EQ(sent.size(), 1u);
        harness.advance(1s);
        manager->handleDidEnterBackgroundNotification();
        harness.pump();
        EXPECT_EQ(storedDurations(), std::vector<std::int64_t>{1});
    }
}

TEST_F(SessionManagerTest, DistinctDaysOfTheLastMonth) {
    suite->setValue("distinctDaysUsed", nlohmann::json{"2025-11-01", "2025-12-01", "2025-12-02", "2025-12-20"});
    auto manager = make();
    // Today (2026-01-01) is added; the threshold is 2025-12-02.
    EXPECT_EQ(manager->distinctDaysUsed(), 5);
    EXPECT_EQ(manager->distinctDaysUsedLastMonth(), 3);
    EXPECT_EQ(manager->firstSessionDate(), "2026-01-01");
}

// The switch decides whether sessions are started and counted; the statistics keys are reported either way.
TEST_F(SessionManagerTest, StatisticsAreReportedWhetherOrNotSessionsAreCounted) {
    auto config = harness.configuration();
    config->setSendNewSessionBeganSignal(false);
    config->setSessionStatsEnabled(false);
    harness.initialize(config);
    harness.advance(1s);
    // The first signal makes the history, whose record of today is written a moment later.
    Tallywire::signal("First");
    harness.pump();
    Tallywire::signal("Off");
    Tallywire::applicationWillBecomeActive();
    const auto off = harness.flush();
    // No session started, so no new installation either.
    ASSERT_EQ(off.size(), 2u);
    const auto& payload = off[1]["payload"];
    EXPECT_EQ(payload["Tallywire.Retention.totalSessionsCount"], "0");
    EXPECT_EQ(payload["Tallywire.Retention.averageSessionSeconds"], "-1");
    EXPECT_EQ(payload["Tallywire.Retention.distinctDaysUsed"], "1");
    EXPECT_EQ(payload["Tallywire.Retention.distinctDaysUsedLastMonth"], "1");
    EXPECT_EQ(payload["Tallywire.Acquisition.firstSessionDate"], "2026-01-01");
    EXPECT_FALSE(payload.contains("Tallywire.Retention.previousSessionSeconds"));
    // Active time without a session is counted nowhere.
    EXPECT_FALSE(harness.suite(TelemetryManager::defaultsSuiteName(config->telemetryAppID()))
                     ->string("recentSessions")
                     .has_value());

    config->setSessionStatsEnabled(true);
    Tallywire::generateNewSession();
    harness.advance(2s);
    Tallywire::signal("On");
    const auto on = harness.flush();
    ASSERT_EQ(on.size(), 2u);
    EXPECT_EQ(on[0]["type"], "Tallywire.Acquisition.newInstallDetected");
    EXPECT_EQ(on[1]["payload"]["Tallywire.Retention.totalSessionsCount"], "1");
    EXPECT_EQ(on[1]["payload"]["Tallywire.Retention.averageSessionSeconds"], "2");
    EXPECT_EQ(on[1]["payload"]["Tallywire.Acquisition.firstSessionDate"], "2026-01-01");
}

// A start time this file wrote must read back as the same second, however far from 1970: a second lost on each save
// would drift the stored sessions out of their window.
TEST(StoredSessionList, StartTimesReadBackToTheSecondTheyWereStoredAs) {
    struct Case {
        const char* stored;
        std::int64_t expectedSeconds;
    };
    const Case cases[] = {
        {R"([{"st":1767225600,"dn":3}])", 1767225600},
        {R"([{"st":8803614601,"dn":3}])", 8803614601},
        {R"([{"st":8803614601.75,"dn":3}])", 8803614601},
        {R"([{"st":-1.5,"dn":3}])", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const auto first = StoredSession::decodeList(c.stored);
        ASSERT_TRUE(first.has_value());
        const auto written = StoredSession::encodeList(*first);
        EXPECT_EQ(written, R"([{"st":)" + std::to_string(c.expectedSeconds) + R"(,"dn":3}])");
        const auto again = StoredSession::decodeList(written);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(StoredSession::encodeList(*again), written);
    }
}

}  // namespace
}  // namespace clicktrove::analytics
