#include "ui/design/shadow_underlay.hpp"

#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_pixmap_cache.hpp"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace clicktrove {

ShadowUnderlay::ShadowUnderlay(QWidget* target, const DropShadow& shadow)
    : QWidget(target->parentWidget() != nullptr ? target->parentWidget() : target), target_(target), shadow_(shadow) {
    setObjectName(QStringLiteral("ShadowUnderlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    target->installEventFilter(this);
    // A sibling is not deleted with the widget; it goes when the widget does.
    connect(target, &QObject::destroyed, this, [this] { delete this; });
    attach();
}

void ShadowUnderlay::setShadow(const DropShadow& shadow) {
    if (shadow == shadow_) return;
    const bool moves = shadow.reach() != shadow_.reach();
    shadow_ = shadow;
    if (moves) follow();
    update();
}

void ShadowUnderlay::setShapeScale(qreal scale) {
    if (qFuzzyCompare(scale, scale_)) return;
    scale_ = scale;
    update();
}

void ShadowUnderlay::reserveRadius(qreal radius) {
    if (qFuzzyCompare(radius + 1.0, reservedRadius_ + 1.0)) return;
    reservedRadius_ = radius;
    follow();
}

QRectF ShadowUnderlay::shapeRect() const {
    if (!target_) return {};
    const QSizeF size = QSizeF(target_->size()) * scale_;
    // Whole pixels, so the shadow's edges stay as crisp as the widget's.
    const QSizeF whole(std::round(size.width()), std::round(size.height()));
    const QPointF centre(margins_.left() + target_->width() / 2.0, margins_.top() + target_->height() / 2.0);
    return {QPointF(std::round(centre.x() - whole.width() / 2), std::round(centre.y() - whole.height() / 2)), whole};
}

void ShadowUnderlay::attach() {
    QWidget* parent = target_->parentWidget() != nullptr ? target_->parentWidget() : target_.data();
    if (parentWidget() != parent) setParent(parent);
    if (parent != target_) stackUnder(target_);
    follow();
}

void ShadowUnderlay::follow() {
    if (!target_ || parentWidget() == target_) {
        hide();
        return;
    }
    DropShadow widest = shadow_;
    widest.radius = std::max(shadow_.radius, reservedRadius_);
    margins_ = widest.reach();
    setGeometry(target_->geometry().marginsAdded(margins_));
    setVisible(!target_->isHidden());
}

bool ShadowUnderlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
            case QEvent::ParentChange:
                attach();
                break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::ShowToParent:
            case QEvent::HideToParent:
                follow();
                break;
            case QEvent::ZOrderChange:
                if (parentWidget() == target_->parentWidget()) stackUnder(target_);
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ShadowUnderlay::paintEvent(QPaintEvent* event) {
    if (!target_ || !shadow_.isVisible()) return;
    QRegion exposed = event->region();
    if (targetOpaque_ && shadow_.shape == DropShadow::Shape::roundedRect) {
        exposed -= continuousRoundedRectInterior(shapeRect().toAlignedRect(), shadow_.cornerRadius);
        if (exposed.isEmpty()) return;
    }
    QPainter painter(this);
    painter.setClipRegion(exposed);
    ShadowPixmapCache::paint(painter, shapeRect(), shadow_);
}

}  // namespace clicktrove
