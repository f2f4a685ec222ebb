#pragma once

#include "engine/click_engine_delegate.hpp"

#include <cstdint>

namespace clicktrove {

// One progress report of a run, as the delegate receives it: the run's totals after a tick.
struct ClickProgress {
    ClickRunId run = 0;
    std::int64_t totalClicks = 0;
    // Ticks within the last second.
    std::int64_t cps = 0;
    // 0 when the run has no maximum.
    std::int64_t remainingClicks = 0;
    // Seconds, pauses excluded.
    double elapsedTime = 0;
};

}  // namespace clicktrove
