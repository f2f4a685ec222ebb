#pragma once

#include "support/press_counter.hpp"

#include <optional>
#include <vector>

namespace bench {

// The received click rate and the gaps between presses of one run.
struct PressStats {
    std::size_t presses = 0;
    double rate = 0;
    double meanMs = 0, p50Ms = 0, p99Ms = 0, maxMs = 0;
};

// The presses within a window of `seconds` that begins half a typical gap before the first one.
PressStats pressStats(std::vector<Clock::time_point> presses, double seconds);

// What reached the counting window after an Escape key, in the order the server handled things.
struct EscapeAftermath {
    bool keySeen = false;
    int presses = 0;
    // How long after the key the last button release came; 0 when none came after it.
    double lastReleaseMs = 0;
};

EscapeAftermath escapeAftermath(const std::vector<PressCounter::Arrival>& arrivals);

// Milliseconds from the first press of the key with this keycode to the first button press after it; nothing
// when either is missing.
std::optional<double> firstPressAfterKeyMs(const std::vector<PressCounter::Arrival>& arrivals, unsigned int keycode);

}  // namespace bench
