#include "ui/shell/sidebar_tab_row.hpp"

#include "services/accent_colors.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"

#include <QPainter>
#include <QPainterPath>

namespace clicktrove {

namespace {

constexpr int kPadX = 8;
constexpr int kPadY = 7;
constexpr int kTile = 30;
constexpr int kSpacing = 10;

QFont titleFont(bool selected, double scale) {
    return designFont(12 * scale, selected ? QFont::Bold : QFont::Medium, FontDesign::rounded);
}

}  // namespace

SidebarTabRow::SidebarTabRow(MainViewTab tab, QWidget* parent) : QAbstractButton(parent), tab_(tab) {
    const QString text = QString::fromUtf8(title(tab).data(), static_cast<int>(title(tab).size()));
    setText(text);
    setObjectName(text);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

void SidebarTabRow::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    update();
}

void SidebarTabRow::setAccent(AccentThemeColor accent) {
    if (accent == accent_) return;
    accent_ = accent;
    update();
}

QSize SidebarTabRow::sizeHint() const {
    return {kPadX * 2 + kTile + kSpacing + QFontMetrics(titleFont(true, 1)).horizontalAdvance(text()),
            kPadY * 2 + kTile};
}

QSize SidebarTabRow::minimumSizeHint() const {
    return {kPadX * 2 + kTile + kSpacing, kPadY * 2 + kTile};
}

void SidebarTabRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor accent = accentColor(accent_, ThemeAppearance::instance().isDark());
    if (selected_) {
        const QPainterPath path = continuousRoundedRect(bounds, 10);
        p.fillPath(path, withOpacity(accent, 0.12));
        p.setPen(QPen(withOpacity(accent, 0.25), 1));
        p.drawPath(path);
    }

    const QRectF tile(kPadX, (height() - kTile) / 2.0, kTile, kTile);
    const QPainterPath tilePath = continuousRoundedRect(tile, 8);
    if (selected_) {
        p.fillPath(tilePath, ThemeGradient::accent(accent_).toLinearGradient(tile, layoutDirection()));
    } else {
        p.fillPath(tilePath, ThemeColors::surfaceRaised());
    }
    const QColor iconColor = selected_ ? QColor(Qt::white) : ThemeColors::textSecondary();
    SymbolIcons::paint(
        p, tile, QString::fromUtf8(clicktrove::icon(tab_).data(), static_cast<int>(clicktrove::icon(tab_).size())),
        iconColor, designFont(13, QFont::DemiBold));

    // One line: shrink to 80 % of the size before eliding.
    const int textLeft = kPadX + kTile + kSpacing;
    const int available = width() - textLeft - kPadX;
    QFont f = titleFont(selected_, 1);
    for (const double scale : {1.0, 0.95, 0.9, 0.85, 0.8}) {
        f = titleFont(selected_, scale);
        if (QFontMetrics(f).horizontalAdvance(text()) <= available) break;
    }
    p.setFont(f);
    p.setPen(selected_ ? ThemeColors::textPrimary() : ThemeColors::textSecondary());
    const QString shown = QFontMetrics(f).elidedText(text(), Qt::ElideRight, available);
    p.drawText(QRect(textLeft, 0, available, height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
    focus_ring::paint(p, *this, QRectF(rect()), 10);
}

}  // namespace clicktrove
