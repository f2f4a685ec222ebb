#pragma once

#include <QColor>
#include <QMargins>
#include <QPointF>

namespace clicktrove {

// A layer shadow: a colour (its alpha is the shadow's opacity), a blur radius, an offset, and the shape that casts
// it, a rounded rectangle with continuous corners of cornerRadius or an ellipse. A blur radius r is a Gaussian of
// sigma r / 2.
struct DropShadow {
    enum class Shape { roundedRect, ellipse };

    QColor color{0, 0, 0, 0};
    qreal radius = 0.0;
    QPointF offset;
    qreal cornerRadius = 0.0;
    Shape shape = Shape::roundedRect;

    bool operator==(const DropShadow& other) const = default;

    bool isVisible() const { return color.alpha() > 0; }
    // How far a blur of that radius reaches past the shape: three sigma, rounded up, and one point more.
    static int blurReach(qreal radius);
    // How far this shadow reaches past the shape on each side, offset included.
    QMargins reach() const;
};

}  // namespace clicktrove
