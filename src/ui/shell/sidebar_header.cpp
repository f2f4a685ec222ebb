#include "ui/shell/sidebar_header.hpp"

#include "services/accent_colors.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPainterPath>

// Resources of a static library are not linked in unless something names them; this must sit outside any
// namespace.
static void initAppIconResource() {
    Q_INIT_RESOURCE(services_resources);
}

namespace clicktrove {

namespace {

constexpr int kTop = 28;
constexpr int kBottom = 24;
constexpr int kIcon = 48;
constexpr int kSpacing = 12;
constexpr const char* kBundledIcon = ":/clicktrove/icons/clicktrove.svg";

QFont nameFont() {
    return designFont(14, QFont::Black, FontDesign::rounded);
}

// A soft shadow: rounded rectangles growing outwards with falling opacity.
void paintShadow(QPainter& p, const QRectF& rect, double radius, const QColor& color, double blur) {
    const int steps = 6;
    for (int i = steps; i >= 1; --i) {
        const double grow = blur * i / steps;
        const QPainterPath path = continuousRoundedRect(rect.adjusted(-grow, -grow, grow, grow), radius + grow);
        p.fillPath(path, withOpacity(color, 1.0 / (steps + 1)));
    }
}

}  // namespace

SidebarHeader::SidebarHeader(QWidget* parent) : QWidget(parent), appIcon_(findAppIcon()) {
    setObjectName("SidebarHeader");
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

QIcon SidebarHeader::findAppIcon() {
    initAppIconResource();
    if (QFile::exists(kBundledIcon)) return QIcon(kBundledIcon);
    return QApplication::windowIcon();
}

void SidebarHeader::setAccent(AccentThemeColor accent) {
    if (accent == accent_) return;
    accent_ = accent;
    update();
}

QSize SidebarHeader::sizeHint() const {
    return {kIcon, kTop + kIcon + kSpacing + QFontMetrics(nameFont()).height() + kBottom};
}

void SidebarHeader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = accentColor(accent_, ThemeAppearance::instance().isDark());
    const ThemeGradient gradient = ThemeGradient::accent(accent_);
    const QRectF iconRect((width() - kIcon) / 2.0, kTop, kIcon, kIcon);
    if (!appIcon_.isNull()) {
        paintShadow(p, iconRect.translated(0, 4), 10, withOpacity(accent, 0.3), 8);
        p.save();
        p.setClipPath(continuousRoundedRect(iconRect, 10));
        appIcon_.paint(&p, iconRect.toRect());
        p.restore();
    } else {
        QPainterPath circle;
        circle.addEllipse(iconRect);
        p.fillPath(circle, gradient.toLinearGradient(iconRect, layoutDirection()));
        SymbolIcons::paint(p, iconRect, "cursorarrow.click.badge.clock", Qt::white, designFont(20, QFont::DemiBold));
    }

    const QRectF nameRect(0, iconRect.bottom() + kSpacing, width(), QFontMetrics(nameFont()).height());
    p.setFont(nameFont());
    p.setPen(QPen(QBrush(gradient.toLinearGradient(nameRect, layoutDirection())), 1));
    p.drawText(nameRect, Qt::AlignCenter, tr("Clicktrove"));
}

}  // namespace clicktrove
