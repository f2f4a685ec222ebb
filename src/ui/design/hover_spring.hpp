#pragma once

#include <QEasingCurve>

namespace clicktrove {

// The hover animation of the primary button: a spring of response 0.25 s and damping fraction 0.7, which
// overshoots by about 5 % and settles within hoverSpringDurationMs.
inline constexpr int hoverSpringDurationMs = 450;
QEasingCurve hoverSpringCurve();

}  // namespace clicktrove
