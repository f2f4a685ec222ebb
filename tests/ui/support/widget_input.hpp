#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace clicktrove::testing {

// Replaces the field's text by typing `text` key by key, as a user does, then presses Return (the commit).
void typeAndCommit(QLineEdit& field, const QString& text);
// Types without committing.
void typeInto(QLineEdit& field, const QString& text);
// Presses Escape on the widget.
void pressEscape(QWidget& widget);

}  // namespace clicktrove::testing
