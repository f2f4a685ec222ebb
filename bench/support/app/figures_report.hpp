#pragma once

#include "support/app/app_figures.hpp"

#include <vector>

namespace bench {

// The start-up medians, then one table row per interval and the gaps and busiest threads under it.
void printStartUp(const std::vector<LaunchTimes>& launches);
void printIntervalTable(const std::vector<IntervalFigures>& rows, bool peer);
// One line per quit: whether the button was down before and whether any was left down after.
void printQuitChecks(const std::vector<QuitCheck>& checks);

}  // namespace bench
