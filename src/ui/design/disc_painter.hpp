#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace clicktrove {

// Draws a filled, antialiased circle filling square from a pixmap rendered once per size, colour and pixel ratio.
// Qt 6's raster engine hands an antialiased shape with many spans to its thread pool and waits for it, which
// costs far more than the few pixels of a status dot; dots that repaint with every pulse step or progress report
// blit a cached copy instead.
void paintDisc(QPainter& painter, const QRectF& square, const QColor& color);

}  // namespace clicktrove
