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
    void refresh();

    AutoClickerViewModel& viewModel_;
    std::array<VaqStatBadge*, 4> badges_{};
};

}  // namespace clicktrove
