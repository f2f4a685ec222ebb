#pragma once

#include "ui/design/shadow_underlay.hpp"

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

class QLabel;

namespace clicktrove {

class CpsChartPlot;
class LiveText;

// The "Live Click Activity" card of the Dashboard: the current rate as a number and the recent samples as a
// filled line chart in the accent colour, over a fixed time axis. It draws exactly what it was last given and
// keeps nothing else; the Dashboard hands it the view model's samples (one a second), its rate (the Speed tile's
// figure, so the two never disagree and both fall to 0 when a run ends) and the accent colour whenever they
// change. It repaints only for values that differ from the drawn ones, and then only the plot or the number; its
// shadow is drawn beneath it from a cached pixmap.
class LiveCPSChartView final : public QWidget {
    Q_OBJECT
public:
    explicit LiveCPSChartView(QWidget* parent = nullptr);

    // Clicks-per-second samples, oldest first.
    void setHistory(std::vector<double> history);
    // The figure of the title row; until one is given, the newest sample.
    void setCurrentCps(std::int64_t cps);
    void setAccentColor(const QColor& color);
    const std::vector<double>& history() const;
    QColor accentColor() const;

    // The title row's current value: the newest sample truncated toward zero, then " CPS"; empty without
    // samples.
    static QString currentValueText(const std::vector<double>& history);
    // "12 CPS".
    static QString currentValueText(std::int64_t cps);

    LiveText* currentValueLabel() const { return currentValue_; }
    ShadowUnderlay* shadowUnderlay() const { return shadow_.data(); }

    static constexpr qreal kCornerRadius = 12.0;
    CpsChartPlot* plot() const { return plot_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    QLabel* title_ = nullptr;
    LiveText* currentValue_ = nullptr;
    CpsChartPlot* plot_ = nullptr;
    QLabel* oldest_ = nullptr;
    QLabel* newest_ = nullptr;
    std::optional<std::int64_t> currentCps_;
    // A sibling, so its parent may delete it first.
    QPointer<ShadowUnderlay> shadow_;
};

}  // namespace clicktrove
