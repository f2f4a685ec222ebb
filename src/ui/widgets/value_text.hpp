#pragma once

#include <QString>

namespace clicktrove {

// A whole number truncated toward zero as plain decimal digits; any readable text for a value that is not
// finite or lies beyond the 64-bit range.
QString truncatedIntegerText(double value);

// The slider row's value: the value truncated toward zero, a blank, the unit ("50 ms").
QString sliderValueText(double value, const QString& unit);

}  // namespace clicktrove
