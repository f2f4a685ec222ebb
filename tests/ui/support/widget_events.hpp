#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointF>
#include <QWidget>

namespace clicktrove::testing {

// Synthetic input delivered straight to a widget, without QtTest: a left click at a point (the centre by
// default), the pointer entering and leaving, and a key press and release.
inline void click(QWidget* widget, QPointF at = QPointF(-1, -1)) {
    if (at.x() < 0) at = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

inline void hover(QWidget* widget) {
    const QPointF at = QRectF(widget->rect()).center();
    QEnterEvent enter(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &enter);
}

inline void unhover(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

inline void pressKey(QWidget* widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

}  // namespace clicktrove::testing
