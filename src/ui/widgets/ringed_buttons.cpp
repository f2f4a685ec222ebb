#include "ui/widgets/ringed_buttons.hpp"

#include "ui/design/focus_ring.hpp"

#include <QPainter>

namespace clicktrove {

RingedPushButton::RingedPushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setFocusPolicy(Qt::TabFocus);
}

void RingedPushButton::setRing(qreal cornerRadius, bool onFill) {
    radius_ = cornerRadius;
    onFill_ = onFill;
    update();
}

void RingedPushButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    focus_ring::paint(painter, *this, QRectF(rect()), radius_, onFill_);
}

RingedToolButton::RingedToolButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void RingedToolButton::setRing(qreal cornerRadius, bool onFill) {
    radius_ = cornerRadius;
    onFill_ = onFill;
    update();
}

void RingedToolButton::paintEvent(QPaintEvent* event) {
    QToolButton::paintEvent(event);
    QPainter painter(this);
    focus_ring::paint(painter, *this, QRectF(rect()), radius_, onFill_);
}

}  // namespace clicktrove
