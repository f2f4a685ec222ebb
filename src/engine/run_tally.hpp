#pragma once

#include "engine/click_engine_delegate.hpp"
#include "engine/click_progress.hpp"
#include "engine/click_rate_window.hpp"
#include "engine/date.hpp"

#include <cstdint>
#include <optional>

namespace clicktrove {

// The counters of one clicking run: the clicks that went out, those of the last second, and the time the run has
// clicked for, its pauses left out; and the totals as they stood at the newest click, which the run's reports
// and its stopped report carry. A drag's click lasts: counted when its button goes down, it takes the elapsed
// time of the moment its button comes up (the drag's end, or the pause or stop that cut it short), so that a
// run ended during a long drag keeps the time it ran. Not thread safe: the engine guards it with its state lock.
class RunTally {
public:
    // maxClicks: 0 for a run without a maximum.
    RunTally(ClickRunId run, std::int64_t maxClicks, Date start);

    // clicks went out at now. lasting: they last until endLasting() or the run's end.
    void count(std::int64_t clicks, Date now, bool lasting = false);
    // The lasting click ends at now: the newest totals take the elapsed time of now, which stands still during a
    // pause and after the run's end.
    void endLasting(Date now);
    // The elapsed time stands still from a pause until the resume.
    void pause(Date now);
    void resume(Date now);
    // The run has ended at now: its elapsed time stands still for good, and a lasting click ends with it.
    void end(Date now);

    std::int64_t total() const { return total_; }
    // Seconds since the start, pauses left out; never negative (the wall clock may have been set back).
    double elapsed(Date now) const;
    // None before the first click.
    const std::optional<ClickProgress>& newest() const { return newest_; }

private:
    const ClickRunId run_;
    const std::int64_t maxClicks_;
    const Date start_;
    std::int64_t total_ = 0;
    ClickRateWindow rate_;
    double pausedSeconds_ = 0;
    // Since when the elapsed time stands still: a pause, or the end.
    std::optional<Date> stillSince_;
    bool ended_ = false;
    bool lasting_ = false;
    std::optional<ClickProgress> newest_;
};

}  // namespace clicktrove
