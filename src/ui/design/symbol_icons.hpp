#pragma once

#include "ui/design/symbol_table.hpp"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

namespace clicktrove {

// Draws the symbols of the process-wide SymbolTable (the standard one) as icons: the theme's icon where the
// current icon theme has one, else the entry's glyph. Icons are drawn as monochrome silhouettes in the colour of
// their place, like the text beside them.
class SymbolIcons {
public:
    // Every known symbol, in table order.
    static const std::vector<SymbolIcon>& table();
    // Adds or replaces an entry. Main thread only.
    static void registerSymbol(const SymbolIcon& entry);

    static bool isKnown(const QString& symbol);
    // The freedesktop name; empty for an unknown symbol.
    static QString themeIconName(const QString& symbol);
    // Never empty: unknown symbols get a neutral dot.
    static QString fallbackGlyph(const QString& symbol);
    // The theme's icon, or a null icon when the current icon theme has none.
    static QIcon themeIcon(const QString& symbol);

    // Draws the symbol centred in box: the theme icon tinted with color at the font's pixel size, or the glyph in
    // the font. The font gives size and weight, as a symbol takes them from the text it sits with.
    static void paint(QPainter& painter, const QRectF& box, const QString& symbol, const QColor& color,
                      const QFont& font);
    // The same drawing as a pixmap of the font's line height square, for labels and item views.
    static QPixmap pixmap(const QString& symbol, const QColor& color, const QFont& font, qreal devicePixelRatio = 1.0);
    // The side of the square a symbol takes in the given font.
    static qreal extent(const QFont& font);
    // An icon for QAction/QAbstractButton use (menus, tool buttons), tinted with color.
    static QIcon icon(const QString& symbol, const QColor& color, const QFont& font);
};

}  // namespace clicktrove
