#pragma once

namespace clicktrove {

// A position in global screen coordinates, in points: origin at the top-left corner of the primary monitor,
// y growing downwards. Equal when both coordinates compare equal (so a NaN coordinate is never equal).
struct ScreenPoint {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

}  // namespace clicktrove
