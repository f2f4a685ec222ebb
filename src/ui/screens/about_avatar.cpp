#include "ui/screens/about_avatar.hpp"

#include "ui/design/view_fonts.hpp"

#include <QEasingCurve>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVariantAnimation>

namespace clicktrove {

namespace {
// Room around the circle for the grown avatar and its shadow (radius 16, 8 down; the faint far edge of the shadow may
// be cut).
constexpr int kMargin = 16;
}  // namespace

AboutAvatar::AboutAvatar(QString initials, QWidget* parent) : QWidget(parent), initials_(std::move(initials)) {
    setAttribute(Qt::WA_Hover);
    setFixedSize(sizeHint());
    animation_ = new QVariantAnimation(this);
    // A springy overshoot, close to a spring of 0.35 s response and 0.6 damping.
    animation_->setDuration(350);
    animation_->setEasingCurve(QEasingCurve(QEasingCurve::OutBack));
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        scale_ = value.toDouble();
        update();
    });
}

QSize AboutAvatar::sizeHint() const {
    return {kDiameter + 2 * kMargin, kDiameter + 2 * kMargin};
}

void AboutAvatar::enterEvent(QEnterEvent*) {
    setHovered(true);
}

void AboutAvatar::leaveEvent(QEvent*) {
    setHovered(false);
}

void AboutAvatar::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    animation_->stop();
    animation_->setStartValue(scale_);
    animation_->setEndValue(targetScale());
    animation_->start();
}

void AboutAvatar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    p.translate(centre);
    p.scale(scale_, scale_);
    const double r = kDiameter / 2.0;
    const QRectF circle(-r, -r, kDiameter, kDiameter);

    // Shadow: black at 0.3, blurred about 16 points, 8 points down.
    QRadialGradient shadow(QPointF(0, 8), r + 16);
    shadow.setColorAt(r / (r + 16) * 0.85, QColor::fromRgbF(0, 0, 0, 0.3f));
    shadow.setColorAt(1, QColor::fromRgbF(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(0, 8), r + 16, r + 16);

    QLinearGradient fill(circle.topLeft(), circle.bottomRight());
    fill.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.25f));
    fill.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0.05f));
    p.setBrush(fill);
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.3f), 2));
    p.drawEllipse(circle.adjusted(1, 1, -1, -1));

    p.setPen(Qt::white);
    p.setFont(ViewFonts::system(30, QFont::Bold));
    p.drawText(circle, Qt::AlignCenter, initials_);
}

}  // namespace clicktrove
