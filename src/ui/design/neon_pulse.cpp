#include "ui/design/neon_pulse.hpp"

#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_appearance.hpp"

#include <QEasingCurve>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace clicktrove {

namespace {
constexpr int kHalfPeriodMs = 1000;
// A slow breath around a 10-point dot looks smooth at eight steps a second. Each step is a repaint and a
// flush to the X server, and the pulse runs for the whole of a clicking run: an animation at the display's
// 60 Hz cost more than the run it decorates at slow intervals.
constexpr int kStepsPerHalfPeriod = 8;
constexpr int kStepMs = kHalfPeriodMs / kStepsPerHalfPeriod;
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

    stepTimer_ = new QTimer(this);
    stepTimer_->setInterval(kStepMs);
    stepTimer_->setTimerType(Qt::CoarseTimer);
    connect(stepTimer_, &QTimer::timeout, this, &NeonPulse::step);
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
    sinceStart_.start();
    stepTimer_->start();
    // Each repaint of the window is a frame the glow can take its next step in for nothing: the step timer then
    // starts over, so it makes frames of its own only while nothing else repaints (at 10 clicks a second the
    // counters repaint ten times a second, and a frame is what costs).
    if (QWidget* window = target_->window(); window != target_) {
        window_ = window;
        window_->installEventFilter(this);
    }
}

void NeonPulse::stopPulse() {
    stepTimer_->stop();
    if (window_) window_->removeEventFilter(this);
    window_ = nullptr;
    animating_ = false;
    phase_ = 0.0;
}

qreal NeonPulse::phaseAt(qint64 elapsedMs) {
    // Out and back, one half period each way, eased in and out.
    const qint64 inLoop = elapsedMs % (2 * kHalfPeriodMs);
    const qreal t = static_cast<qreal>(inLoop) / kHalfPeriodMs;
    const qreal swing = t <= 1.0 ? t : 2.0 - t;
    const qreal phase = QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(swing);
    return std::round(phase * kStepsPerHalfPeriod) / kStepsPerHalfPeriod;
}

void NeonPulse::step() {
    // Phase from the clock, not from a count of steps: a late timer never slows the breath down.
    showMoment(sinceStart_.elapsed());
}

void NeonPulse::showMoment(qint64 elapsedMs) {
    if (!animating_) return;
    const qreal phase = phaseAt(elapsedMs);
    if (phase == phase_) return;
    phase_ = phase;
    applyGlow();
}

void NeonPulse::applyGlow() {
    if (!underlay_) return;
    DropShadow glow = underlay_->shadow();
    glow.color = currentColor();
    glow.radius = currentGlow().radius;
    underlay_->setShadow(glow);
}

bool NeonPulse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::UpdateRequest && animating_) {
        // Before the window paints: a new glow marked now is painted in this very frame.
        step();
        stepTimer_->start();
    }
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
