// A run's counters: totals, the last second's clicks, the elapsed time without pauses, and a drag's lasting click.
#include "engine/run_tally.hpp"

#include <gtest/gtest.h>
#include <functional>

using namespace std::chrono_literals;
using clicktrove::Date;
using clicktrove::RunTally;

namespace {

const Date kStart{std::chrono::seconds(1'000'000)};

TEST(RunTally, TheNewestTotalsAreThoseOfTheNewestClick) {
    RunTally tally(7, 5, kStart);
    EXPECT_FALSE(tally.newest().has_value()) << "no click yet";
    tally.count(2, kStart + 300ms);  // a double click
    tally.count(2, kStart + 800ms);
    tally.count(2, kStart + 1400ms);  // the first is a second old and more: out of the last second
    ASSERT_TRUE(tally.newest().has_value());
    const auto& p = *tally.newest();
    EXPECT_EQ(p.run, 7u);
    EXPECT_EQ(p.totalClicks, 6);
    EXPECT_EQ(p.cps, 2);
    EXPECT_EQ(p.remainingClicks, 0) << "past the maximum, nothing remains rather than a negative count";
    EXPECT_DOUBLE_EQ(p.elapsedTime, 1.4);
    EXPECT_EQ(tally.total(), 6);

    RunTally unlimited(8, 0, kStart);
    unlimited.count(1, kStart + 1s);
    EXPECT_EQ(unlimited.newest()->remainingClicks, 0) << "no maximum";
    RunTally limited(9, 10, kStart);
    limited.count(1, kStart + 1s);
    EXPECT_EQ(limited.newest()->remainingClicks, 9);
}

TEST(RunTally, PausesAndTheEndStopTheElapsedTime) {
    RunTally tally(1, 0, kStart);
    tally.pause(kStart + 2s);
    tally.pause(kStart + 3s);  // a second pause while paused moves nothing
    EXPECT_DOUBLE_EQ(tally.elapsed(kStart + 10s), 2.0);
    tally.count(1, kStart + 10s);  // a click on its way when the pause came
    EXPECT_DOUBLE_EQ(tally.newest()->elapsedTime, 2.0);
    tally.resume(kStart + 12s);
    EXPECT_DOUBLE_EQ(tally.elapsed(kStart + 13s), 3.0);
    tally.end(kStart + 14s);
    tally.resume(kStart + 20s);  // nothing resumes an ended run
    EXPECT_DOUBLE_EQ(tally.elapsed(kStart + 30s), 4.0);

    RunTally setBack(2, 0, kStart);
    EXPECT_EQ(setBack.elapsed(kStart - 1h), 0.0) << "a wall clock set back gives no negative time";
}

// A drag's click is counted at its press and takes the time at which its button comes up: at the drag's end, or
// at the pause or stop that cut it short, whenever the drag gets to letting the button go.
TEST(RunTally, ALastingClickTakesTheElapsedTimeOfItsEnd) {
    const struct {
        const char* name;
        std::function<void(RunTally&)> meanwhile;  // between the press at 1 s and the release at 3 s
        double elapsed;
    } cases[] = {
        {"ends at its release", [](RunTally&) {}, 3.0},
        {"cut by a pause", [](RunTally& t) { t.pause(kStart + 1500ms); }, 1.5},
        {"cut by the end of the run", [](RunTally& t) { t.end(kStart + 2s); }, 2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunTally tally(1, 0, kStart);
        tally.count(1, kStart + 1s, true);
        EXPECT_DOUBLE_EQ(tally.newest()->elapsedTime, 1.0) << "counted at the press";
        c.meanwhile(tally);
        tally.endLasting(kStart + 3s);
        EXPECT_EQ(tally.total(), 1);
        EXPECT_DOUBLE_EQ(tally.newest()->elapsedTime, c.elapsed);
        tally.endLasting(kStart + 9s);
        EXPECT_DOUBLE_EQ(tally.newest()->elapsedTime, c.elapsed) << "it ends once";
    }
    RunTally clicks(1, 0, kStart);
    clicks.count(1, kStart + 1s);
    clicks.end(kStart + 5s);
    EXPECT_DOUBLE_EQ(clicks.newest()->elapsedTime, 1.0) << "a click that does not last keeps its own time";
}

}  // namespace
