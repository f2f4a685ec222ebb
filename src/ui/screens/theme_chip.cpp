#include "ui/screens/theme_chip.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/screens/view_style.hpp"

#include <QFontMetrics>
#include <QPainter>

namespace clicktrove {

namespace {

constexpr int kPadX = 14;
constexpr int kPadY = 7;

QString themeLabel(AppTheme theme) {
    const auto text = rawValue(theme);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ThemeChip::ThemeChip(AppTheme theme, QWidget* parent) : QAbstractButton(parent), theme_(theme) {
    setText(themeLabel(theme));
    setFont(designFont(12, QFont::DemiBold));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ThemeChip::setState(bool selected, AccentThemeColor accent) {
    selected_ = selected;
    accent_ = accent;
    setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    update();
}

QSize ThemeChip::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPadX, metrics.height() + 2 * kPadY};
}

void ThemeChip::paintEvent(QPaintEvent*) {
    const bool dark = view_style::isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    const QPainterPath shape = continuousRoundedRect(box, 8);
    if (selected_) {
        painter.fillPath(shape, ThemeGradient::accent(accent_).toLinearGradient(box, dark, layoutDirection()));
    } else {
        painter.fillPath(shape, ThemeColors::surfaceRaised(dark));
    }
    painter.setPen(selected_ ? QColor(Qt::white) : ThemeColors::textSecondary(dark));
    painter.setFont(font());
    painter.drawText(box, Qt::AlignCenter, text());
    focus_ring::paint(painter, *this, box, 8, selected_);
}

}  // namespace clicktrove
