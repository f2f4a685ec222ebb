#include "ui/design/vaq_primary_button.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/hover_spring.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_underlay.hpp"
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
constexpr qreal kSpacing = 8.0;
constexpr qreal kVerticalPadding = 12.0;
constexpr qreal kCornerRadius = 12.0;
constexpr QPointF kShadowOffset{0.0, 4.0};

QFont iconFont() {
    return designFont(14, QFont::Bold);
}
QFont labelFont() {
    return designFont(14, QFont::Bold, FontDesign::rounded);
}
}  // namespace

VaqPrimaryButton::VaqPrimaryButton(QString label, QString icon, ThemeGradient gradient, std::function<void()> action,
                                   QWidget* parent)
    : HoverButton(std::move(label), std::move(icon), std::move(action), hoverSpringDurationMs, hoverSpringCurve(),
                  parent),
      gradient_(std::move(gradient)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    shadow_ = new ShadowUnderlay(this, {QColor(Qt::transparent), lookFor(false).shadowRadius, kShadowOffset,
                                        kCornerRadius, DropShadow::Shape::roundedRect});
    // The hover spring only repaints the shadow, never moves it.
    shadow_->reserveRadius(lookFor(true).shadowRadius * 1.1);

    hoverProgressChanged();
}

VaqPrimaryButton::VaqPrimaryButton(QWidget* parent)
    : VaqPrimaryButton(QString(), QString(), ThemeGradient::vaqGreen(), nullptr, parent) {}

void VaqPrimaryButton::setGradient(const ThemeGradient& gradient) {
    if (gradient == gradient_) return;
    gradient_ = gradient;
    update();
}

VaqPrimaryButton::Look VaqPrimaryButton::lookFor(bool hovered) {
    return hovered ? Look{0.98, 14.0, 0.5} : Look{1.0, 8.0, 0.3};
}

VaqPrimaryButton::Look VaqPrimaryButton::currentLook() const {
    const Look rest = lookFor(false);
    const Look hover = lookFor(true);
    const auto mix = [&](qreal a, qreal b) { return a + (b - a) * hoverProgress(); };
    return {mix(rest.scale, hover.scale), std::max(0.0, mix(rest.shadowRadius, hover.shadowRadius)),
            std::clamp(mix(rest.shadowOpacity, hover.shadowOpacity), 0.0, 1.0)};
}

void VaqPrimaryButton::hoverProgressChanged() {
    const Look look = currentLook();
    if (shadow_) {
        DropShadow shadow = shadow_->shadow();
        // A dimmed button's body lets what lies beneath show through, and a shadow there would tint it purple: it
        // casts none.
        shadow.color = withOpacity(ThemeColors::purple(), dimming() < 1.0 ? 0.0 : look.shadowOpacity);
        shadow.radius = look.shadowRadius;
        shadow_->setShadow(shadow);
        shadow_->setShapeScale(look.scale);
    }
    update();
}

QSize VaqPrimaryButton::sizeHint() const {
    const QFontMetricsF labelMetrics(labelFont());
    const qreal iconSide = symbol().isEmpty() ? 0.0 : SymbolIcons::extent(iconFont());
    const qreal width = (symbol().isEmpty() ? 0.0 : iconSide + kSpacing) + labelMetrics.horizontalAdvance(label());
    const qreal height = std::max(labelMetrics.height(), iconSide) + 2 * kVerticalPadding;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize VaqPrimaryButton::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void VaqPrimaryButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const bool dark = ThemeAppearance::isDarkFor(this);
    const Look look = currentLook();

    // The toolkit's plain-button feedback: dimmed while pressed or disabled.
    painter.setOpacity(paintOpacity());

    const QRectF bounds(rect());
    painter.translate(bounds.center());
    painter.scale(look.scale, look.scale);
    painter.translate(-bounds.center());

    painter.fillPath(continuousRoundedRect(bounds, kCornerRadius),
                     gradient_.toLinearGradient(bounds, dark, layoutDirection()));

    const QFont icon = iconFont();
    const QFont text = labelFont();
    const QFontMetricsF metrics(text);
    const qreal iconSide = symbol().isEmpty() ? 0.0 : SymbolIcons::extent(icon);
    const qreal labelWidth = metrics.horizontalAdvance(label());
    const qreal content = (symbol().isEmpty() ? 0.0 : iconSide + kSpacing) + labelWidth;
    // Centred; when the button is narrower than its content the row is clipped at both sides alike.
    qreal x = bounds.center().x() - content / 2;
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    QRectF iconBox, labelBox;
    if (!symbol().isEmpty()) {
        iconBox = QRectF(x, bounds.center().y() - iconSide / 2, iconSide, iconSide);
        x += iconSide + kSpacing;
    }
    labelBox = QRectF(x, bounds.top(), labelWidth, bounds.height());
    if (rtl) {
        // Leading is on the right: mirror both boxes about the centre.
        const auto mirror = [&](QRectF r) {
            r.moveLeft(2 * bounds.center().x() - r.right());
            return r;
        };
        iconBox = mirror(iconBox);
        labelBox = mirror(labelBox);
    }
    if (!symbol().isEmpty()) SymbolIcons::paint(painter, iconBox, symbol(), Qt::white, icon);
    painter.setFont(text);
    painter.setPen(Qt::white);
    painter.drawText(labelBox, Qt::AlignCenter | Qt::TextSingleLine, label());
    focus_ring::paint(painter, *this, bounds, kCornerRadius, true);
}

}  // namespace clicktrove
