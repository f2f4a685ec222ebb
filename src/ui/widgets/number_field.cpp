#include "ui/widgets/number_field.hpp"

#include "ui/widgets/number_formatter.hpp"

#include <QSignalBlocker>

namespace clicktrove {

NumberField::NumberField(Kind kind, bool allowNegative, QWidget* parent)
    : QLineEdit(parent), kind_(kind), allowNegative_(allowNegative) {
    setAlignment(Qt::AlignCenter);
    connect(this, &QLineEdit::editingFinished, this, &NumberField::commit);
}

void NumberField::setIntegerValue(std::int64_t value) {
    display(NumberFormatter::shared().format(value));
}

void NumberField::setDecimalValue(double value) {
    display(NumberFormatter::shared().format(value));
}

void NumberField::display(const QString& text) {
    shown_ = text;
    const QSignalBlocker blocker(this);
    if (this->text() != text) setText(text);
    setModified(false);
}

void NumberField::commit() {
    // Return followed by leaving the field reports twice; only a changed text is an edit.
    if (!isModified()) return;
    setModified(false);
    const auto& formatter = NumberFormatter::shared();
    if (kind_ == Kind::integer) {
        const auto value = formatter.parseInteger(text());
        if (value && (allowNegative_ || *value >= 0)) {
            emit integerCommitted(*value);
            return;
        }
    } else {
        const auto value = formatter.parseDecimal(text());
        if (value && (allowNegative_ || *value >= 0)) {
            emit decimalCommitted(*value);
            return;
        }
    }
    display(shown_);
}

}  // namespace clicktrove
