#include "ui/support/widget_input.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace clicktrove::testing {

namespace {

void key(QWidget& target, int code, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &release);
}

}  // namespace

void typeInto(QLineEdit& field, const QString& text) {
    field.selectAll();
    key(field, Qt::Key_Backspace);
    for (const QChar c : text) key(field, c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0, QString(c));
}

void typeAndCommit(QLineEdit& field, const QString& text) {
    typeInto(field, text);
    key(field, Qt::Key_Return);
}

void pressEscape(QWidget& widget) {
    key(widget, Qt::Key_Escape);
}

}  // namespace clicktrove::testing
