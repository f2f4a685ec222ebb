#pragma once

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QWidget>
#include <vector>

namespace clicktrove {

// The plot area of the live click-rate chart: a grid of four lines and, from two samples on, the samples as a
// line over a fading area with a dot on the newest one. Oldest sample at the leading edge, newest at the
// trailing edge, 0 on the bottom edge and the scale's top (at least 5) on the top edge. It repaints only when the
// samples or the colour differ from the drawn ones.
class CpsChartPlot final : public QWidget {
    Q_OBJECT
public:
    static constexpr double kMinimumScale = 5.0;
    static constexpr int kHeight = 120;

    explicit CpsChartPlot(QWidget* parent = nullptr);

    void setHistory(std::vector<double> history);
    void setAccentColor(const QColor& color);
    const std::vector<double>& history() const { return history_; }
    const QColor& accentColor() const { return accentColor_; }

    // A sample as the chart draws it: negative and non-finite samples lie outside what a rate can be and are
    // drawn as 0, so one bad value can neither flip the chart nor blow up its scale.
    static double drawableSample(double sample);
    // The value at the top edge: the larger of kMinimumScale and the largest drawable sample.
    static double scaleTop(const std::vector<double>& history);
    // Where each sample lies in a plot of that size (y down).
    static std::vector<QPointF> samplePoints(const std::vector<double>& history, const QSizeF& size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<double> history_;
    QColor accentColor_;
};

}  // namespace clicktrove
