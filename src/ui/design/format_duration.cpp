#include "ui/design/format_duration.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace clicktrove {

std::string formatDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    // Clamp before converting: a double beyond the integer range would make the cast undefined.
    constexpr double kMax = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 2);
    const auto s = static_cast<std::int64_t>(std::trunc(std::min(seconds, kMax)));
    std::string text;
    const auto add = [&](std::int64_t value, char unit) {
        if (!text.empty()) text += ' ';
        text += std::to_string(value);
        text += unit;
    };
    if (s >= 3600) add(s / 3600, 'h');
    if (s % 3600 >= 60) add((s % 3600) / 60, 'm');
    if (s % 60 > 0 || text.empty()) add(s % 60, 's');
    return text;
}

}  // namespace clicktrove
