#pragma once

#include <QWidget>
#include <array>

class QCheckBox;

namespace clicktrove {

class AutoClickerViewModel;
class LabelledIntegerField;
class SliderRow;

// How often clicks fire: hours, minutes, seconds, milliseconds and microseconds, and the optional random jitter of
// each interval. Each committed edit is one store of the configuration.
class ClickIntervalCard final : public QWidget {
    Q_OBJECT
public:
    explicit ClickIntervalCard(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    // "Hrs", "Mins", "Secs", "Ms", "µs" in this order.
    const std::array<LabelledIntegerField*, 5>& fields() const { return fields_; }
    QCheckBox* randomizeToggle() const { return randomize_; }
    SliderRow* jitterRow() const { return jitter_; }

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    std::array<LabelledIntegerField*, 5> fields_{};
    QCheckBox* randomize_ = nullptr;
    SliderRow* jitter_ = nullptr;
};

}  // namespace clicktrove
