#pragma once

#include "ui/design/drop_shadow.hpp"

#include <QRectF>

class QPainter;

namespace clicktrove {

// Blurred shadow shapes, built once per look and kept in QPixmapCache, painted from there. A rounded rectangle's
// shadow is built as a nine-patch: its corners at their true size and one pixel of each straight edge, which
// painting stretches; so every card of a colour and radius shares one small pixmap whatever its size (KDE's
// Breeze builds its window shadows as tiles alike). Ellipses, and sides too short to have a straight stretch, are
// built at their exact size. The pixmap is opaque in the shadow's hue: its alpha is applied as painter opacity, so
// a shadow that only fades builds nothing new.
class ShadowPixmapCache {
public:
    // Paints the shadow of a shape that covers `shape` (painter coordinates, on the pixel grid).
    static void paint(QPainter& painter, const QRectF& shape, const DropShadow& shadow, qreal opacity = 1.0);

    // Pixmaps built so far in this process; finding one in the cache builds nothing.
    static int buildCount();
    // Blur radii are rounded to this step, so an animated radius reuses a handful of pixmaps.
    static constexpr qreal kRadiusStep = 0.5;
};

}  // namespace clicktrove
