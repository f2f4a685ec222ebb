#include "ui/design/disc_painter.hpp"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QString>
#include <cmath>

namespace clicktrove {

namespace {

QPixmap discPixmap(qreal side, const QColor& color, qreal pixelRatio) {
    const int pixels = static_cast<int>(std::ceil(side * pixelRatio));
    const QString key = QStringLiteral("clicktrove-disc:%1:%2:%3").arg(pixels).arg(color.rgba(), 8, 16).arg(pixelRatio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    pixmap = QPixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(0, 0, side, side));
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

}  // namespace

void paintDisc(QPainter& painter, const QRectF& square, const QColor& color) {
    if (square.isEmpty() || color.alpha() == 0) return;
    const qreal side = std::min(square.width(), square.height());
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawPixmap(square.topLeft(), discPixmap(side, color, ratio));
}

}  // namespace clicktrove
