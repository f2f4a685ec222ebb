#pragma once

#include <QWidget>
#include <array>

namespace clicktrove {

class AutoClickerViewModel;
class VaqStatBadge;

// The four tiles under the run bar, two per row: elapsed time, total clicks, speed, and the clicks remaining
// (or the unlimited mode) of the run on show, or of the configuration being edited when none is.
class StatisticBadges final : public QWidget {
    Q_OBJECT
public:
    explicit StatisticBadges(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    // In grid order: row by row.
    const std::array<VaqStatBadge*, 4>& badges() const { return badges_; }

private:
    // One tile each: a progress report changes four values, and each change refreshes its own tile only.
    void refreshElapsed();
    void refreshTotal();
    void refreshSpeed();
    void refreshFourth();

    AutoClickerViewModel& viewModel_;
    std::array<VaqStatBadge*, 4> badges_{};
};

}  // namespace clicktrove
