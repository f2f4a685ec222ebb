#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace clicktrove {

// The one number format behind every number field of the Dashboard: whole numbers without grouping separators,
// so a fraction is shown rounded (0.5 s shows as 0) while a typed fraction is still read. Made once for the
// process; main thread only.
class NumberFormatter {
public:
    static const NumberFormatter& shared();

    QString format(std::int64_t value) const;
    // Rounded half to even, as a whole number; non-finite values read "NaN", "∞" or "-∞".
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
