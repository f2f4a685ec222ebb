#include "ui/dashboard/dashboard_texts.hpp"

#include "ui/widgets/value_text.hpp"

#include <cmath>
#include <cstdint>

namespace clicktrove {

namespace {

// The largest doubles on each side that convert to std::int64_t without overflow.
constexpr double kInt64Limit = 9223372036854775807.0;

bool fitsInt64(double value) {
    return std::isfinite(value) && value > -kInt64Limit && value < kInt64Limit;
}

}  // namespace

QString elapsedText(double elapsedSeconds) {
    if (!fitsInt64(elapsedSeconds)) return QStringLiteral("--:--");
    const auto s = static_cast<std::int64_t>(elapsedSeconds);
    const auto two = [](std::int64_t v) {
        return QStringLiteral("%1").arg(static_cast<qlonglong>(v), 2, 10, QLatin1Char('0'));
    };
    if (s < 3600) return two((s % 3600) / 60) + QLatin1Char(':') + two(s % 60);
    return two(s / 3600) + QLatin1Char(':') + two((s % 3600) / 60) + QLatin1Char(':') + two(s % 60);
}

QString pointChipText(std::size_t index, const ScreenPoint& point) {
    return QStringLiteral("%1: (%2,%3)")
        .arg(static_cast<qulonglong>(index) + 1)
        .arg(truncatedIntegerText(point.x), truncatedIntegerText(point.y));
}

}  // namespace clicktrove
