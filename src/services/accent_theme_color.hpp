#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clicktrove {

// The accent colour of controls, charts and highlights, in the order the Settings swatches show them. The raw
// value is the label, the text stored in the settings record and the one sent with "AccentColorChanged".
enum class AccentThemeColor { blue, red, green, purple, orange, pink, yellow, cyan, mint, indigo };

inline constexpr std::array<AccentThemeColor, 10> kAllAccentThemeColors{
    AccentThemeColor::blue,   AccentThemeColor::red,    AccentThemeColor::green,  AccentThemeColor::purple,
    AccentThemeColor::orange, AccentThemeColor::pink,   AccentThemeColor::yellow, AccentThemeColor::cyan,
    AccentThemeColor::mint,   AccentThemeColor::indigo,
};

constexpr std::string_view rawValue(AccentThemeColor color) {
    switch (color) {
        case AccentThemeColor::blue:
            return "Blue";
        case AccentThemeColor::red:
            return "Red";
        case AccentThemeColor::green:
            return "Green";
        case AccentThemeColor::purple:
            return "Purple";
        case AccentThemeColor::orange:
            return "Orange";
        case AccentThemeColor::pink:
            return "Pink";
        case AccentThemeColor::yellow:
            return "Yellow";
        case AccentThemeColor::cyan:
            return "Cyan";
        case AccentThemeColor::mint:
            return "Mint";
        case AccentThemeColor::indigo:
            return "Indigo";
    }
    return {};
}

// Exact, case-sensitive match; nothing for any other text.
constexpr std::optional<AccentThemeColor> accentThemeColorFromRawValue(std::string_view text) {
    for (const auto color : kAllAccentThemeColors) {
        if (rawValue(color) == text) return color;
    }
    return std::nullopt;
}

}  // namespace clicktrove
