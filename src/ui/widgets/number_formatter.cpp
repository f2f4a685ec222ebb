#include "ui/widgets/number_formatter.hpp"

#include <QLocale>
#include <QRegularExpression>
#include <array>
#include <charconv>
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
    if (value == 0.0) return QStringLiteral("0");  // no "-0"
    // Shortest round trip in fixed notation: at most 309 digits before the point (the largest double) or about
    // 330 characters after it (the smallest denormal).
    std::array<char, 400> buffer{};
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    if (error != std::errc()) return QString::number(value, 'g', 17);
    return QString::fromLatin1(buffer.data(), static_cast<qsizetype>(end - buffer.data()));
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
