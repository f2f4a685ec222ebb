#include "ui/design/glass_card.hpp"

#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/straight_strip_painter.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace clicktrove {

namespace {
int margin(qreal padding) {
    return static_cast<int>(std::lround(std::max(0.0, padding)));
}
}  // namespace

GlassCard::GlassCard(std::optional<AdaptiveColor> accentGlow, qreal padding, QWidget* parent)
    : QWidget(parent), accentGlow_(std::move(accentGlow)), padding_(padding) {
    layout_ = new QVBoxLayout(this);
    layout_->setSpacing(0);
    const int m = margin(padding_);
    layout_->setContentsMargins(m, m, m, m);

    // Its surface is opaque: the shadows of what it holds lie on it, within its edges.
    ShadowUnderlay::markSurface(this);
    shadow_ = new ShadowUnderlay(this, {});
    shadow_->setTargetOpaque(true);
    applyShadow();
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] {
        applyShadow();
        update();
    });
}

GlassCard* GlassCard::wrap(QWidget* content, std::optional<AdaptiveColor> accentGlow, qreal padding, QWidget* parent) {
    auto* card = new GlassCard(std::move(accentGlow), padding, parent);
    card->setContent(content);
    return card;
}

void GlassCard::setAccentGlow(const std::optional<AdaptiveColor>& accent) {
    if (accent == accentGlow_) return;
    accentGlow_ = accent;
    applyShadow();
    update();
}

void GlassCard::setPadding(qreal padding) {
    padding_ = padding;
    const int m = margin(padding_);
    layout_->setContentsMargins(m, m, m, m);
}

void GlassCard::setContent(QWidget* widget) {
    if (widget == content_) return;
    if (content_ != nullptr) {
        layout_->removeWidget(content_);
        content_->deleteLater();
    }
    content_ = widget;
    if (content_ != nullptr) layout_->addWidget(content_);
}

QLinearGradient GlassCard::borderGradient(const Look& look) const {
    // Top-leading to bottom-trailing with an accent; top to bottom (uniform anyway) without.
    const QRectF bounds(rect());
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const QPointF start = accentGlow_ ? (rtl ? bounds.topRight() : bounds.topLeft()) : bounds.topLeft();
    const QPointF end = accentGlow_ ? (rtl ? bounds.bottomLeft() : bounds.bottomRight()) : bounds.bottomLeft();
    QLinearGradient gradient(start, end);
    gradient.setColorAt(0.0, look.borderStart);
    gradient.setColorAt(1.0, look.borderEnd);
    return gradient;
}

GlassCard::Look GlassCard::lookFor(bool dark) const {
    const QColor border = ThemeColors::border(dark);
    if (accentGlow_) {
        const QColor accent = accentGlow_->resolve(dark);
        return {ThemeColors::surface(dark), withOpacity(accent, 0.04), withOpacity(accent, 0.4), border,
                withOpacity(accent, 0.12)};
    }
    return {ThemeColors::surface(dark), QColor(0, 0, 0, 0), border, border, QColor::fromRgbF(0, 0, 0, 0.3f)};
}

void GlassCard::applyShadow() {
    if (!shadow_) return;
    shadow_->setShadow({lookFor(ThemeAppearance::instance().isDark()).shadow, shadowRadius, shadowOffset, cornerRadius,
                        DropShadow::Shape::roundedRect});
}

void GlassCard::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Look look = lookFor(ThemeAppearance::instance().isDark());
    const QRectF bounds(rect());
    const QLinearGradient border = borderGradient(look);
    // A child that changes (a live chart, a pulsing dot) repaints the card under it, mostly far from the corners.
    if (paintStraightStrip(painter, rect(), cornerRadius, event->rect(), {look.surface, look.tint}, border)) return;
    const QPainterPath shape = continuousRoundedRect(bounds, cornerRadius);
    painter.fillPath(shape, look.surface);
    if (look.tint.alpha() > 0) painter.fillPath(shape, look.tint);

    QPen pen(QBrush(border), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(continuousRoundedRect(borderRect(bounds), cornerRadius));
}

}  // namespace clicktrove
