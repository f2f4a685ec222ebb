#include "ui/design/hover_spring.hpp"

#include <cmath>
#include <numbers>

namespace clicktrove {

namespace {

// Step response of a damped spring over the animation's duration, normalised so that it ends exactly at 1.
qreal springProgress(qreal progress) {
    constexpr qreal response = 0.25;
    constexpr qreal damping = 0.7;
    constexpr qreal omega = 2.0 * std::numbers::pi / response;
    const qreal omegaDamped = omega * std::sqrt(1.0 - damping * damping);
    const auto at = [&](qreal t) {
        return 1.0 - std::exp(-damping * omega * t) *
                         (std::cos(omegaDamped * t) + damping * omega / omegaDamped * std::sin(omegaDamped * t));
    };
    const qreal duration = hoverSpringDurationMs / 1000.0;
    if (progress >= 1.0) return 1.0;
    const qreal end = at(duration);
    return at(progress * duration) / end;
}

}  // namespace

QEasingCurve hoverSpringCurve() {
    QEasingCurve curve;
    curve.setCustomType(&springProgress);
    return curve;
}

}  // namespace clicktrove
