#pragma once

#include "services/accent_theme_color.hpp"

#include <QColor>
#include <QLinearGradient>
#include <QRectF>

namespace clicktrove {

// The named system colour of that hue, in its light-appearance or dark-appearance variant (sRGB).
QColor accentColor(AccentThemeColor color, bool darkAppearance);

// The accent colour fading to 70 % of its opacity, from the top-leading to the bottom-trailing corner of rect.
QLinearGradient accentGradient(AccentThemeColor color, bool darkAppearance, const QRectF& rect,
                               Qt::LayoutDirection direction = Qt::LeftToRight);

}  // namespace clicktrove
