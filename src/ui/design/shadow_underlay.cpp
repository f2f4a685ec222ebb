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

namespace {
constexpr const char* kSurfaceProperty = "clicktroveShadowSurface";
// The widget a scroll area shows its content in: what lies beyond it is scrolled away, not room for a shadow.
bool isScrollViewport(const QWidget* widget) {
    return widget->objectName() == QLatin1String("qt_scrollarea_viewport");
}
}  // namespace

void ShadowUnderlay::markSurface(QWidget* widget) {
    widget->setProperty(kSurfaceProperty, true);
}

bool ShadowUnderlay::isSurface(const QWidget* widget) {
    return widget->property(kSurfaceProperty).toBool();
}

QList<QWidget*> ShadowUnderlay::ancestors() const {
    QList<QWidget*> chain;
    if (!target_) return chain;
    for (QWidget* w = target_->parentWidget(); w != nullptr; w = w->parentWidget()) {
        chain.push_back(w);
        if (isSurface(w) || w->isWindow() || w->parentWidget() == nullptr || isScrollViewport(w->parentWidget())) {
            break;
        }
    }
    return chain;
}

QRect ShadowUnderlay::reachIn(const QWidget* host) const {
    DropShadow widest = shadow_;
    widest.radius = std::max(shadow_.radius, reservedRadius_);
    return QRect(target_->mapTo(host, QPoint(0, 0)), target_->size()).marginsAdded(widest.reach());
}

QWidget* ShadowUnderlay::host() const {
    const QList<QWidget*> chain = ancestors();
    if (chain.isEmpty()) return target_.data();
    for (QWidget* w : chain) {
        if (w->rect().contains(reachIn(w))) return w;
    }
    return chain.back();
}

void ShadowUnderlay::watchAncestors() {
    for (const auto& w : watched_) {
        if (w) w->removeEventFilter(this);
    }
    watched_.clear();
    for (QWidget* w : ancestors()) {
        w->installEventFilter(this);
        watched_.push_back(w);
    }
}

void ShadowUnderlay::attach() {
    if (!target_) return;
    watchAncestors();
    follow();
}

void ShadowUnderlay::follow() {
    if (!target_) return;
    QWidget* const parent = host();
    if (parentWidget() != parent) setParent(parent);
    if (parent == target_) {
        hide();
        return;
    }
    // Under the branch that holds the widget, so that it paints on what lies behind that branch.
    QWidget* branch = target_;
    while (branch->parentWidget() != parent) branch = branch->parentWidget();
    stackUnder(branch);
    DropShadow widest = shadow_;
    widest.radius = std::max(shadow_.radius, reservedRadius_);
    margins_ = widest.reach();
    setGeometry(reachIn(parent));
    setVisible(target_->isVisibleTo(parent));
}

bool ShadowUnderlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_ || watched_.contains(qobject_cast<QWidget*>(watched))) {
        switch (event->type()) {
            case QEvent::ParentChange:
                attach();
                break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::ShowToParent:
            case QEvent::HideToParent:
            case QEvent::ZOrderChange:
                follow();
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
