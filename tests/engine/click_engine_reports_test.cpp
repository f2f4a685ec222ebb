// How a run's reports reach the main thread: every tick of a slow run, a fast run's newest totals at a bounded
// pace, and a run's last totals always just ahead of its stopped report.
#include "engine_fixture.hpp"
#include "support/wait_until.hpp"

#include <thread>

using namespace std::chrono_literals;
using clicktrove::ClickConfig;
using clicktrove::ClickEngine;
using clicktrove::platform::MouseEvent;
using clicktrove::testing::EngineTest;

namespace {

class Reports : public EngineTest {
protected:
    ClickConfig everyMillisecond() const {
        auto config = baseConfig();
        config.intervalMilliseconds = 1;
        return config;
    }
    std::size_t presses() const {
        std::size_t n = 0;
        for (const auto& e : events()) n += e.kind == MouseEvent::Kind::buttonDown ? 1 : 0;
        return n;
    }
    std::vector<std::int64_t> totals() const {
        std::vector<std::int64_t> out;
        for (const auto& u : delegate->updates()) out.push_back(u.totalClicks);
        return out;
    }
};

constexpr double kPaceSeconds = std::chrono::duration<double>(ClickEngine::kReportPace).count();

TEST_F(Reports, AFastRunReportsItsNewestTotalsAtTheBoundedPace) {
    engine.start(everyMillisecond());
    advanceDelivering(300ms + 999ms);
    ASSERT_EQ(presses(), 1000u);
    const auto updates = delegate->updates();
    const std::size_t bound = 1000ms / ClickEngine::kReportPace + 2;
    EXPECT_LE(updates.size(), bound);
    EXPECT_GE(updates.size(), bound - 3) << "the reports keep coming while the run goes on";
    for (std::size_t i = 1; i < updates.size(); ++i) {
        EXPECT_GE(updates[i].elapsedTime - updates[i - 1].elapsedTime, kPaceSeconds - 1e-9) << "report " << i;
        EXPECT_GT(updates[i].totalClicks, updates[i - 1].totalClicks) << "report " << i;
    }

    engine.stop(false);
    mainQueue.drain();
    EXPECT_EQ(delegate->updates().back().totalClicks, 1000) << "the exact total, however the pace fell";
    EXPECT_EQ(delegate->updatesAtStops(), std::vector<std::size_t>{delegate->updates().size()})
        << "the last totals come just before the stopped report, nothing after it";
}

// A main thread too busy to take its reports finds one waiting, with the newest totals, not a backlog.
// From the pace on, every tick has a report of its own (and a click sound of its own at the view model).
struct BusyCase {
    const char* name;
    std::chrono::milliseconds interval;
    std::size_t waiting;
    std::vector<std::int64_t> totals;
};

void PrintTo(const BusyCase& c, std::ostream* os) {
    *os << c.name;
}

class BusyMainThread : public Reports, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyMainThread, FindsOneReportWithTheNewestTotalsOrOnePerTickFromThePaceOn) {
    const auto& param = GetParam();
    auto config = baseConfig();
    config.intervalMilliseconds = param.interval.count();
    engine.start(config);
    queue.advance(300ms + 4 * param.interval);
    ASSERT_EQ(presses(), 5u);
    EXPECT_EQ(mainQueue.pendingPosted(), param.waiting);
    mainQueue.drain();
    EXPECT_EQ(totals(), param.totals);
}

INSTANTIATE_TEST_SUITE_P(Paces, BusyMainThread,
                         ::testing::Values(BusyCase{"OneMillisecond", 1ms, 1, {5}},
                                           BusyCase{"JustUnderThePace", ClickEngine::kReportPace - 1ms, 1, {5}},
                                           BusyCase{"AtThePace", ClickEngine::kReportPace, 5, {1, 2, 3, 4, 5}},
                                           BusyCase{"Slower", 100ms, 5, {1, 2, 3, 4, 5}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reports, TotalsHeldBackByThePaceArriveAfterThePauseThatFollows) {
    engine.start(everyMillisecond());
    advanceDelivering(300ms + 19ms);
    ASSERT_EQ(totals(), std::vector<std::int64_t>{1}) << "the other 19 ticks came within one pace";
    engine.pause();
    advanceDelivering(ClickEngine::kReportPace);
    EXPECT_EQ(totals(), (std::vector<std::int64_t>{1, 20})) << "no tick follows to carry them";
    advanceDelivering(5s);
    EXPECT_EQ(delegate->updates().size(), 2u);
}

// The new run's ticks overwrite what waits for the pace before the main thread has run the stopped report.
TEST_F(Reports, AStoppedRunsLastTotalsPrecedeItsStoppedReportEvenWhenANewRunFollowsAtOnce) {
    engine.start(everyMillisecond());
    advanceDelivering(300ms + 9ms);
    engine.stop(false);
    engine.start(everyMillisecond());
    queue.advance(300ms + 5ms);
    mainQueue.drain();
    const auto updates = delegate->updates();
    ASSERT_EQ(updates.size(), 3u);
    EXPECT_EQ(updates[1].totalClicks, 10);
    EXPECT_EQ(delegate->updatesAtStops(), std::vector<std::size_t>{2});
    EXPECT_EQ(updates[2].run, updates[1].run + 1);
    EXPECT_EQ(updates[2].totalClicks, 6);
    engine.stop(false);
    mainQueue.drain();
    EXPECT_EQ(queue.liveTimers(), 0u) << "an idle engine keeps no timer";
}

// A stop that lands from the main thread while a tick posts its click: that click went out, so the run's last
// totals count it and come before the stopped report, at any pace.
TEST_F(Reports, AClickUnderWayWhenTheRunStopsIsInTheTotalsBeforeTheStoppedReport) {
    for (const auto interval : {1ms, 100ms}) {
        SCOPED_TRACE(interval.count());
        auto config = baseConfig();
        config.intervalMilliseconds = interval.count();
        int posts = 0;
        std::thread mainThread;
        input.setOnPost([&](auto) {
            if (++posts != 3) return;
            // The stop waits for the posting under way, which is this one: it must not be made on this thread.
            mainThread = std::thread([&] { engine.stop(false); });
            ASSERT_TRUE(clicktrove::testing::waitUntil([&] { return !engine.isRunning(); }, 10s));
        });
        const std::size_t before = delegate->updates().size();
        engine.start(config);
        advanceDelivering(300ms + 2 * interval);
        if (mainThread.joinable()) mainThread.join();
        mainQueue.drain();
        input.setOnPost({});
        const auto updates = delegate->updates();
        ASSERT_GT(updates.size(), before);
        EXPECT_EQ(updates.back().totalClicks, 3);
        EXPECT_EQ(delegate->updatesAtStops().back(), updates.size()) << "and nothing of the run after it";
    }
}

// A quitting program stops the engine and has no later turn of its event loop for the stopped report: the engine
// hands it over at once, with the run's final totals (whatever the pace held back or the main queue still
// holds) just ahead of it, once, and what was queued for the main thread delivers nothing more.
struct QuitCase {
    const char* name;
    std::chrono::milliseconds interval;
    // The main thread took the reports as they came, the last tick's included.
    bool deliveredAsTheyCame;
    std::vector<std::int64_t> totals;
};

void PrintTo(const QuitCase& c, std::ostream* os) {
    *os << c.name;
}

class QuitDelivery : public Reports, public ::testing::WithParamInterface<QuitCase> {};

TEST_P(QuitDelivery, HandsOverTheFinalTotalsAndTheStoppedReportOnceAtOnce) {
    const auto& param = GetParam();
    auto config = baseConfig();
    config.intervalMilliseconds = param.interval.count();
    engine.start(config);
    if (param.deliveredAsTheyCame) {
        advanceDelivering(300ms + 4 * param.interval);
    } else {
        queue.advance(300ms + 123 * param.interval);
    }
    engine.emergencyStop();
    engine.deliverStoppedReports();
    EXPECT_EQ(totals(), param.totals);
    ASSERT_FALSE(totals().empty());
    EXPECT_EQ(totals().back(), static_cast<std::int64_t>(presses()));
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
    EXPECT_EQ(delegate->updatesAtStops(), std::vector<std::size_t>{delegate->updates().size()});

    mainQueue.drain();
    engine.deliverStoppedReports();
    EXPECT_EQ(totals(), param.totals) << "nothing of the run after its stopped report";
    EXPECT_EQ(delegate->stops(), std::vector<bool>{false});
}

INSTANTIATE_TEST_SUITE_P(Paces, QuitDelivery,
                         ::testing::Values(QuitCase{"PacedTotalsHeldBack", 1ms, false, {124}},
                                           QuitCase{"EveryTicksReportStillQueued", 100ms, false, {124}},
                                           // No second report of the same totals.
                                           QuitCase{"TheLastReportDeliveredAlready", 100ms, true, {1, 2, 3, 4, 5}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
