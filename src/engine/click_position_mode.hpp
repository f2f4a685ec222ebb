#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clicktrove {

// Where the clicks of a run go.
enum class ClickPositionMode {
    current,  // at the cursor's position at each tick
    fixed,    // at the points of ClickConfig::fixedCoordinates
};

inline constexpr std::array<ClickPositionMode, 2> kAllClickPositionModes{ClickPositionMode::current,
                                                                         ClickPositionMode::fixed};

constexpr std::string_view displayText(ClickPositionMode mode) {
    switch (mode) {
        case ClickPositionMode::current:
            return "Current Mouse Position";
        case ClickPositionMode::fixed:
            return "Fixed Position";
    }
    return {};
}

// Exact, case-sensitive match against the display texts; nothing for any other text.
constexpr std::optional<ClickPositionMode> clickPositionModeFromText(std::string_view text) {
    for (const auto mode : kAllClickPositionModes) {
        if (displayText(mode) == text) return mode;
    }
    return std::nullopt;
}

}  // namespace clicktrove
