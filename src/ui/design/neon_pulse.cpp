#include "ui/design/neon_pulse.hpp"

#include "ui/design/theme_appearance.hpp"

#include <QEasingCurve>
#include <QEvent>
#include <QVariantAnimation>
#include <QWidget>
#include <cmath>
#include <utility>

namespace clicktrove {

namespace {
constexpr int kHalfPeriodMs = 1000;
// The glow is redrawn at most this many times per half period: a 10-point dot needs no more to look smooth,
// and each redraw also repaints what the dot sits on.
constexpr int kStepsPerHalfPeriod = 30;
// Qt's blur radius spreads about half as far as the layer radius of the original design.
constexpr qreal kBlurPerRadius = 2.0;
}  // namespace

NeonPulse* NeonPulse::apply(QWidget* target, AdaptiveColor color, bool active) {
    auto* pulse = new NeonPulse(target, std::move(color), active);
    target->setGraphicsEffect(pulse);
    return pulse;
}

NeonPulse::NeonPulse(QWidget* target, AdaptiveColor color, bool active)
    : QGraphicsDropShadowEffect(target), target_(target), color_(std::move(color)), active_(active) {
    setOffset(0, 0);
    animation_ = new QVariantAnimation(this);
    // One forward and one backward swing per loop, both eased in and out.
    animation_->setStartValue(0.0);
    animation_->setEndValue(2.0);
    animation_->setDuration(2 * kHalfPeriodMs);
    animation_->setLoopCount(-1);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const qreal t = value.toReal();
        const qreal swing = t <= 1.0 ? t : 2.0 - t;
        const qreal phase = QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(swing);
        const qreal stepped = std::round(phase * kStepsPerHalfPeriod) / kStepsPerHalfPeriod;
        if (stepped == phase_) return;
        phase_ = stepped;
        applyGlow();
    });
    target_->installEventFilter(this);
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { applyGlow(); });
    applyGlow();
    if (active_ && target_->isVisible()) startPulse();
}

void NeonPulse::setGlowColor(const AdaptiveColor& color) {
    if (color == color_) return;
    color_ = color;
    applyGlow();
}

void NeonPulse::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active_) {
        if (target_->isVisible()) startPulse();
    } else {
        stopPulse();
    }
    applyGlow();
}

NeonPulse::Glow NeonPulse::glowAt(qreal phase) {
    phase = std::clamp(phase, 0.0, 1.0);
    return {0.3 + (0.8 - 0.3) * phase, 4.0 + (8.0 - 4.0) * phase};
}

NeonPulse::Glow NeonPulse::currentGlow() const {
    if (!active_) return {0.0, glowAt(0.0).radius};
    return glowAt(animating_ ? phase_ : 0.0);
}

void NeonPulse::startPulse() {
    if (animating_) return;
    animating_ = true;
    phase_ = 0.0;
    animation_->start();
}

void NeonPulse::stopPulse() {
    animation_->stop();
    animating_ = false;
    phase_ = 0.0;
}

void NeonPulse::applyGlow() {
    const Glow glow = currentGlow();
    // No glow at all while inactive: skip the effect's offscreen pass entirely.
    setEnabled(active_);
    QColor color = color_.current();
    color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * glow.opacity, 0.0, 1.0)));
    setColor(color);
    setBlurRadius(glow.radius * kBlurPerRadius);
}

bool NeonPulse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        if (event->type() == QEvent::Show && active_) {
            startPulse();
            applyGlow();
        } else if (event->type() == QEvent::Hide) {
            // Off screen nothing needs to breathe; it starts over when shown again.
            stopPulse();
            applyGlow();
        }
    }
    return QGraphicsDropShadowEffect::eventFilter(watched, event);
}

}  // namespace clicktrove
