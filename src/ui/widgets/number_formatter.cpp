#include "ui/widgets/number_formatter.hpp"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace clicktrove {

const NumberFormatter& NumberFormatter::shared() {
    static const NumberFormatter formatter;
    return formatter;
}

QString NumberFormatter::format(std::int64_t value) const {
    return QString::number(static_cast<qlonglong>(value));
}

QString NumberFormatter::format(double value) const {
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    const double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    // Huge values would overflow an integer conversion; print the rounded double without exponent instead.
    if (std::fabs(rounded) >= 9.0e18) return QString::number(rounded, 'f', 0);
    const auto whole = static_cast<qlonglong>(rounded);
    return QString::number(whole == 0 ? 0LL : whole);  // no "-0"
}

std::optional<double> NumberFormatter::parseDecimal(const QString& text) const {
    static const QRegularExpression pattern(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    if (!pattern.match(trimmed).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::int64_t> NumberFormatter::parseInteger(const QString& text) const {
    const auto value = parseDecimal(text);
    if (!value || std::trunc(*value) != *value) return std::nullopt;
    const QString trimmed = text.trimmed();
    // Exact for every 64-bit value: read the digits themselves, not the double.
    const int dot = trimmed.indexOf(QLatin1Char('.'));
    QString digits = dot < 0 ? trimmed : trimmed.left(dot);
    if (digits.isEmpty() || digits == QLatin1String("+") || digits == QLatin1String("-")) digits = QStringLiteral("0");
    bool ok = false;
    const qlonglong whole = digits.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

}  // namespace clicktrove
