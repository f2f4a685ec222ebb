// The texts the Dashboard computes from the view model's values.
#include "ui/dashboard/dashboard_texts.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace clicktrove {
namespace {

TEST(ElapsedText, MinutesAndSecondsBelowAnHourThenHours) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "00:00"},       {59.9, "00:59"},      {3599, "59:59"},       {3599.9, "59:59"},
        {3600, "01:00:00"}, {3725.4, "01:02:05"}, {360000, "100:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(elapsedText(c.seconds), c.text) << c.seconds;
    EXPECT_FALSE(elapsedText(std::numeric_limits<double>::infinity()).isEmpty());
    EXPECT_FALSE(elapsedText(std::numeric_limits<double>::quiet_NaN()).isEmpty());
}

TEST(DashboardTexts, PointChipsTruncateTowardZero) {
    EXPECT_EQ(pointChipText(2, {512.7, 384.2}), "3: (512,384)");
    EXPECT_EQ(pointChipText(0, {-0.5, -10.9}), "1: (0,-10)");
    EXPECT_FALSE(pointChipText(0, {std::numeric_limits<double>::quiet_NaN(), 1}).isEmpty());
}

}  // namespace
}  // namespace clicktrove
