#pragma once

#include "engine/screen_point.hpp"

#include <QString>
#include <cstddef>

namespace clicktrove {

// Texts the Dashboard computes from the view model's values.

// "mm:ss" below an hour, "hh:mm:ss" from an hour on (the hours grow past two digits); seconds truncated.
QString elapsedText(double elapsedSeconds);

// The chip of the point at zero-based `index`: "3: (512,384)", coordinates truncated toward zero.
QString pointChipText(std::size_t index, const ScreenPoint& point);

}  // namespace clicktrove
