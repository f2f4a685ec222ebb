#include "app/design/vaq_primary_button.hpp"

#include "app/design/design_font.hpp"
#include "app/design/hover_spring.hpp"
#include "app/design/rounded_shape.hpp"
#include "app/design/soft_shadow_effect.hpp"
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
    : QAbstractButton(parent),
      label_(std::move(label)),
      symbol_(std::move(icon)),
      gradient_(std::move(gradient)),
      action_(std::move(action)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setText(label_);  // for accessibility and QAbstractButton's mnemonic handling

    shadow_ = new SoftShadowEffect(this);
    shadow_->setCornerRadius(kCornerRadius);
    shadow_->setOffset(kShadowOffset);
    setGraphicsEffect(shadow_);

    animation_ = new QVariantAnimation(this);
    animation_->setDuration(hoverSpringDurationMs);
    animation_->setEasingCurve(hoverSpringCurve());
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { applyProgress(value.toReal()); });
    applyProgress(0.0);

    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_) action_();
    });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { update(); });
}

VaqPrimaryButton::VaqPrimaryButton(QWidget* parent)
    : VaqPrimaryButton(QString(), QString(), ThemeGradient::vaqGreen(), nullptr, parent) {}

void VaqPrimaryButton::setLabel(const QString& label) {
    if (label == label_) return;
    label_ = label;
    setText(label_);
    updateGeometry();
    update();
}

void VaqPrimaryButton::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    updateGeometry();
    update();
}

void VaqPrimaryButton::setGradient(const ThemeGradient& gradient) {
    if (gradient == gradient_) return;
    gradient_ = gradient;
    update();
}

void VaqPrimaryButton::setAction(std::function<void()> action) {
    action_ = std::move(action);
}

VaqPrimaryButton::Look VaqPrimaryButton::lookFor(bool hovered) {
    return hovered ? Look{0.98, 14.0, 0.5} : Look{1.0, 8.0, 0.3};
}

VaqPrimaryButton::Look VaqPrimaryButton::currentLook() const {
    const Look rest = lookFor(false);
    const Look hover = lookFor(true);
    const auto mix = [&](qreal a, qreal b) { return a + (b - a) * progress_; };
    return {mix(rest.scale, hover.scale), std::max(0.0, mix(rest.shadowRadius, hover.shadowRadius)),
            std::clamp(mix(rest.shadowOpacity, hover.shadowOpacity), 0.0, 1.0)};
}

void VaqPrimaryButton::applyProgress(qreal progress) {
    progress_ = progress;
    const Look look = currentLook();
    shadow_->setColor(withOpacity(ThemeColors::purple(), look.shadowOpacity));
    shadow_->setRadius(look.shadowRadius);
    shadow_->setShapeScale(look.scale);
    update();
}

void VaqPrimaryButton::setHovered(bool hovered) {
    if (hovered == isHovered_) return;
    isHovered_ = hovered;
    // From wherever the spring is now, so a quick in-and-out reverses smoothly.
    animation_->stop();
    animation_->setStartValue(progress_);
    animation_->setEndValue(hovered ? 1.0 : 0.0);
    animation_->start();
}

void VaqPrimaryButton::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void VaqPrimaryButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void VaqPrimaryButton::changeEvent(QEvent* event) {
    // A disabled button gets no leave event when the pointer goes, so it must not stay hovered.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) setHovered(false);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange) updateGeometry();
    QAbstractButton::changeEvent(event);
}

QSize VaqPrimaryButton::sizeHint() const {
    const QFontMetricsF labelMetrics(labelFont());
    const qreal iconSide = symbol_.isEmpty() ? 0.0 : SymbolIcons::extent(iconFont());
    const qreal width = (symbol_.isEmpty() ? 0.0 : iconSide + kSpacing) + labelMetrics.horizontalAdvance(label_);
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
    const bool dark = ThemeAppearance::instance().isDark();
    const Look look = currentLook();

    // The toolkit's plain-button feedback: dimmed while pressed or disabled.
    if (!isEnabled()) {
        painter.setOpacity(0.5);
    } else if (isDown()) {
        painter.setOpacity(0.75);
    }

    const QRectF bounds(rect());
    painter.translate(bounds.center());
    painter.scale(look.scale, look.scale);
    painter.translate(-bounds.center());

    painter.fillPath(continuousRoundedRect(bounds, kCornerRadius),
                     gradient_.toLinearGradient(bounds, dark, layoutDirection()));

    const QFont icon = iconFont();
    const QFont text = labelFont();
    const QFontMetricsF metrics(text);
    const qreal iconSide = symbol_.isEmpty() ? 0.0 : SymbolIcons::extent(icon);
    const qreal labelWidth = metrics.horizontalAdvance(label_);
    const qreal content = (symbol_.isEmpty() ? 0.0 : iconSide + kSpacing) + labelWidth;
    // Centred; when the button is narrower than its content the row is clipped at both sides alike.
    qreal x = bounds.center().x() - content / 2;
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    QRectF iconBox, labelBox;
    if (!symbol_.isEmpty()) {
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
    if (!symbol_.isEmpty()) SymbolIcons::paint(painter, iconBox, symbol_, Qt::white, icon);
    painter.setFont(text);
    painter.setPen(Qt::white);
    painter.drawText(labelBox, Qt::AlignCenter | Qt::TextSingleLine, label_);
}

}  // namespace clicktrove
