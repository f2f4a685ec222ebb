#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace clicktrove {

// Icons for the symbol names the screens use: a glyph drawn in one colour for the few shapes that must read
// the same on every desktop (run controls, the permission screen's hand and arrow), otherwise the icon
// theme's nearest icon, otherwise a plain dot.
QPixmap symbolPixmap(const char* symbolName, int size, const QColor& color, qreal devicePixelRatio = 1.0);
QIcon symbolIcon(const char* symbolName, const QColor& color, int size = 32);

}  // namespace clicktrove
