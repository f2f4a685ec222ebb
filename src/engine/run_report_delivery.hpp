#pragma once

#include "engine/click_engine_delegate.hpp"
#include "engine/click_progress.hpp"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace clicktrove {

// Decides which of an engine's reports reach its delegate, and in which order: a run's progress reports until its
// stopped report and none after it, and its final totals just ahead of that stopped report unless the delegate
// has that total already. Stopped reports wait here until delivered: two stops on two threads may queue them
// out of order, and they reach the delegate in run order, each once, however many deliveries are asked for.
//
// queueStop() may be called from any thread; the deliveries run on the main thread only.
class RunReportDelivery {
public:
    // Called on the main thread with each run whose stopped report is being delivered, just before the delegate
    // gets it: totals of that run still waiting to be delivered can go.
    using StopDelivered = std::function<void(ClickRunId)>;

    explicit RunReportDelivery(StopDelivered stopDelivered);
    RunReportDelivery(const RunReportDelivery&) = delete;
    RunReportDelivery& operator=(const RunReportDelivery&) = delete;

    // run has stopped; finalTotals: its totals at its last click, none when it made none.
    void queueStop(ClickRunId run, bool completed, std::optional<ClickProgress> finalTotals);
    // Hands a progress report to the delegate unless its run's stopped report has gone out already. delegate may
    // be null (nobody listens): the report still counts as delivered.
    void deliverProgress(const ClickProgress& progress, ClickEngineDelegate* delegate);
    // The queued stopped reports of the runs up to last, in run order.
    void deliverStopsThrough(ClickRunId last, ClickEngineDelegate* delegate);

private:
    struct StoppedReport {
        ClickRunId run = 0;
        bool completed = false;
        std::optional<ClickProgress> finalTotals;
    };

    void deliverStop(const StoppedReport& report, ClickEngineDelegate* delegate);

    const StopDelivered stopDelivered_;
    std::mutex mutex_;
    std::vector<StoppedReport> pending_;
    // Main thread only: the newest run whose stopped report was delivered, and the last progress report delivered.
    ClickRunId stopDeliveredRun_ = 0;
    ClickRunId deliveredRun_ = 0;
    std::int64_t deliveredTotal_ = 0;
};

}  // namespace clicktrove
