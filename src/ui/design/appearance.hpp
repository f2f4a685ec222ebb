#pragma once

namespace clicktrove {

// The appearance a window is drawn under. The adaptive theme colours take their dark values only under the plain
// dark appearance: the high-contrast variants, dark ones included, get the light values. That is deliberate (the
// light values have the stronger contrast), so never replace the test below by "is this a dark scheme".
enum class Appearance {
    light,
    dark,
    highContrastLight,
    highContrastDark,
};

constexpr bool usesDarkColors(Appearance appearance) {
    return appearance == Appearance::dark;
}

}  // namespace clicktrove
