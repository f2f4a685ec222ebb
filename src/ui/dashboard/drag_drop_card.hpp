#pragma once

#include <QWidget>

namespace clicktrove {

class SwitchToggle;
class AutoClickerViewModel;
class NumberField;
class PointRow;

// A drag from a start point to an end point over a duration, done on every tick instead of a click.
class DragDropCard final : public QWidget {
    Q_OBJECT
public:
    explicit DragDropCard(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    SwitchToggle* enableToggle() const { return enable_; }
    QWidget* details() const { return details_; }
    PointRow* startRow() const { return start_; }
    PointRow* endRow() const { return end_; }
    NumberField* durationField() const { return duration_; }

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    SwitchToggle* enable_ = nullptr;
    QWidget* details_ = nullptr;
    PointRow* start_ = nullptr;
    PointRow* end_ = nullptr;
    NumberField* duration_ = nullptr;
};

}  // namespace clicktrove
