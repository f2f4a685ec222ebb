#include "ui/design/live_text.hpp"
#include "ui/screens/cps_chart_plot.hpp"
#include "ui/screens/live_cps_chart_view.hpp"
#include "ui/support/paint_count.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <cmath>
#include <limits>
#include <vector>

namespace clicktrove {
namespace {

using testing::PaintCount;
using testing::paintPending;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<double> samples(std::size_t count, double value) {
    return std::vector<double>(count, value);
}

struct ScaleCase {
    const char* name;
    std::vector<double> history;
    double top;
};

TEST(LiveCpsChartScale, TopIsAtLeastFiveOrTheLargestSample) {
    const ScaleCase cases[] = {
        {"empty", {}, 5},
        {"zeros", samples(30, 0), 5},
        {"below five", {1, 4.9, 2}, 5},
        {"largest sets it", {3, 12, 6}, 12},
        {"bad samples do not", {kNaN, kInf, -40, 2}, 5},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(CpsChartPlot::scaleTop(c.history), c.top) << c.name;
    }
}

TEST(LiveCpsChartScale, SamplesSpanTheWidthOldestFirstAndScaleAgainstTheTop) {
    const QSizeF size(290, 120);
    struct Case {
        const char* name;
        std::vector<double> history;
        std::size_t index;
        QPointF expected;
    };
    std::vector<double> thirty = samples(30, 0);
    thirty[10] = 2.5;
    thirty[29] = 5;
    std::vector<double> peaked = samples(30, 6);
    peaked[0] = 12;
    const Case cases[] = {
        {"oldest on the leading edge", thirty, 0, {0, 120}},
        {"2.5 against 5 is half height", thirty, 10, {100, 60}},
        {"5 touches the top, newest on the trailing edge", thirty, 29, {290, 0}},
        {"the largest touches the top", peaked, 0, {0, 0}},
        {"others are proportional to it", peaked, 15, {150, 60}},
        {"a single sample sits at the leading edge", {3}, 0, {0, 120 - 3.0 / 5 * 120}},
        {"a negative sample lies on the bottom", {1, -7}, 1, {290, 120}},
        {"a sample that is not a number lies on the bottom", {1, kNaN}, 1, {290, 120}},
    };
    for (const auto& c : cases) {
        const auto points = CpsChartPlot::samplePoints(c.history, size);
        ASSERT_EQ(points.size(), c.history.size()) << c.name;
        EXPECT_NEAR(points[c.index].x(), c.expected.x(), 1e-9) << c.name;
        EXPECT_NEAR(points[c.index].y(), c.expected.y(), 1e-9) << c.name;
    }
}

TEST(LiveCpsChartView, CurrentValueIsTheNewestSampleTruncated) {
    struct Case {
        std::vector<double> history;
        QString text;
    };
    const Case cases[] = {
        {{}, QString()},
        {samples(30, 0), QStringLiteral("0 CPS")},
        {{3, 7.9}, QStringLiteral("7 CPS")},
        {{7.9, 3}, QStringLiteral("3 CPS")},
        {{kNaN}, QStringLiteral("0 CPS")},
        {{1e300}, QStringLiteral("9223372036854775807 CPS")},
    };
    LiveCPSChartView view;
    for (const auto& c : cases) {
        view.setHistory(c.history);
        EXPECT_EQ(view.currentValueLabel()->text(), c.text);
        EXPECT_EQ(!view.currentValueLabel()->isHidden(), !c.history.empty()) << c.text.toStdString();
    }
}

// Given the rate the Speed tile shows, the title row shows that and not the newest sample; a new rate repaints the
// number only, new samples the plot only.
TEST(LiveCpsChartView, AGivenRateIsTheFigureTheSamplesStayThePlots) {
    LiveCPSChartView view;
    view.resize(300, 200);
    view.setCurrentCps(4);
    EXPECT_EQ(view.currentValueLabel()->text(), QStringLiteral("4 CPS"));
    EXPECT_FALSE(view.currentValueLabel()->isHidden()) << "shown even before the first sample";
    view.setHistory({3, 9});
    view.show();
    paintPending();
    EXPECT_EQ(view.currentValueLabel()->text(), QStringLiteral("4 CPS"));
    PaintCount plot(view.plot());
    PaintCount value(view.currentValueLabel());
    view.setCurrentCps(0);
    paintPending();
    EXPECT_EQ(view.currentValueLabel()->text(), QStringLiteral("0 CPS"));
    EXPECT_GT(value.take(), 0);
    EXPECT_EQ(plot.take(), 0);
    view.setHistory({9, 0});
    paintPending();
    EXPECT_EQ(view.currentValueLabel()->text(), QStringLiteral("0 CPS"));
    EXPECT_GT(plot.take(), 0);
    EXPECT_EQ(value.take(), 0);
}

// Renders the plot and tells whether the pixel is (close to) the accent colour.
class ChartRender : public ::testing::Test {
protected:
    void SetUp() override {
        view.setAccentColor(QColor(255, 0, 0));
        view.resize(314, 200);
        view.plot()->resize(290, CpsChartPlot::kHeight);
    }
    bool isAccent(const std::vector<double>& history, QPoint at) {
        view.setHistory(history);
        const QImage image = view.plot()->grab().toImage();
        const QColor pixel = image.pixelColor(at * image.devicePixelRatio());
        return pixel.red() > 200 && pixel.green() < 90 && pixel.blue() < 90;
    }
    LiveCPSChartView view;
};

TEST_F(ChartRender, LineFollowsTheScale) {
    const QPoint middle(145, 59);
    std::vector<double> peaked = samples(30, 6);
    peaked[0] = 12;
    EXPECT_TRUE(isAccent(samples(30, 2.5), middle)) << "2.5 of 5 lies at half height";
    EXPECT_TRUE(isAccent(peaked, middle)) << "6 of a largest 12 lies at half height";
    EXPECT_FALSE(isAccent(samples(30, 4), middle)) << "4 of 5 lies higher";
}

TEST_F(ChartRender, NoLineBelowTwoSamples) {
    const QPoint middle(145, 59);
    EXPECT_FALSE(isAccent({}, middle));
    EXPECT_FALSE(isAccent({2.5}, middle));
    EXPECT_TRUE(isAccent({2.5, 2.5}, middle));
}

TEST(LiveCPSChartView, RepaintsOnlyForSamplesOrAColourThatDiffer) {
    LiveCPSChartView view;
    view.resize(300, 200);
    view.setHistory(samples(30, 0));
    view.setAccentColor(QColor(0, 122, 255));
    view.show();
    paintPending();
    EXPECT_EQ(view.graphicsEffect(), nullptr) << "its shadow is drawn beneath it, not through an effect";
    PaintCount plot(view.plot());
    PaintCount value(view.currentValueLabel());

    // Idle, the view model hands over thirty zeros again every second.
    view.setHistory(samples(30, 0));
    view.setAccentColor(QColor(0, 122, 255));
    paintPending();
    EXPECT_EQ(plot.take(), 0);
    EXPECT_EQ(value.take(), 0);

    std::vector<double> active = samples(30, 0);
    active.back() = 7;
    view.setHistory(active);
    paintPending();
    EXPECT_GT(plot.take(), 0);
    EXPECT_GT(value.take(), 0);

    active.back() = 7.6;  // another curve, the same "7 CPS"
    view.setHistory(active);
    paintPending();
    EXPECT_GT(plot.take(), 0);
    EXPECT_EQ(value.take(), 0);

    view.setAccentColor(QColor(255, 45, 85));
    paintPending();
    EXPECT_GT(plot.take(), 0);
    EXPECT_GT(value.take(), 0);
}

}  // namespace
}  // namespace clicktrove
