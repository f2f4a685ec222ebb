#include "ui/design/straight_strip_painter.hpp"

#include "ui/design/rounded_shape.hpp"

#include <QPainter>

namespace clicktrove {

bool paintStraightStrip(QPainter& painter, const QRect& bounds, qreal cornerRadius, const QRect& strip,
                        std::initializer_list<QColor> fills, const QBrush& border) {
    const int reach = continuousCornerReach(cornerRadius);
    if (!bounds.adjusted(0, reach, 0, -reach).contains(strip)) return false;
    for (const QColor& fill : fills) {
        if (fill.alpha() > 0) painter.fillRect(strip, fill);
    }
    painter.fillRect(QRect(bounds.left(), strip.top(), 1, strip.height()) & strip, border);
    painter.fillRect(QRect(bounds.right(), strip.top(), 1, strip.height()) & strip, border);
    return true;
}

}  // namespace clicktrove
