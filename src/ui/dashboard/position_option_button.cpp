#include "ui/dashboard/position_option_button.hpp"

#include "services/accent_colors.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPainter>
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
    const int symbol = static_cast<int>(std::ceil(SymbolIcons::extent(f)));
    return {symbol + kSpacing + QFontMetrics(f).horizontalAdvance(text()) + 2,
            std::max(symbol, QFontMetrics(f).height())};
}

void PositionOptionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) p.setOpacity(0.75);
    const QFont f = optionFont(selected_);
    const qreal symbol = SymbolIcons::extent(f);
    const QRectF box(0, (height() - symbol) / 2, symbol, symbol);
    if (selected_) {
        SymbolIcons::paint(p, box, "largecircle.fill.circle",
                           accentColor(accent_, ThemeAppearance::instance().isDark()), f);
    } else {
        SymbolIcons::paint(p, box, "circle", ThemeColors::textSecondary(), f);
    }
    p.setFont(f);
    p.setPen(selected_ ? ThemeColors::textPrimary() : ThemeColors::textSecondary());
    p.drawText(QRectF(symbol + kSpacing, 0, width() - symbol - kSpacing, height()), Qt::AlignLeft | Qt::AlignVCenter,
               text());
}

}  // namespace clicktrove
