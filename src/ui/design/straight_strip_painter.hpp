#pragma once

#include <QBrush>
#include <QColor>
#include <QRect>
#include <initializer_list>

class QPainter;

namespace clicktrove {

// Repaints a strip of a body filled in a continuous-cornered shape of that radius and outlined by a 1-point
// border, when the strip lies wholly between the top and bottom corners of bounds: there the body is its fills
// between two border columns, drawn without rasterising the outline again. Returns false, having painted nothing,
// when the strip reaches a corner; the caller then paints the whole shape.
bool paintStraightStrip(QPainter& painter, const QRect& bounds, qreal cornerRadius, const QRect& strip,
                        std::initializer_list<QColor> fills, const QBrush& border);

}  // namespace clicktrove
