// The number format of the fields and the texts of the shared controls.
#include "ui/widgets/value_text.hpp"
#include "ui/widgets/number_formatter.hpp"

#include <gtest/gtest.h>
#include <cstdint>
#include <limits>
#include <optional>

namespace clicktrove {
namespace {

TEST(ValueText, SliderValuesTruncateTowardZero) {
    EXPECT_EQ(sliderValueText(50.0, "ms"), "50 ms");
    EXPECT_EQ(sliderValueText(199.99, "ms"), "199 ms");
    EXPECT_EQ(sliderValueText(-2.7, "px"), "-2 px");
    EXPECT_EQ(sliderValueText(1e30, "px"), "1000000000000000019884624838656 px") << "beyond 64 bits: still digits";
}

TEST(NumberFormatter, ShowsPlainDigitsWithTheDecimalsTheValueHas) {
    const auto& f = NumberFormatter::shared();
    EXPECT_EQ(&f, &NumberFormatter::shared()) << "one instance for the process";
    EXPECT_EQ(f.format(std::int64_t{1234567}), "1234567");
    EXPECT_EQ(f.format(std::int64_t{-5}), "-5");
    EXPECT_EQ(f.format(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.5, "0.5"},          {1.5, "1.5"},       {-0.4, "-0.4"},
                 {300.0, "300"},        {1234.7, "1234.7"}, {0.1, "0.1"},
                 {512.7, "512.7"},      {-0.0, "0"},        {1e20, "100000000000000000000"},
                 {0.000125, "0.000125"}};
    for (const auto& c : cases) {
        EXPECT_EQ(f.format(c.value), c.text) << c.value;
        // What the field shows reads back as the value stored, so leaving it untouched changes nothing.
        EXPECT_EQ(f.parseDecimal(f.format(c.value)), c.value) << c.value;
    }
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

}  // namespace
}  // namespace clicktrove
