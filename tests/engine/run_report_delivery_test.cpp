// Which of a run's reports reach the delegate, and in which order: progress until the run's stopped report and
// none after it, the final totals just ahead of the stopped report, and every stopped report once, in run order.
#include "engine/run_report_delivery.hpp"

#include "engine_fixture.hpp"

#include <atomic>
#include <limits>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

using clicktrove::ClickProgress;
using clicktrove::ClickRunId;
using clicktrove::RunReportDelivery;
using clicktrove::testing::RecordingDelegate;

namespace {

constexpr ClickRunId kEveryRun = std::numeric_limits<ClickRunId>::max();

ClickProgress totals(ClickRunId run, std::int64_t clicks) {
    return {run, clicks, 1, 0, 0.1 * static_cast<double>(clicks)};
}

using Delivered = std::vector<std::pair<ClickRunId, std::int64_t>>;
using Runs = std::vector<ClickRunId>;

// A delivery, the delegate it delivers to, and the runs whose waiting totals it let go of.
struct Rig {
    Delivered updates() const {
        Delivered out;
        for (const auto& u : delegate->updates()) out.emplace_back(u.run, u.totalClicks);
        return out;
    }

    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    Runs letGo;
    RunReportDelivery reports{[this](ClickRunId run) { letGo.push_back(run); }};
};

TEST(RunReportDelivery, ProgressReachesTheDelegateUntilItsRunsStoppedReport) {
    const struct {
        const char* name;
        Runs stopped;  // whose stopped reports went out first, in this order
        ClickRunId run;
        bool reaches;
    } cases[] = {
        {"no run has stopped", {}, 1, true},
        {"its own run has stopped", {1}, 1, false},
        {"a newer run has stopped", {2}, 1, false},
        {"only an older run has stopped", {1}, 2, true},
        {"an older run's stop went out after its own", {2, 1}, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        for (const auto run : c.stopped) {
            rig.reports.queueStop(run, false, std::nullopt);
            rig.reports.deliverStopsThrough(run, rig.delegate.get());
        }
        rig.reports.deliverProgress({c.run, 7, 3, 2, 1.5}, rig.delegate.get());
        const auto got = rig.delegate->updates();
        ASSERT_EQ(got.size(), c.reaches ? 1u : 0u);
        if (!c.reaches) continue;
        EXPECT_EQ(got[0].run, c.run);
        EXPECT_EQ(got[0].totalClicks, 7);
        EXPECT_EQ(got[0].cps, 3);
        EXPECT_EQ(got[0].remainingClicks, 2);
        EXPECT_DOUBLE_EQ(got[0].elapsedTime, 1.5);
    }
}

// Run 2 stops after the reports in before have reached the delegate.
TEST(RunReportDelivery, TheFinalTotalsGoAheadOfTheStoppedReportUnlessTheDelegateHasThatTotal) {
    const struct {
        const char* name;
        std::vector<ClickProgress> before;
        std::optional<ClickProgress> finalTotals;
        Delivered expected;
    } cases[] = {
        {"nothing delivered yet", {}, totals(2, 5), {{2, 5}}},
        {"the delegate has that total", {totals(2, 3), totals(2, 5)}, totals(2, 5), {{2, 3}, {2, 5}}},
        {"the delegate has an older total", {totals(2, 3)}, totals(2, 5), {{2, 3}, {2, 5}}},
        {"another run's report had that total", {totals(1, 5)}, totals(2, 5), {{1, 5}, {2, 5}}},
        {"the run made no click", {}, std::nullopt, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        for (const auto& p : c.before) rig.reports.deliverProgress(p, rig.delegate.get());
        rig.reports.queueStop(2, true, c.finalTotals);
        rig.reports.deliverStopsThrough(2, rig.delegate.get());
        EXPECT_EQ(rig.updates(), c.expected);
        EXPECT_EQ(rig.delegate->stoppedRuns(), Runs{2});
        EXPECT_EQ(rig.delegate->stops(), std::vector<bool>{true});
        EXPECT_EQ(rig.delegate->updatesAtStops(), std::vector<std::size_t>{c.expected.size()})
            << "the totals come first";
    }
}

// Two stops on two threads, the later run's report queued first. The deliveries the stops posted run in either
// order, each delivering no run later than its own, or a quit delivers everything at once before them.
TEST(RunReportDelivery, StoppedReportsQueuedOutOfOrderFromTwoThreadsArriveInRunOrder) {
    const struct {
        Runs deliveries;
        Runs stoppedAfterTheFirst;
    } cases[] = {
        {{2, 1}, {1, 2}},
        {{1, 2}, {1}},
        {{kEveryRun, 1, 2}, {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.deliveries));
        Rig rig;
        std::thread([&] { rig.reports.queueStop(2, false, totals(2, 4)); }).join();
        std::thread([&] { rig.reports.queueStop(1, true, totals(1, 3)); }).join();
        rig.reports.deliverStopsThrough(c.deliveries.front(), rig.delegate.get());
        EXPECT_EQ(rig.delegate->stoppedRuns(), c.stoppedAfterTheFirst);
        for (std::size_t i = 1; i < c.deliveries.size(); ++i) {
            rig.reports.deliverStopsThrough(c.deliveries[i], rig.delegate.get());
        }
        EXPECT_EQ(rig.updates(), (Delivered{{1, 3}, {2, 4}}));
        EXPECT_EQ(rig.delegate->stoppedRuns(), (Runs{1, 2}));
        EXPECT_EQ(rig.delegate->stops(), (std::vector<bool>{true, false}));
        EXPECT_EQ(rig.delegate->updatesAtStops(), (std::vector<std::size_t>{1, 2}));
        EXPECT_EQ(rig.letGo, (Runs{1, 2}));
    }
}

// The engine's thread queues stop after stop while the main thread delivers: each arrives once, in run order.
TEST(RunReportDelivery, StopsQueuedWhileTheMainThreadDeliversArriveOnceInRunOrder) {
    constexpr ClickRunId kRuns = 200;
    Rig rig;
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        for (ClickRunId run = 1; run <= kRuns; ++run) rig.reports.queueStop(run, false, totals(run, 1));
        done = true;
    });
    while (!done) rig.reports.deliverStopsThrough(kEveryRun, rig.delegate.get());
    stopper.join();
    rig.reports.deliverStopsThrough(kEveryRun, rig.delegate.get());
    Runs runs;
    std::vector<std::size_t> atStops;
    for (ClickRunId run = 1; run <= kRuns; ++run) {
        runs.push_back(run);
        atStops.push_back(run);
    }
    EXPECT_EQ(rig.delegate->stoppedRuns(), runs);
    EXPECT_EQ(rig.delegate->updatesAtStops(), atStops);
    EXPECT_EQ(rig.letGo, runs);
}

// A quitting program delivers the stopped reports at once; the deliveries the stops posted, and the progress
// reports still queued for the main thread, run afterwards and find nothing to deliver.
TEST(RunReportDelivery, DeliveringAtOnceLeavesNothingForTheDeliveriesStillQueued) {
    Rig rig;
    auto& reports = rig.reports;
    auto* delegate = rig.delegate.get();
    reports.deliverProgress(totals(1, 2), delegate);
    reports.queueStop(1, false, totals(1, 4));
    reports.queueStop(2, true, totals(2, 6));
    reports.deliverStopsThrough(kEveryRun, delegate);
    ASSERT_EQ(rig.updates(), (Delivered{{1, 2}, {1, 4}, {2, 6}}));
    ASSERT_EQ(rig.delegate->stoppedRuns(), (Runs{1, 2}));

    reports.deliverStopsThrough(1, delegate);
    reports.deliverStopsThrough(2, delegate);
    reports.deliverProgress(totals(1, 4), delegate);
    reports.deliverProgress(totals(2, 6), delegate);
    reports.deliverStopsThrough(kEveryRun, delegate);
    EXPECT_EQ(rig.updates(), (Delivered{{1, 2}, {1, 4}, {2, 6}}));
    EXPECT_EQ(rig.delegate->stoppedRuns(), (Runs{1, 2}));
    EXPECT_EQ(rig.letGo, (Runs{1, 2}));
}

// What waits for the pace of a stopped run must go even when nobody listens, or the pace's timer stays on; and
// a delegate that comes later gets nothing of that run.
TEST(RunReportDelivery, EachStopDeliveredLetsGoOfItsRunsWaitingTotalsWhetherOrNotADelegateListens) {
    Rig rig;
    rig.reports.queueStop(1, false, totals(1, 3));
    rig.reports.deliverStopsThrough(1, rig.delegate.get());
    EXPECT_EQ(rig.letGo, Runs{1});
    rig.reports.deliverStopsThrough(1, rig.delegate.get());
    EXPECT_EQ(rig.letGo, Runs{1}) << "once per stop";

    rig.reports.queueStop(2, false, totals(2, 5));
    rig.reports.deliverStopsThrough(2, nullptr);
    EXPECT_EQ(rig.letGo, (Runs{1, 2}));
    rig.reports.deliverProgress(totals(2, 5), rig.delegate.get());
    rig.reports.deliverStopsThrough(2, rig.delegate.get());
    EXPECT_EQ(rig.updates(), (Delivered{{1, 3}}));
    EXPECT_EQ(rig.delegate->stoppedRuns(), Runs{1});
}

}  // namespace
