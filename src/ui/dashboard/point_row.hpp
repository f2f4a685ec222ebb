#pragma once

#include "engine/screen_point.hpp"

#include <QWidget>

namespace clicktrove {

class NumberField;

// A screen point as two number fields, "X" and "Y", after a caption. Each committed field reports alone.
class PointRow final : public QWidget {
    Q_OBJECT
public:
    PointRow(const QString& label, QWidget* parent = nullptr);

    NumberField* xField() const { return x_; }
    NumberField* yField() const { return y_; }
    void setPoint(const ScreenPoint& point);

signals:
    void xCommitted(double x);
    void yCommitted(double y);

private:
    NumberField* x_;
    NumberField* y_;
};

}  // namespace clicktrove
