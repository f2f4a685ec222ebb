#include "ui/widgets/switch_toggle.hpp"

#include "ui/design/adaptive_color.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace clicktrove {

namespace {
constexpr int kWidth = 34;
constexpr int kHeight = 20;
constexpr int kInset = 2;
}  // namespace

SwitchToggle::SwitchToggle(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
    slide_ = new QVariantAnimation(this);
    slide_->setDuration(150);
    slide_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        position_ = v.toReal();
        update();
    });
    // Set from code or by a click, the knob follows the state; only a click emits clicked().
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        slide_->stop();
        if (!isVisible()) {
            position_ = on ? 1.0 : 0.0;
            update();
            return;
        }
        slide_->setStartValue(on ? 0.0 : 1.0);
        slide_->setEndValue(on ? 1.0 : 0.0);
        slide_->start();
    });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

void SwitchToggle::setDimming(qreal opacity) {
    if (qFuzzyCompare(opacity, dimming_)) return;
    dimming_ = opacity;
    update();
}

QSize SwitchToggle::sizeHint() const {
    return {kWidth, kHeight};
}

void SwitchToggle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(isEnabled() ? dimming_ : dimming_ * 0.5);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // A state set from code under a signal blocker never reaches the slide.
    const qreal position = slide_->state() == QAbstractAnimation::Running ? position_ : (isChecked() ? 1.0 : 0.0);
    const QColor off = withOpacity(ThemeColors::textSecondary(), 0.35);
    const QColor on = palette().color(QPalette::Highlight);
    QColor fill;
    fill.setRgbF(
        off.redF() + (on.redF() - off.redF()) * position, off.greenF() + (on.greenF() - off.greenF()) * position,
        off.blueF() + (on.blueF() - off.blueF()) * position, off.alphaF() + (on.alphaF() - off.alphaF()) * position);
    const qreal knob = kHeight - 2 * kInset;
    const QRectF knobRect(kInset + (kWidth - 2 * kInset - knob) * position, kInset, knob, knob);
    QPainterPath path;
    path.addRoundedRect(track, track.height() / 2, track.height() / 2);
    if (dimming_ < 1.0) {
        // Dimmed, the white knob must not let the track show through: it looks like the whole switch faded.
        QPainterPath knobPath;
        knobPath.addEllipse(knobRect);
        path = path.subtracted(knobPath);
    }
    p.fillPath(path, fill);
    p.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    p.setBrush(Qt::white);
    p.drawEllipse(knobRect);
    // On, the track is the accent itself, so the ring turns white.
    focus_ring::paint(p, *this, QRectF(rect()), kHeight / 2.0, position > 0.5);
}

}  // namespace clicktrove
