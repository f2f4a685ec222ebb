#pragma once

#include "engine/screen_point.hpp"
#include "services/accent_theme_color.hpp"

#include <QWidget>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QRadioButton;
class QScrollArea;

namespace clicktrove {

class AutoClickerViewModel;
class PositionOptionButton;
class SliderRow;
class ThemedLabel;
class VaqGhostButton;

// Where the clicks land: at the cursor, or over a captured list of points visited in order or at random, with an
// optional random offset of each click.
class TargetLocationCard final : public QWidget {
    Q_OBJECT
public:
    explicit TargetLocationCard(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    void setAccent(AccentThemeColor accent);

    PositionOptionButton* currentPositionOption() const { return current_; }
    PositionOptionButton* fixedPositionOption() const { return fixed_; }
    QWidget* executionPath() const { return executionPath_; }
    QWidget* countdownRow() const { return countdownRow_; }
    QString countdownText() const;
    VaqGhostButton* recordButton() const { return record_; }
    QAbstractButton* clearAllButton() const;
    // The chip texts in list order.
    QStringList chipTexts() const;
    QWidget* orderChoice() const { return orderChoice_; }
    QRadioButton* sequentialOption() const { return sequential_; }
    QRadioButton* randomOption() const { return random_; }
    QCheckBox* radiusToggle() const { return radiusToggle_; }
    SliderRow* radiusRow() const { return radius_; }

private:
    void refresh();
    void refreshCapture();
    void rebuildChips(const std::vector<ScreenPoint>& points);
    void recordCoordinate();

    AutoClickerViewModel& viewModel_;
    PositionOptionButton* current_ = nullptr;
    PositionOptionButton* fixed_ = nullptr;
    QWidget* executionPath_ = nullptr;
    QWidget* countdownRow_ = nullptr;
    ThemedLabel* countdown_ = nullptr;
    QWidget* buttonRow_ = nullptr;
    VaqGhostButton* record_ = nullptr;
    QAbstractButton* clearAll_ = nullptr;
    QScrollArea* chipScroll_ = nullptr;
    QHBoxLayout* chipLayout_ = nullptr;
    std::vector<QLabel*> chips_;
    std::vector<ScreenPoint> shownPoints_;
    QWidget* orderChoice_ = nullptr;
    QRadioButton* sequential_ = nullptr;
    QRadioButton* random_ = nullptr;
    QCheckBox* radiusToggle_ = nullptr;
    SliderRow* radius_ = nullptr;
};

}  // namespace clicktrove
