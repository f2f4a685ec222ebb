#pragma once

#include "engine/screen_point.hpp"

#include <QString>
#include <cstddef>

namespace clicktrove {

// Texts the Dashboard computes from the view model's values.

// "mm:ss" below an hour, "hh:mm:ss" from an hour on (the hours grow past two digits); seconds truncated.
QString elapsedText(double elapsedSeconds);

// The slider row's value: the value truncated toward zero, a blank, the unit ("50 ms").
QString sliderValueText(double value, const QString& unit);

// The chip of the point at zero-based `index`: "3: (512,384)", coordinates truncated toward zero.
QString pointChipText(std::size_t index, const ScreenPoint& point);

// A whole number truncated toward zero as plain decimal digits; any readable text for a value that is not
// finite or lies beyond the 64-bit range.
QString truncatedIntegerText(double value);

}  // namespace clicktrove
