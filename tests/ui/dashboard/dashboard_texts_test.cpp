// The texts the Dashboard computes and the number format of its fields.
#include "app/dashboard_texts.hpp"
#include "app/main_view_tab.hpp"
#include "app/number_formatter.hpp"

#include <gtest/gtest.h>
#include <cstdint>
#include <limits>
#include <optional>

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

TEST(DashboardTexts, SliderValuesAndPointChipsTruncateTowardZero) {
    EXPECT_EQ(sliderValueText(50.0, "ms"), "50 ms");
    EXPECT_EQ(sliderValueText(199.99, "ms"), "199 ms");
    EXPECT_EQ(sliderValueText(-2.7, "px"), "-2 px");
    EXPECT_EQ(sliderValueText(1e30, "px"), "1000000000000000019884624838656 px") << "beyond 64 bits: still digits";
    EXPECT_EQ(pointChipText(2, {512.7, 384.2}), "3: (512,384)");
    EXPECT_EQ(pointChipText(0, {-0.5, -10.9}), "1: (0,-10)");
    EXPECT_FALSE(pointChipText(0, {std::numeric_limits<double>::quiet_NaN(), 1}).isEmpty());
}

TEST(NumberFormatter, ShowsWholeNumbersWithoutGrouping) {
    const auto& f = NumberFormatter::shared();
    EXPECT_EQ(&f, &NumberFormatter::shared()) << "one instance for the process";
    EXPECT_EQ(f.format(std::int64_t{1234567}), "1234567");
    EXPECT_EQ(f.format(std::int64_t{-5}), "-5");
    EXPECT_EQ(f.format(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.5, "0"}, {1.5, "2"}, {2.5, "2"}, {-0.4, "0"}, {300.0, "300"}, {1234.7, "1235"}};
    for (const auto& c : cases) EXPECT_EQ(f.format(c.value), c.text) << c.value;
}

TEST(NumberFormatter, ReadsNumbersAndRefusesEverythingElse) {
    const auto& f = NumberFormatter::shared();
    const struct {
        const char* text;
        std::optional<double> decimal;
        std::optional<std::int64_t> integer;
    } cases[] = {
        {"42", 42.0, 42},
        {" 7 ", 7.0, 7},
        {"-3", -3.0, -3},
        {"+8", 8.0, 8},
        {"0.25", 0.25, std::nullopt},
        {"5.", 5.0, 5},
        {".5", 0.5, std::nullopt},
        {"9223372036854775807", 9223372036854775807.0, std::numeric_limits<std::int64_t>::max()},
        {"9223372036854775808", 9223372036854775808.0, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"12abc", std::nullopt, std::nullopt},
        {"1,000", std::nullopt, std::nullopt},
        {"1e3", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(f.parseDecimal(c.text), c.decimal);
        EXPECT_EQ(f.parseInteger(c.text), c.integer);
    }
}

TEST(MainViewTab, CatalogueInSidebarOrder) {
    const struct {
        MainViewTab tab;
        const char* title;
        const char* icon;
        const char* subtitle;
    } expected[] = {
        {MainViewTab::dashboard, "Dashboard", "cursorarrow.click.badge.clock", "Control & Config"},
        {MainViewTab::presets, "Presets", "tray.2.fill", "Saved Profiles"},
        {MainViewTab::recorder, "Recorder", "waveform", "Macro Recorder"},
        {MainViewTab::history, "History", "clock.arrow.circlepath", "Session Logs"},
        {MainViewTab::settings, "Settings", "gearshape.2.fill", "Preferences"},
        {MainViewTab::about, "About", "person.crop.circle.fill", "Developer Info"},
    };
    ASSERT_EQ(kAllMainViewTabs.size(), std::size(expected));
    for (std::size_t i = 0; i < kAllMainViewTabs.size(); ++i) {
        const auto tab = kAllMainViewTabs[i];
        EXPECT_EQ(tab, expected[i].tab);
        EXPECT_EQ(title(tab), expected[i].title);
        EXPECT_EQ(rawValue(tab), expected[i].title);
        EXPECT_EQ(icon(tab), expected[i].icon);
        EXPECT_EQ(subtitle(tab), expected[i].subtitle);
        EXPECT_EQ(mainViewTabFromRawValue(expected[i].title), tab);
    }
    for (const char* other : {"dashboard", "Dashboard ", "", "Recording"}) {
        EXPECT_FALSE(mainViewTabFromRawValue(other).has_value()) << other;
    }
}

}  // namespace
}  // namespace clicktrove
