#include "ui/screens/accent_swatch.hpp"

#include "services/accent_colors.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/screens/view_style.hpp"

#include <QFontMetrics>
#include <QPainter>

namespace clicktrove {

namespace {

constexpr int kCircle = 28;
constexpr int kSpacing = 4;

QFont nameFont() {
    return designFont(9);
}

}  // namespace

AccentSwatch::AccentSwatch(AccentThemeColor color, QWidget* parent) : QAbstractButton(parent), color_(color) {
    const auto name = rawValue(color);
    setText(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void AccentSwatch::setSelected(bool selected) {
    selected_ = selected;
    setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    update();
}

QSize AccentSwatch::sizeHint() const {
    const QFontMetrics metrics(nameFont());
    // Two points either side keep the selection ring clear of the clip.
    return {std::max(kCircle + 4, metrics.horizontalAdvance(text())), kCircle + 4 + kSpacing + metrics.height()};
}

void AccentSwatch::paintEvent(QPaintEvent*) {
    const bool dark = view_style::isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle((width() - kCircle) / 2.0, 2, kCircle, kCircle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accentColor(color_, dark));
    painter.drawEllipse(circle);
    if (selected_) {
        const QFont checkFont = designFont(10, QFont::Bold);
        const qreal extent = SymbolIcons::extent(checkFont);
        SymbolIcons::paint(painter, QRectF(circle.center() - QPointF(extent / 2, extent / 2), QSizeF(extent, extent)),
                           QStringLiteral("checkmark"), Qt::white, checkFont);
        QColor ring(Qt::white);
        ring.setAlphaF(0.6);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(ring, 2));
        painter.drawEllipse(circle);
    }
    // Around the colour, in the space its selection ring keeps clear; in the text colour, as the swatch itself is
    // one of the accents.
    if (focus_ring::isShown(*this)) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(ThemeColors::textPrimary(dark), focus_ring::kWidth));
        painter.drawEllipse(circle.adjusted(-1, -1, 1, 1));
    }
    painter.setPen(ThemeColors::textSecondary(dark));
    painter.setFont(nameFont());
    painter.drawText(QRectF(0, circle.bottom() + 2 + kSpacing, width(), height() - circle.bottom() - 2 - kSpacing),
                     Qt::AlignHCenter | Qt::AlignTop, text());
}

}  // namespace clicktrove
