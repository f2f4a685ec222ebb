#include "ui/widgets/value_text.hpp"

#include <cmath>
#include <cstdint>

namespace clicktrove {

QString truncatedIntegerText(double value) {
    // The largest doubles on each side that convert to std::int64_t without overflow.
    constexpr double kInt64Limit = 9223372036854775807.0;
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    if (value <= -kInt64Limit || value >= kInt64Limit) return QString::number(std::trunc(value), 'f', 0);
    return QString::number(static_cast<qlonglong>(static_cast<std::int64_t>(value)));
}

QString sliderValueText(double value, const QString& unit) {
    return truncatedIntegerText(value) + QLatin1Char(' ') + unit;
}

}  // namespace clicktrove
