#pragma once

#include <QColor>
#include <QGraphicsEffect>
#include <QImage>
#include <QPointF>
#include <QSize>

namespace clicktrove {

// The shadow of a rounded-rectangle widget (cards, primary buttons), drawn outside its bounds like a layer
// shadow. Unlike QGraphicsDropShadowEffect it never blurs the widget's pixels: it blurs the rounded shape once
// per size and look and keeps the result, so a card whose children repaint (a live chart, a pulsing dot) only
// costs the copy of the card. A radius r is a Gaussian of sigma r / 2.
class SoftShadowEffect final : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit SoftShadowEffect(QObject* parent = nullptr);

    void setColor(const QColor& color);
    void setRadius(qreal radius);
    void setOffset(QPointF offset);
    void setCornerRadius(qreal radius);
    // The shape shrinks about its centre by this factor (the widget draws its content at the same scale).
    void setShapeScale(qreal scale);

    QColor color() const { return color_; }
    qreal radius() const { return radius_; }
    QPointF offset() const { return offset_; }
    qreal cornerRadius() const { return cornerRadius_; }
    qreal shapeScale() const { return scale_; }

    QRectF boundingRectFor(const QRectF& rect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    void invalidate();

    QColor color_{0, 0, 0, 77};
    qreal radius_ = 8.0;
    QPointF offset_{0.0, 4.0};
    qreal cornerRadius_ = 12.0;
    qreal scale_ = 1.0;

    // The blurred shape, kept until size or look change.
    QImage cache_;
    QSize cacheSize_;
    qreal cacheDpr_ = 0.0;
};

}  // namespace clicktrove
