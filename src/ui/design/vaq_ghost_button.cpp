#include "ui/design/vaq_ghost_button.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>
#include <utility>

namespace clicktrove {

namespace {
constexpr qreal kSpacing = 6.0;
constexpr qreal kHorizontalPadding = 12.0;
constexpr qreal kVerticalPadding = 7.0;
constexpr qreal kCornerRadius = 8.0;
constexpr int kHoverDurationMs = 150;

QFont iconFont() {
    return designFont(12, QFont::DemiBold);
}
QFont labelFont() {
    return designFont(12, QFont::DemiBold, FontDesign::rounded);
}

QColor mix(const QColor& a, const QColor& b, qreal t) {
    const auto lerp = [t](float x, float y) { return x + (y - x) * static_cast<float>(t); };
    // Mix premultiplied, so fading from transparent does not pass through a dark fringe.
    const float aa = a.alphaF(), ba = b.alphaF();
    const float alpha = lerp(aa, ba);
    if (alpha <= 0.0f) return QColor(0, 0, 0, 0);
    return QColor::fromRgbF(lerp(a.redF() * aa, b.redF() * ba) / alpha, lerp(a.greenF() * aa, b.greenF() * ba) / alpha,
                            lerp(a.blueF() * aa, b.blueF() * ba) / alpha, alpha);
}
}  // namespace

VaqGhostButton::VaqGhostButton(QString label, QString icon, AdaptiveColor color, std::function<void()> action,
                               QWidget* parent)
    : HoverButton(std::move(label), std::move(icon), std::move(action), kHoverDurationMs, QEasingCurve::InOutQuad,
                  parent),
      color_(std::move(color)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

VaqGhostButton::VaqGhostButton(QWidget* parent)
    : VaqGhostButton(QString(), QString(), ThemeColors::vaqTextSecondary(), nullptr, parent) {}

void VaqGhostButton::setColor(const AdaptiveColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

VaqGhostButton::Look VaqGhostButton::lookFor(bool hovered, bool dark) const {
    if (hovered) {
        return {ThemeColors::textPrimary(dark), ThemeColors::surfaceRaised(dark),
                withOpacity(color_.resolve(dark), 0.5)};
    }
    return {color_.resolve(dark), QColor(0, 0, 0, 0), ThemeColors::border(dark)};
}

QSize VaqGhostButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal iconSide = symbol().isEmpty() ? 0.0 : SymbolIcons::extent(iconFont());
    const qreal width =
        (symbol().isEmpty() ? 0.0 : iconSide + kSpacing) + metrics.horizontalAdvance(label()) + 2 * kHorizontalPadding;
    const qreal height = std::max(metrics.height(), iconSide) + 2 * kVerticalPadding;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize VaqGhostButton::minimumSizeHint() const {
    return sizeHint();
}

void VaqGhostButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(paintOpacity());
    const bool dark = ThemeAppearance::isDarkFor(this);
    const Look rest = lookFor(false, dark);
    const Look hover = lookFor(true, dark);
    const QColor foreground = mix(rest.foreground, hover.foreground, hoverProgress());
    const QColor background = mix(rest.background, hover.background, hoverProgress());
    const QColor border = mix(rest.border, hover.border, hoverProgress());

    const QRectF bounds(rect());
    const QPainterPath shape = continuousRoundedRect(bounds, kCornerRadius);
    if (background.alpha() > 0) painter.fillPath(shape, background);

    const QFont icon = iconFont();
    const QFont text = labelFont();
    const qreal iconSide = symbol().isEmpty() ? 0.0 : SymbolIcons::extent(icon);
    const qreal labelWidth = QFontMetricsF(text).horizontalAdvance(label());
    const qreal content = (symbol().isEmpty() ? 0.0 : iconSide + kSpacing) + labelWidth;
    // Centred, which is also where the content sits when a layout stretches the button.
    const qreal left = bounds.center().x() - content / 2;
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const qreal iconX = rtl ? left + content - iconSide : left;
    const qreal labelX = rtl ? left : left + (symbol().isEmpty() ? 0.0 : iconSide + kSpacing);
    if (!symbol().isEmpty()) {
        SymbolIcons::paint(painter, QRectF(iconX, bounds.center().y() - iconSide / 2, iconSide, iconSide), symbol(),
                           foreground, icon);
    }
    painter.setFont(text);
    painter.setPen(foreground);
    painter.drawText(QRectF(labelX, bounds.top(), labelWidth, bounds.height()), Qt::AlignCenter | Qt::TextSingleLine,
                     label());

    QPen pen(border, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(borderRect(bounds), kCornerRadius));
    focus_ring::paint(painter, *this, bounds, kCornerRadius);
}

}  // namespace clicktrove
