#pragma once

#include "engine/click_position_mode.hpp"
#include "engine/click_type.hpp"

#include <filesystem>

namespace bench {

// The run the application is to start with, as a user would have left it last time.
struct RememberedRun {
    double intervalMs = 1;
    clicktrove::ClickPositionMode mode = clicktrove::ClickPositionMode::current;
    // Where a fixed-point run clicks.
    double x = 0, y = 0;
    clicktrove::ClickType clickType = clicktrove::ClickType::left;
    // A drag of a minute across the middle of the screen, instead of the click type.
    bool drag = false;
};

// Writes the application's settings record into the settings suite under configHome (the folder that stands
// for $XDG_CONFIG_HOME): default settings with "remember the last configuration" on and, as the last
// configuration, a default one but for the interval, the position mode, the fixed point, the click type and the
// drag. The record is encoded by the application's own code, so the application reads it as its own. False when
// it cannot be written.
bool writeRememberedRun(const std::filesystem::path& configHome, const RememberedRun& run);

}  // namespace bench
