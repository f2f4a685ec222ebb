#include "glyph_lightness.hpp"

#include <gtest/gtest.h>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace clicktrove::testing {

int glyphLightness(const QIcon& icon) {
    const QImage image = icon.pixmap(22).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    int lightness = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 250) continue;
            ++opaque;
            lightness = c.lightness();
        }
    }
    EXPECT_GT(opaque, 20) << "the glyph is drawn";
    return lightness;
}

}  // namespace clicktrove::testing
