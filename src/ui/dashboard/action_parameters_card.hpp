#pragma once

#include <QWidget>

class QComboBox;

namespace clicktrove {

class AutoClickerViewModel;
class NumberField;

// Which mouse event a run produces and how many it makes at most (0 for no limit).
class ActionParametersCard final : public QWidget {
    Q_OBJECT
public:
    explicit ActionParametersCard(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    QComboBox* clickTypeMenu() const { return clickType_; }
    NumberField* maxClicksField() const { return maxClicks_; }

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    QComboBox* clickType_ = nullptr;
    NumberField* maxClicks_ = nullptr;
};

}  // namespace clicktrove
