#include "ui/design/neon_pulse.hpp"

#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_appearance.hpp"

#include <QEasingCurve>
#include <QEvent>
#include <QVariantAnimation>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace clicktrove {

namespace {
constexpr int kHalfPeriodMs = 1000;
// The glow is redrawn at most this many times per half period: a 10-point dot needs no more to look smooth.
constexpr int kStepsPerHalfPeriod = 30;
}  // namespace

NeonPulse* NeonPulse::apply(QWidget* target, AdaptiveColor color, bool active) {
    return new NeonPulse(target, std::move(color), active);
}

NeonPulse::NeonPulse(QWidget* target, AdaptiveColor color, bool active)
    : QObject(target), target_(target), color_(std::move(color)), active_(active), onScreen_(target->isVisible()) {
    DropShadow glow;
    glow.shape = DropShadow::Shape::ellipse;
    underlay_ = new ShadowUnderlay(target_, glow);
    underlay_->reserveRadius(glowAt(1.0).radius);

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
    if (active_ && onScreen_) startPulse();
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
        if (onScreen_) startPulse();
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

QColor NeonPulse::currentColor() const {
    QColor color = color_.current();
    color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * currentGlow().opacity, 0.0, 1.0)));
    return color;
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
    if (!underlay_) return;
    DropShadow glow = underlay_->shadow();
    glow.color = currentColor();
    glow.radius = currentGlow().radius;
    underlay_->setShadow(glow);
}

bool NeonPulse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        if (event->type() == QEvent::Show) {
            onScreen_ = true;
            if (active_) {
                startPulse();
                applyGlow();
            }
        } else if (event->type() == QEvent::Hide) {
            // Off screen (hidden or minimised) nothing needs to breathe; it starts over when shown again.
            onScreen_ = false;
            stopPulse();
            applyGlow();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace clicktrove
