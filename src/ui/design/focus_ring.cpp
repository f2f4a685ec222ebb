#include "ui/design/focus_ring.hpp"

#include "ui/design/rounded_shape.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace clicktrove::focus_ring {

bool isShown(const QWidget& widget) {
    const QWidget* window = widget.window();
    return widget.hasFocus() && window != nullptr && window->testAttribute(Qt::WA_KeyboardFocusChange);
}

QColor color(const QWidget& widget) {
    // The window's: a control with a style sheet of its own no longer inherits the accent the window sets.
    const QWidget* window = widget.window();
    return (window != nullptr ? window : &widget)->palette().color(QPalette::Active, QPalette::Highlight);
}

QColor onFillColor() {
    return QColor::fromRgbF(1, 1, 1, 0.9f);
}

namespace {

QPen ringPen(const QWidget& widget, bool onFill) {
    QPen pen(onFill ? onFillColor() : color(widget), kWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

// On a fill the ring stands one point inside the edge, so the fill frames it.
QRectF ringRect(const QRectF& bounds, bool onFill) {
    const qreal inset = kWidth / 2 + (onFill ? 1.0 : 0.0);
    return bounds.adjusted(inset, inset, -inset, -inset);
}

void stroke(QPainter& painter, const QWidget& widget, const QPainterPath& ring, bool onFill) {
    if (!isShown(widget)) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1.0);
    painter.setPen(ringPen(widget, onFill));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(ring);
    painter.restore();
}

}  // namespace

void paint(QPainter& painter, const QWidget& widget, const QRectF& bounds, qreal cornerRadius, bool onFill) {
    const QRectF ring = ringRect(bounds, onFill);
    const qreal radius = std::max(0.0, cornerRadius - (bounds.width() - ring.width()) / 2);
    stroke(painter, widget, continuousRoundedRect(ring, radius), onFill);
}

void paintEllipse(QPainter& painter, const QWidget& widget, const QRectF& bounds, bool onFill) {
    QPainterPath ring;
    ring.addEllipse(ringRect(bounds, onFill));
    stroke(painter, widget, ring, onFill);
}

}  // namespace clicktrove::focus_ring
