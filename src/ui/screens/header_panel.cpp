#include "ui/screens/header_panel.hpp"

#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPainter>

namespace clicktrove {

HeaderPanel::HeaderPanel(QWidget* parent) : QWidget(parent) {
    setContentsMargins(20, 20, 20, 20);
    // An opaque panel: the shadow of its Add Current or Export button lies on it.
    ShadowUnderlay::markSurface(this);
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { update(); });
}

void HeaderPanel::paintEvent(QPaintEvent*) {
    const bool dark = ThemeAppearance::instance().isDark();
    QPainter painter(this);
    painter.fillRect(rect(), ThemeColors::surface(dark));
    painter.fillRect(QRect(0, height() - 1, width(), 1), ThemeColors::border(dark));
}

}  // namespace clicktrove
