#pragma once

#include "support/press_counter.hpp"
#include "support/press_stats.hpp"

namespace bench {

struct XdotoolRun {
    PressStats presses;
    // xdotool's CPU time over its whole run, as a share of one core.
    double cpuShare = 0;
};

// xdotool's repeated left click at the interval, enough of it for `seconds` of presses, with the pointer in the
// middle of the counter: waited for to its end (or a generous cap for a slow machine), then counted as the
// bench's own runs are.
XdotoolRun runXdotool(PressCounter& counter, double intervalMs, double seconds);

}  // namespace bench
