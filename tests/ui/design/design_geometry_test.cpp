// Shapes and texts of the design layer that need no widgets: continuous corners and the duration text.
#include "ui/design/format_duration.hpp"
#include "ui/design/rounded_shape.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace clicktrove {
namespace {

TEST(ContinuousRoundedRect, StaysInsideItsRectangleAndCutsTheCornersMoreGentlyThanAnArc) {
    const QRectF rect(0, 0, 200, 60);
    const QPainterPath path = continuousRoundedRect(rect, 12);
    EXPECT_TRUE(rect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(path.boundingRect()));
    EXPECT_EQ(path.boundingRect(), rect);
    EXPECT_TRUE(path.contains(rect.center()));
    // The corner point itself is outside, a point on a straight edge just past the corner's reach is inside.
    EXPECT_FALSE(path.contains(QPointF(0.5, 0.5)));
    EXPECT_TRUE(path.contains(QPointF(20, 0.5)));
    // Continuous corners reach further along the edge than a circular arc of the same radius: 12.5 points in,
    // an arc is already straight, the continuous curve still bends away from the edge.
    EXPECT_FALSE(path.contains(QPointF(12.5, 0.05)));
}

TEST(ContinuousRoundedRect, ARadiusTooLargeForTheRectangleIsReduced) {
    const QRectF small(0, 0, 20, 20);
    const QPainterPath path = continuousRoundedRect(small, 100);
    EXPECT_EQ(path.boundingRect(), small);
    EXPECT_TRUE(path.contains(small.center()));
    EXPECT_TRUE(continuousRoundedRect(QRectF(), 8).isEmpty());
    // No radius is a plain rectangle.
    EXPECT_TRUE(continuousRoundedRect(small, 0).contains(QPointF(0.2, 0.2)));
}

TEST(FormatDuration, JoinsTheNonZeroPartsAndTruncatesTheSeconds) {
    struct Case {
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {3725, "1h 2m 5s"}, {3600, "1h"},   {7200, "2h"}, {3660, "1h 1m"},
        {61, "1m 1s"},      {59.9, "59s"},  {0, "0s"},    {0.4, "0s"},
        {3601, "1h 1s"},    {86400, "24h"}, {-5, "0s"},   {std::numeric_limits<double>::quiet_NaN(), "0s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(formatDuration(c.seconds), c.text);
    }
    EXPECT_EQ(formatDuration(std::numeric_limits<double>::infinity()), "0s");
}

}  // namespace
}  // namespace clicktrove
