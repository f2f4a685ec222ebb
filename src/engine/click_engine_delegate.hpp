#pragma once

#include <cstdint>

namespace clicktrove {

// Which run of an engine a report belongs to: each accepted start gives a new one, never 0.
using ClickRunId = std::uint64_t;

// Receives a ClickEngine's reports, always on the main thread. The engine holds it weakly (std::weak_ptr):
// a delegate that is gone simply receives nothing.
class ClickEngineDelegate {
public:
    virtual ~ClickEngineDelegate() = default;

    // After a tick that made a click: clicks so far in the run, ticks within the last second, clicks
    // remaining (0 when the run has no maximum) and the elapsed time in seconds without pauses. Every such
    // tick reports when the run's interval is at least ClickEngine::kReportPace; a faster run reports at most
    // once per pace, with its newest totals. A run's last totals come before its stopped report, and none of
    // its reports after it.
    virtual void clickEngineDidUpdate(ClickRunId run, std::int64_t totalClicks, std::int64_t cps,
                                      std::int64_t remainingClicks, double elapsedTime) = 0;
    // Once per run, when it stops: true when the scheduled stop time passed or the maximum was reached; false
    // for a stop by the user, the emergency stop or the screen-corner stop. A report may still be on its way
    // when a newer run has started: the run tells them apart.
    virtual void clickEngineDidStop(ClickRunId run, bool completed) = 0;
};

}  // namespace clicktrove
