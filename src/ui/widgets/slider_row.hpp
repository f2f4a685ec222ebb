#pragma once

#include <QWidget>

class QSlider;

namespace clicktrove {

class ThemedLabel;

// A caption, a slider over whole steps of a closed range and the value with its unit ("50 ms"). Only a movement
// of the slider reports a value; a stored value outside the range is shown as it is.
class SliderRow final : public QWidget {
    Q_OBJECT
public:
    SliderRow(const QString& label, int lower, int upper, const QString& unit, QWidget* parent = nullptr);

    QSlider* slider() const { return slider_; }
    QString valueText() const;
    void setValue(double value);

signals:
    void moved(double value);

private:
    QSlider* slider_;
    ThemedLabel* value_;
    QString unit_;
};

}  // namespace clicktrove
