#pragma once

#include <QWidget>
#include <cstdint>

namespace clicktrove {

class NumberField;

// A number field with its caption below it, as the interval parts are edited: non-negative whole numbers only.
class LabelledIntegerField final : public QWidget {
    Q_OBJECT
public:
    LabelledIntegerField(const QString& label, QWidget* parent = nullptr);

    NumberField* field() const { return field_; }
    void setValue(std::int64_t value);

signals:
    void committed(std::int64_t value);

private:
    NumberField* field_;
};

}  // namespace clicktrove
