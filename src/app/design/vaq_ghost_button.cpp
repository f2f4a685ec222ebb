#include "app/design/vaq_ghost_button.hpp"

#include "app/design/design_font.hpp"
#include "app/design/rounded_shape.hpp"
#include "app/design/symbol_icons.hpp"
#include "app/design/theme_appearance.hpp"
#include "app/design/theme_colors.hpp"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>
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
    : QAbstractButton(parent),
      label_(std::move(label)),
      symbol_(std::move(icon)),
      color_(std::move(color)),
      action_(std::move(action)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setText(label_);

    animation_ = new QVariantAnimation(this);
    animation_->setDuration(kHoverDurationMs);
    animation_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_) action_();
    });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { update(); });
}

VaqGhostButton::VaqGhostButton(QWidget* parent)
    : VaqGhostButton(QString(), QString(), ThemeColors::vaqTextSecondary(), nullptr, parent) {}

void VaqGhostButton::setLabel(const QString& label) {
    if (label == label_) return;
    label_ = label;
    setText(label_);
    updateGeometry();
    update();
}

void VaqGhostButton::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    updateGeometry();
    update();
}

void VaqGhostButton::setColor(const AdaptiveColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void VaqGhostButton::setAction(std::function<void()> action) {
    action_ = std::move(action);
}

VaqGhostButton::Look VaqGhostButton::lookFor(bool hovered, bool dark) const {
    if (hovered) {
        return {ThemeColors::textPrimary(dark), ThemeColors::surfaceRaised(dark),
                withOpacity(color_.resolve(dark), 0.5)};
    }
    return {color_.resolve(dark), QColor(0, 0, 0, 0), ThemeColors::border(dark)};
}

void VaqGhostButton::setHovered(bool hovered) {
    if (hovered == isHovered_) return;
    isHovered_ = hovered;
    animation_->stop();
    animation_->setStartValue(progress_);
    animation_->setEndValue(hovered ? 1.0 : 0.0);
    animation_->start();
}

void VaqGhostButton::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void VaqGhostButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void VaqGhostButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) setHovered(false);
    QAbstractButton::changeEvent(event);
}

QSize VaqGhostButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal iconSide = symbol_.isEmpty() ? 0.0 : SymbolIcons::extent(iconFont());
    const qreal width =
        (symbol_.isEmpty() ? 0.0 : iconSide + kSpacing) + metrics.horizontalAdvance(label_) + 2 * kHorizontalPadding;
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
    if (!isEnabled()) {
        painter.setOpacity(0.5);
    } else if (isDown()) {
        painter.setOpacity(0.75);
    }
    const bool dark = ThemeAppearance::instance().isDark();
    const Look rest = lookFor(false, dark);
    const Look hover = lookFor(true, dark);
    const QColor foreground = mix(rest.foreground, hover.foreground, progress_);
    const QColor background = mix(rest.background, hover.background, progress_);
    const QColor border = mix(rest.border, hover.border, progress_);

    const QRectF bounds(rect());
    const QPainterPath shape = continuousRoundedRect(bounds, kCornerRadius);
    if (background.alpha() > 0) painter.fillPath(shape, background);

    const QFont icon = iconFont();
    const QFont text = labelFont();
    const qreal iconSide = symbol_.isEmpty() ? 0.0 : SymbolIcons::extent(icon);
    const qreal labelWidth = QFontMetricsF(text).horizontalAdvance(label_);
    const qreal content = (symbol_.isEmpty() ? 0.0 : iconSide + kSpacing) + labelWidth;
    // Centred, which is also where the content sits when a layout stretches the button.
    const qreal left = bounds.center().x() - content / 2;
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const qreal iconX = rtl ? left + content - iconSide : left;
    const qreal labelX = rtl ? left : left + (symbol_.isEmpty() ? 0.0 : iconSide + kSpacing);
    if (!symbol_.isEmpty()) {
        SymbolIcons::paint(painter, QRectF(iconX, bounds.center().y() - iconSide / 2, iconSide, iconSide), symbol_,
                           foreground, icon);
    }
    painter.setFont(text);
    painter.setPen(foreground);
    painter.drawText(QRectF(labelX, bounds.top(), labelWidth, bounds.height()), Qt::AlignCenter | Qt::TextSingleLine,
                     label_);

    QPen pen(border, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(borderRect(bounds), kCornerRadius));
}

}  // namespace clicktrove
