#pragma once

#include <QLineEdit>
#include <cstdint>

namespace clicktrove {

// A text field that shows one number through the shared NumberFormatter and hands back what the user typed when
// the edit is committed (Return or leaving the field). Text the formatter cannot read, or a negative number when
// negatives are refused, is discarded and the shown value comes back. Setting the value from code never commits.
class NumberField final : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { integer, decimal };

    NumberField(Kind kind, bool allowNegative, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    // Shows the value; a pending edit of the user is dropped.
    void setIntegerValue(std::int64_t value);
    void setDecimalValue(double value);

signals:
    // Only for Kind::integer.
    void integerCommitted(std::int64_t value);
    // Only for Kind::decimal.
    void decimalCommitted(double value);

private:
    void commit();
    void display(const QString& text);

    Kind kind_;
    bool allowNegative_;
    QString shown_;
};

}  // namespace clicktrove
