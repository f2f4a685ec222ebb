#include "engine/run_tally.hpp"

#include <algorithm>

namespace clicktrove {

RunTally::RunTally(ClickRunId run, std::int64_t maxClicks, Date start)
    : run_(run), maxClicks_(maxClicks), start_(start) {}

void RunTally::count(std::int64_t clicks, Date now, bool lasting) {
    total_ += clicks;
    const std::int64_t remaining = maxClicks_ >= 1 ? std::max<std::int64_t>(maxClicks_ - total_, 0) : 0;
    newest_ = ClickProgress{run_, total_, rate_.record(now), remaining, elapsed(now)};
    // Already ended: the elapsed time stood still at the end, which the totals have now.
    lasting_ = lasting && !ended_;
}

void RunTally::endLasting(Date now) {
    if (!lasting_) return;
    lasting_ = false;
    if (newest_) newest_->elapsedTime = elapsed(now);
}

void RunTally::pause(Date now) {
    if (!stillSince_) stillSince_ = now;
}

void RunTally::resume(Date now) {
    if (ended_ || !stillSince_) return;
    pausedSeconds_ += std::chrono::duration<double>(now - *stillSince_).count();
    stillSince_.reset();
}

void RunTally::end(Date now) {
    pause(now);
    endLasting(now);
    ended_ = true;
}

double RunTally::elapsed(Date now) const {
    const Date until = stillSince_ ? *stillSince_ : now;
    const double seconds = std::chrono::duration<double>(until - start_).count() - pausedSeconds_;
    return seconds < 0 ? 0 : seconds;
}

}  // namespace clicktrove
