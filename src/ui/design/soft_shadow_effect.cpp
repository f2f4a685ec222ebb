#include "ui/design/soft_shadow_effect.hpp"

#include "ui/design/rounded_shape.hpp"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace clicktrove {

namespace {

// Three box blurs in a row approximate a Gaussian closely; the box widths follow from sigma.
std::array<int, 3> boxRadii(qreal sigma) {
    const qreal ideal = std::sqrt(12.0 * sigma * sigma / 3.0 + 1.0);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const qreal m =
        std::round((12.0 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9.0) / (-4.0 * lower - 4.0));
    std::array<int, 3> radii{};
    for (int i = 0; i < 3; ++i) radii[static_cast<std::size_t>(i)] = ((i < m ? lower : upper) - 1) / 2;
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

}  // namespace

SoftShadowEffect::SoftShadowEffect(QObject* parent) : QGraphicsEffect(parent) {}

void SoftShadowEffect::setColor(const QColor& color) {
    if (color == color_) return;
    // Only the colour's hue needs a new image; its alpha is applied when drawing.
    if (color.rgb() != color_.rgb()) cache_ = {};
    color_ = color;
    update();
}

void SoftShadowEffect::setRadius(qreal radius) {
    radius = std::max(0.0, radius);
    if (qFuzzyCompare(radius + 1.0, radius_ + 1.0)) return;
    radius_ = radius;
    invalidate();
}

void SoftShadowEffect::setOffset(QPointF offset) {
    if (offset == offset_) return;
    offset_ = offset;
    updateBoundingRect();
    update();
}

void SoftShadowEffect::setCornerRadius(qreal radius) {
    if (qFuzzyCompare(radius + 1.0, cornerRadius_ + 1.0)) return;
    cornerRadius_ = radius;
    invalidate();
}

void SoftShadowEffect::setShapeScale(qreal scale) {
    if (qFuzzyCompare(scale, scale_)) return;
    scale_ = scale;
    cache_ = {};
    update();
}

void SoftShadowEffect::invalidate() {
    cache_ = {};
    updateBoundingRect();
    update();
}

QRectF SoftShadowEffect::boundingRectFor(const QRectF& rect) const {
    const qreal spread = std::ceil(1.5 * radius_) + 1.0;
    return rect.united(rect.translated(offset_).adjusted(-spread, -spread, spread, spread));
}

void SoftShadowEffect::draw(QPainter* painter) {
    if (color_.alpha() == 0 || !source()) {
        drawSource(painter);
        return;
    }
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    const QPointF centre = bounds.center();
    const QRectF shape(centre.x() - bounds.width() * scale_ / 2, centre.y() - bounds.height() * scale_ / 2,
                       bounds.width() * scale_, bounds.height() * scale_);
    const qreal sigma = radius_ / 2.0;
    const int pad = static_cast<int>(std::ceil(3.0 * sigma)) + 1;
    const qreal dpr = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize logical(static_cast<int>(std::ceil(shape.width())) + 2 * pad,
                        static_cast<int>(std::ceil(shape.height())) + 2 * pad);

    if (cache_.isNull() || cacheSize_ != logical || !qFuzzyCompare(cacheDpr_, dpr)) {
        const int w = std::max(1, static_cast<int>(std::ceil(logical.width() * dpr)));
        const int h = std::max(1, static_cast<int>(std::ceil(logical.height() * dpr)));
        QImage mask(w, h, QImage::Format_Alpha8);
        mask.fill(0);
        {
            QPainter p(&mask);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(dpr, dpr);
            p.fillPath(continuousRoundedRect(QRectF(pad, pad, shape.width(), shape.height()), cornerRadius_ * scale_),
                       Qt::black);
        }
        std::vector<float> coverage(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y) {
            const uchar* line = mask.constScanLine(y);
            for (int x = 0; x < w; ++x) coverage[static_cast<std::size_t>(y * w + x)] = line[x] / 255.0f;
        }
        if (sigma > 0) gaussianBlur(coverage, w, h, sigma * dpr);
        cache_ = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
        const int r = color_.red(), g = color_.green(), b = color_.blue();
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(cache_.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const float a = std::clamp(coverage[static_cast<std::size_t>(y * w + x)], 0.0f, 1.0f);
                line[x] = qRgba(qRound(r * a), qRound(g * a), qRound(b * a), qRound(255 * a));
            }
        }
        cache_.setDevicePixelRatio(dpr);
        cacheSize_ = logical;
        cacheDpr_ = dpr;
    }

    // The widget goes through a pixmap rather than drawSource(): drawn directly, a child with an effect of its
    // own (a pulsing dot, a primary button inside a card) would open a second painter on the same device.
    QPoint sourceOffset;
    const QPixmap content = sourcePixmap(Qt::LogicalCoordinates, &sourceOffset, QGraphicsEffect::NoPad);
    painter->save();
    painter->setOpacity(painter->opacity() * color_.alphaF());
    painter->drawImage(QRectF(shape.topLeft() - QPointF(pad, pad) + offset_, QSizeF(logical)), cache_);
    painter->restore();
    painter->drawPixmap(sourceOffset, content);
}

}  // namespace clicktrove
