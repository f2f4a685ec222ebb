// A dot blitted from the cache must look exactly like the circle it stands for, at any pixel ratio and colour.
#include "ui/design/disc_painter.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <cstdlib>

namespace clicktrove {
namespace {

QImage canvas(int side, qreal ratio) {
    QImage image(static_cast<int>(side * ratio), static_cast<int>(side * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            largest = std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                std::abs(p.blue() - q.blue())});
        }
    }
    return largest;
}

TEST(DiscPainter, DrawsTheSameCircleAsTheVectorPathAtEveryPixelRatio) {
    struct Case {
        int side;
        qreal ratio;
        QColor color;
    };
    const Case cases[] = {
        {10, 1.0, QColor(52, 199, 89)},
        {28, 1.0, QColor(52, 199, 89, 51)},
        {8, 2.0, QColor(255, 59, 48)},
        {28, 1.5, QColor(10, 132, 255, 128)},
    };
    for (const Case& c : cases) {
        QImage cached = canvas(c.side + 4, c.ratio);
        QImage drawn = canvas(c.side + 4, c.ratio);
        const QRectF square(2, 2, c.side, c.side);
        {
            QPainter p(&cached);
            paintDisc(p, square, c.color);
            paintDisc(p, square.translated(0, 0), c.color);  // the second blit comes from the cache
        }
        {
            QPainter p(&drawn);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(c.color);
            p.drawEllipse(square);
            p.drawEllipse(square);
        }
        EXPECT_LE(largestDifference(cached, drawn), 2) << c.side << " at " << c.ratio;
        // The middle is the colour itself and the corners stay untouched.
        EXPECT_NE(cached.pixelColor(cached.width() / 2, cached.height() / 2), QColor(Qt::white));
        EXPECT_EQ(cached.pixelColor(0, 0), QColor(Qt::white));
    }
}

TEST(DiscPainter, AnInvisibleOrEmptyDiscDrawsNothing) {
    QImage image = canvas(12, 1.0);
    QPainter p(&image);
    paintDisc(p, QRectF(1, 1, 10, 10), Qt::transparent);
    paintDisc(p, QRectF(1, 1, 0, 0), Qt::red);
    p.end();
    QImage blank = canvas(12, 1.0);
    EXPECT_EQ(image, blank);
}

}  // namespace
}  // namespace clicktrove
