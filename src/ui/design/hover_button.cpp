#include "ui/design/hover_button.hpp"

#include "ui/design/theme_appearance.hpp"

#include <QEvent>
#include <QVariantAnimation>
#include <utility>

namespace clicktrove {

HoverButton::HoverButton(QString label, QString icon, std::function<void()> action, int hoverDurationMs,
                         const QEasingCurve& curve, QWidget* parent)
    : QAbstractButton(parent), label_(std::move(label)), symbol_(std::move(icon)), action_(std::move(action)) {
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setText(label_);  // for accessibility and QAbstractButton's mnemonic handling

    animation_ = new QVariantAnimation(this);
    animation_->setDuration(hoverDurationMs);
    animation_->setEasingCurve(curve);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toReal();
        hoverProgressChanged();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_) action_();
    });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { update(); });
}

void HoverButton::setLabel(const QString& label) {
    if (label == label_) return;
    label_ = label;
    setText(label_);
    updateGeometry();
    update();
}

void HoverButton::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    updateGeometry();
    update();
}

void HoverButton::setAction(std::function<void()> action) {
    action_ = std::move(action);
}

void HoverButton::setDimming(qreal opacity) {
    if (qFuzzyCompare(opacity, dimming_)) return;
    dimming_ = opacity;
    hoverProgressChanged();
}

qreal HoverButton::paintOpacity() const {
    if (!isEnabled()) return dimming_ * 0.5;
    if (isDown()) return dimming_ * 0.75;
    return dimming_;
}

void HoverButton::hoverProgressChanged() {
    update();
}

void HoverButton::setHovered(bool hovered) {
    if (hovered == isHovered_) return;
    isHovered_ = hovered;
    animation_->stop();
    animation_->setStartValue(progress_);
    animation_->setEndValue(hovered ? 1.0 : 0.0);
    animation_->start();
}

void HoverButton::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void HoverButton::changeEvent(QEvent* event) {
    // A disabled button gets no leave event when the pointer goes, so it must not stay hovered.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) setHovered(false);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange) updateGeometry();
    QAbstractButton::changeEvent(event);
}

}  // namespace clicktrove
