#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clicktrove {

// The colour scheme of the windows. The raw value is the picker's label and the text stored in the settings
// record and sent with "ThemeChanged", so it must never change.
enum class AppTheme {
    system,  // follow the desktop's light or dark appearance
    light,
    dark,
};

inline constexpr std::array<AppTheme, 3> kAllAppThemes{AppTheme::system, AppTheme::light, AppTheme::dark};

constexpr std::string_view rawValue(AppTheme theme) {
    switch (theme) {
        case AppTheme::system:
            return "System";
        case AppTheme::light:
            return "Light";
        case AppTheme::dark:
            return "Dark";
    }
    return {};
}

// Exact, case-sensitive match; nothing for any other text.
constexpr std::optional<AppTheme> appThemeFromRawValue(std::string_view text) {
    for (const auto theme : kAllAppThemes) {
        if (rawValue(theme) == text) return theme;
    }
    return std::nullopt;
}

}  // namespace clicktrove
