#include "ui/design/shadow_pixmap_cache.hpp"

#include "ui/design/rounded_shape.hpp"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <vector>

namespace clicktrove {

namespace {

std::atomic<int> builds{0};

// Three box blurs in a row approximate a Gaussian closely; the box widths follow from sigma.
std::array<int, 3> boxRadii(qreal sigma) {
    const qreal ideal = std::sqrt(12.0 * sigma * sigma / 3.0 + 1.0);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const qreal m =
        std::round((12.0 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9.0) / (-4.0 * lower - 4.0));
    std::array<int, 3> radii{};
    for (int i = 0; i < 3; ++i) radii[static_cast<std::size_t>(i)] = ((i < m ? lower : lower + 2) - 1) / 2;
    return radii;
}

void boxBlurLine(const float* in, float* out, int length, int stride, int radius) {
    if (radius <= 0) {
        for (int i = 0; i < length; ++i) out[i * stride] = in[i * stride];
        return;
    }
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    float sum = 0;
    // Outside the image the coverage is 0, which the padding around the shape makes true.
    for (int i = 0; i <= radius && i < length; ++i) sum += in[i * stride];
    for (int i = 0; i < length; ++i) {
        out[i * stride] = sum * scale;
        const int add = i + radius + 1;
        const int drop = i - radius;
        if (add < length) sum += in[add * stride];
        if (drop >= 0) sum -= in[drop * stride];
    }
}

void gaussianBlur(std::vector<float>& data, int width, int height, qreal sigma) {
    std::vector<float> scratch(data.size());
    for (const int radius : boxRadii(sigma)) {
        for (int y = 0; y < height; ++y) boxBlurLine(&data[y * width], &scratch[y * width], width, 1, radius);
        for (int x = 0; x < width; ++x) boxBlurLine(&scratch[x], &data[x], height, width, radius);
    }
}

// One axis of the shadow in device pixels: the shape's length on the target and in the pixmap, and where the
// pixmap's one stretchable pixel sits (none when the pixmap is as long as the target).
struct Axis {
    int target = 0;  // shape length on the target
    int source = 0;  // shape length in the pixmap
    bool sliced = false;
};

Axis axisFor(int length, int cornerReach, int pad, bool canSlice) {
    // A pixel column is the same all along a straight edge once it lies a corner's reach and a blur's reach
    // from both ends; the shortest shape with one such column stands in for every longer one.
    const int shortest = 2 * (cornerReach + pad) + 1;
    if (!canSlice || length <= shortest) return {length, length, false};
    return {length, shortest, true};
}

// Source and target spans of one axis, padding included: either one span, or the leading part, the stretched
// pixel and the trailing part.
struct Span {
    int sourceStart;
    int sourceLength;
    int targetStart;
    int targetLength;
};

std::vector<Span> spansFor(const Axis& axis, int targetStart, int pad) {
    const int sourceTotal = axis.source + 2 * pad;
    const int targetTotal = axis.target + 2 * pad;
    if (!axis.sliced) return {{0, sourceTotal, targetStart, targetTotal}};
    const int edge = (sourceTotal - 1) / 2;
    return {{0, edge, targetStart, edge},
            {edge, 1, targetStart + edge, targetTotal - 2 * edge},
            {sourceTotal - edge, edge, targetStart + targetTotal - edge, edge}};
}

QPixmap build(const DropShadow& shadow, int width, int height, int pad, qreal corner, qreal sigma) {
    builds.fetch_add(1, std::memory_order_relaxed);
    const int w = width + 2 * pad;
    const int h = height + 2 * pad;
    QImage mask(w, h, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF shape(pad, pad, width, height);
        if (shadow.shape == DropShadow::Shape::ellipse) {
            QPainterPath path;
            path.addEllipse(shape);
            p.fillPath(path, Qt::black);
        } else {
            p.fillPath(continuousRoundedRect(shape, corner), Qt::black);
        }
    }
    std::vector<float> coverage(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < w; ++x) coverage[static_cast<std::size_t>(y * w + x)] = line[x] / 255.0f;
    }
    if (sigma > 0) gaussianBlur(coverage, w, h, sigma);
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    const int r = shadow.color.red(), g = shadow.color.green(), b = shadow.color.blue();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float a = std::clamp(coverage[static_cast<std::size_t>(y * w + x)], 0.0f, 1.0f);
            line[x] = qRgba(qRound(r * a), qRound(g * a), qRound(b * a), qRound(255 * a));
        }
    }
    return QPixmap::fromImage(std::move(image));
}

}  // namespace

int ShadowPixmapCache::buildCount() {
    return builds.load(std::memory_order_relaxed);
}

void ShadowPixmapCache::paint(QPainter& painter, const QRectF& shape, const DropShadow& shadow, qreal opacity) {
    const qreal alpha = shadow.color.alphaF() * opacity;
    if (alpha <= 0.0 || shape.isEmpty()) return;
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal radius = std::round(std::max(0.0, shadow.radius) / kRadiusStep) * kRadiusStep;

    // Everything below is in device pixels, so the pieces meet without seams at any scale factor.
    const QRect target(static_cast<int>(std::lround(shape.x() * dpr)), static_cast<int>(std::lround(shape.y() * dpr)),
                       std::max(1, static_cast<int>(std::lround(shape.width() * dpr))),
                       std::max(1, static_cast<int>(std::lround(shape.height() * dpr))));
    const int pad = static_cast<int>(std::ceil(DropShadow::blurReach(radius) * dpr));
    const qreal corner = std::max(0.0, shadow.cornerRadius) * dpr;
    const int cornerReach = continuousCornerReach(corner);
    const bool canSlice = shadow.shape == DropShadow::Shape::roundedRect;
    const Axis x = axisFor(target.width(), cornerReach, pad, canSlice);
    const Axis y = axisFor(target.height(), cornerReach, pad, canSlice);

    const QString key = QStringLiteral("clicktrove-shadow:%1:%2x%3:%4:%5:%6")
                            .arg(static_cast<int>(shadow.shape))
                            .arg(x.source)
                            .arg(y.source)
                            .arg(corner)
                            .arg(radius * dpr)
                            .arg(shadow.color.rgb(), 6, 16);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = build(shadow, x.source, y.source, pad, corner, radius / 2.0 * dpr);
        QPixmapCache::insert(key, pixmap);
    }

    painter.save();
    painter.setOpacity(painter.opacity() * std::min(1.0, alpha));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.scale(1.0 / dpr, 1.0 / dpr);
    const QPoint offset(static_cast<int>(std::lround(shadow.offset.x() * dpr)),
                        static_cast<int>(std::lround(shadow.offset.y() * dpr)));
    const QPoint origin = target.topLeft() + offset - QPoint(pad, pad);
    for (const Span& row : spansFor(y, origin.y(), pad)) {
        for (const Span& column : spansFor(x, origin.x(), pad)) {
            painter.drawPixmap(QRectF(column.targetStart, row.targetStart, column.targetLength, row.targetLength),
                               pixmap,
                               QRectF(column.sourceStart, row.sourceStart, column.sourceLength, row.sourceLength));
        }
    }
    painter.restore();
}

}  // namespace clicktrove
