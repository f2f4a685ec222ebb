#pragma once

#include <QWidget>

class QDateTimeEdit;

namespace clicktrove {

class SwitchToggle;
class AutoClickerViewModel;

// A date and time at which a run begins, and one at which it ends, each switched on separately.
class ScheduleCard final : public QWidget {
    Q_OBJECT
public:
    explicit ScheduleCard(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    SwitchToggle* startToggle() const { return startToggle_; }
    SwitchToggle* stopToggle() const { return stopToggle_; }
    QWidget* startRow() const { return startRow_; }
    QDateTimeEdit* startPicker() const { return startPicker_; }
    QDateTimeEdit* stopPicker() const { return stopPicker_; }

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    QWidget* startRow_ = nullptr;
    SwitchToggle* startToggle_ = nullptr;
    QDateTimeEdit* startPicker_ = nullptr;
    SwitchToggle* stopToggle_ = nullptr;
    QDateTimeEdit* stopPicker_ = nullptr;
};

}  // namespace clicktrove
