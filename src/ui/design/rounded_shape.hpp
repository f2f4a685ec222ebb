#pragma once

#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QRegion>

namespace clicktrove {

// A rounded rectangle with continuous corners: the curvature rises gradually out of each straight edge instead
// of jumping to a circular arc. The corner reaches about 1.53 x radius into each edge; a radius too large for
// the rectangle is reduced so that the corners still meet.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);

// How far a continuous corner of that radius reaches into each edge, in whole points (rounded up).
int continuousCornerReach(qreal radius);

// The part of a rectangle that its continuous-cornered outline of that radius leaves whole: all of it but the four
// corner squares. A body filled in the shape covers it completely; a repaint inside it can skip the corners.
QRegion continuousRoundedRectInterior(const QRect& rect, qreal radius);

// The rectangle inset by half a stroke width, so a 1-point border centred on the outline stays inside it.
QRectF borderRect(const QRectF& rect, qreal strokeWidth = 1.0);

}  // namespace clicktrove
