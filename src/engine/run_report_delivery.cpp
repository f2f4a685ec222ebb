#include "engine/run_report_delivery.hpp"

#include <algorithm>
#include <utility>

namespace clicktrove {

RunReportDelivery::RunReportDelivery(StopDelivered stopDelivered) : stopDelivered_(std::move(stopDelivered)) {}

void RunReportDelivery::queueStop(ClickRunId run, bool completed, std::optional<ClickProgress> finalTotals) {
    std::lock_guard lock(mutex_);
    pending_.push_back({run, completed, std::move(finalTotals)});
}

void RunReportDelivery::deliverProgress(const ClickProgress& p, ClickEngineDelegate* delegate) {
    if (p.run <= stopDeliveredRun_) return;
    deliveredRun_ = p.run;
    deliveredTotal_ = p.totalClicks;
    if (delegate) delegate->clickEngineDidUpdate(p.run, p.totalClicks, p.cps, p.remainingClicks, p.elapsedTime);
}

void RunReportDelivery::deliverStopsThrough(ClickRunId last, ClickEngineDelegate* delegate) {
    std::vector<StoppedReport> due;
    {
        std::lock_guard lock(mutex_);
        const auto later = std::stable_partition(pending_.begin(), pending_.end(),
                                                 [last](const StoppedReport& r) { return r.run <= last; });
        due.assign(pending_.begin(), later);
        pending_.erase(pending_.begin(), later);
    }
    // Two stops on two threads may have queued their reports out of order.
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.run < b.run; });
    for (const auto& report : due) deliverStop(report, delegate);
}

void RunReportDelivery::deliverStop(const StoppedReport& report, ClickEngineDelegate* delegate) {
    const auto& totals = report.finalTotals;
    // The final totals, unless the run's last report had them already.
    const bool delivered = deliveredRun_ == report.run && totals && deliveredTotal_ == totals->totalClicks;
    if (totals && !delivered) deliverProgress(*totals, delegate);
    stopDeliveredRun_ = std::max(stopDeliveredRun_, report.run);
    if (stopDelivered_) stopDelivered_(report.run);
    if (delegate) delegate->clickEngineDidStop(report.run, report.completed);
}

}  // namespace clicktrove
