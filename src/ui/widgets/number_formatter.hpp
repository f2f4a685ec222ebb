#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace clicktrove {

// The one number format behind every number field of the Dashboard: plain decimal digits without grouping
// separators or exponent. A fractional value keeps the decimals it has (a drag of 1.5 s shows "1.5", not a
// rounded "2" that would misstate what is stored), and no more: the shortest text that reads back as the same
// value. Made once for the process; main thread only.
class NumberFormatter {
public:
    static const NumberFormatter& shared();

    QString format(std::int64_t value) const;
    // The shortest fixed-point text that parses back to exactly this value ("0.5", "512.7", "300"); negative
    // zero reads "0" and non-finite values read "NaN", "∞" or "-∞".
    QString format(double value) const;

    // A decimal number with an optional sign and fraction, blanks around it allowed; nothing for any other
    // text (letters, exponents, grouping, an empty field) and for values that are not finite.
    std::optional<double> parseDecimal(const QString& text) const;
    // As parseDecimal, but only whole numbers that fit a signed 64-bit integer.
    std::optional<std::int64_t> parseInteger(const QString& text) const;

private:
    NumberFormatter() = default;
};

}  // namespace clicktrove
