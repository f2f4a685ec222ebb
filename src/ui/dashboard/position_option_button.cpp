#include "ui/dashboard/position_option_button.hpp"

#include "services/accent_colors.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPainter>
#include <QStyleOptionButton>
#include <cmath>

namespace clicktrove {

namespace {

constexpr int kSpacing = 6;

QFont optionFont(bool selected) {
    return designFont(12, selected ? QFont::Medium : QFont::Normal);
}

}  // namespace

PositionOptionButton::PositionOptionButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setObjectName(text);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

void PositionOptionButton::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    updateGeometry();
    update();
}

void PositionOptionButton::setAccent(AccentThemeColor accent) {
    if (accent == accent_) return;
    accent_ = accent;
    update();
}

QSize PositionOptionButton::sizeHint() const {
    const QFont f = optionFont(true);
    const int box = DesignControlStyle::kBoxSize;
    return {box + kSpacing + QFontMetrics(f).horizontalAdvance(text()) + 2 + 2 * kRingRoom,
            std::max(box, QFontMetrics(f).height()) + 2 * kRingRoom};
}

void PositionOptionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) p.setOpacity(0.75);
    const QFont f = optionFont(selected_);
    // The same ring and dot as the radio buttons of the cards, in the accent while selected.
    const int side = DesignControlStyle::kIndicatorSize;
    const QRect box(kRingRoom - DesignControlStyle::kIndicatorRingRoom, (height() - side) / 2, side, side);
    QStyleOptionButton indicator;
    indicator.initFrom(this);
    indicator.rect = box;
    indicator.state = QStyle::State_Enabled | (selected_ ? QStyle::State_On : QStyle::State_Off);
    if (isDown()) indicator.state |= QStyle::State_Sunken;
    indicator.palette.setColor(QPalette::Highlight, accentColor(accent_, ThemeAppearance::isDarkFor(this)));
    DesignControlStyle::instance().drawPrimitive(QStyle::PE_IndicatorRadioButton, &indicator, &p, this);
    p.setFont(f);
    p.setPen(selected_ ? ThemeColors::textPrimary() : ThemeColors::textSecondary());
    const qreal textLeft = kRingRoom + DesignControlStyle::kBoxSize + kSpacing;
    p.drawText(QRectF(textLeft, 0, width() - textLeft - kRingRoom, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    focus_ring::paint(p, *this, QRectF(rect()), 5);
}

}  // namespace clicktrove
