#include "engine/click_config.hpp"
#include "engine/date.hpp"
#include "engine/model_json.hpp"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using clicktrove::ClickConfig;
using clicktrove::ClickPositionMode;
using clicktrove::ClickType;
using clicktrove::CoordinatesOrder;
using clicktrove::Date;
using clicktrove::ScreenPoint;

namespace {
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const Date kNow = Date{} + std::chrono::seconds(1'765'000'000);

ClickConfig withInterval(std::int64_t h, std::int64_t m, std::int64_t s, std::int64_t ms, std::int64_t us) {
    ClickConfig c{kNow};
    c.intervalHours = h;
    c.intervalMinutes = m;
    c.intervalSeconds = s;
    c.intervalMilliseconds = ms;
    c.intervalMicroseconds = us;
    return c;
}
}  // namespace

// The defaults as documented for a new run, in the form presets, settings and exported files carry them: every
// key with its value (the dates are the moment of construction and an hour later, in seconds since 2001).
TEST(ClickConfig, DefaultsMatchANewRun) {
    const double now = clicktrove::secondsSinceReferenceDate(kNow);
    const auto documented = nlohmann::ordered_json::parse(R"({
        "intervalHours": 0, "intervalMinutes": 0, "intervalSeconds": 1, "intervalMilliseconds": 0,
        "intervalMicroseconds": 0, "maxClicks": 0, "clickType": "Left Click", "positionMode": "Current Mouse Position",
        "fixedCoordinates": [], "coordinatesOrder": "Sequential Order", "randomizeInterval": false,
        "intervalRandomRangeMs": 50.0, "randomizeRadius": false, "randomRadius": 5.0, "isDragEnabled": false,
        "dragStartPoint": [0, 0], "dragEndPoint": [0, 0], "dragDuration": 0.5, "scheduledStartEnabled": false,
        "scheduledStopEnabled": false, "edgeStopEnabled": true, "playClickSound": false, "clickSoundName": "Tink",
        "soundVolume": 0.5, "notifyOnComplete": true})");
    const auto encoded = clicktrove::toJson(ClickConfig{kNow});
    ASSERT_TRUE(encoded.has_value());
    ASSERT_EQ(encoded->size(), 27u);
    for (const auto& [key, value] : documented.items()) {
        ASSERT_TRUE(encoded->contains(key)) << key;
        EXPECT_EQ((*encoded)[key], value) << key;
    }
    EXPECT_DOUBLE_EQ((*encoded)["scheduledStartTime"].get<double>(), now);
    EXPECT_DOUBLE_EQ((*encoded)["scheduledStopTime"].get<double>(), now + 3600);
    EXPECT_EQ(ClickConfig{kNow}.totalIntervalNanoseconds(), 1'000'000'000u) << "one second";
}

TEST(ClickConfig, DefaultConstructionTakesTheWallClock) {
    const auto before = std::chrono::system_clock::now();
    const ClickConfig c;
    const auto after = std::chrono::system_clock::now();
    EXPECT_GE(c.scheduledStartTime, before);
    EXPECT_LE(c.scheduledStartTime, after);
    EXPECT_EQ(c.scheduledStopTime - c.scheduledStartTime, std::chrono::seconds(3600));
    // Everything else is the same default as from an injected clock.
    EXPECT_EQ(c, ClickConfig{c.scheduledStartTime});

    // Made at different moments, two default configurations differ, and only in their schedule.
    while (std::chrono::system_clock::now() <= c.scheduledStartTime) std::this_thread::yield();
    const ClickConfig later;
    EXPECT_GT(later.scheduledStartTime, c.scheduledStartTime);
    EXPECT_NE(later, c);
    EXPECT_EQ(later, ClickConfig{later.scheduledStartTime});
}

struct IntervalCase {
    const char* name;
    std::int64_t h, m, s, ms, us;
    std::uint64_t expected;
};
void PrintTo(const IntervalCase& c, std::ostream* os) {
    *os << c.name;
}

class TotalInterval : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(TotalInterval, SumsThePartsWithAOneMillisecondFloor) {
    const auto& p = GetParam();
    const auto total = withInterval(p.h, p.m, p.s, p.ms, p.us).totalIntervalNanoseconds();
    EXPECT_EQ(total, p.expected);
    // The engine takes the total as a signed count: it must always fit.
    EXPECT_LE(total, static_cast<std::uint64_t>(kMax));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TotalInterval,
    ::testing::Values(
        IntervalCase{"AllZeroIsTheFloor", 0, 0, 0, 0, 0, 1'000'000},
        IntervalCase{"JustAboveTheFloorIsKept", 0, 0, 0, 1, 1, 1'001'000},
        IntervalCase{"BelowOneMillisecondIsFloored", 0, 0, 0, 0, 999, 1'000'000},
        IntervalCase{"ExactlyOneMillisecond", 0, 0, 0, 1, 0, 1'000'000},
        IntervalCase{"MicrosecondsAlone", 0, 0, 0, 0, 1'001, 1'001'000},
        IntervalCase{"EveryPartWeighted", 1, 1, 1, 1, 1, 3'661'001'001'000},
        IntervalCase{"NegativeHoursCountAsZero", -5, 0, 1, 0, 0, 1'000'000'000},
        IntervalCase{"NegativeMillisecondsCountAsZero", 0, 0, 2, -500, 0, 2'000'000'000},
        IntervalCase{"AllMostNegativeIsTheFloor", kMin, kMin, kMin, kMin, kMin, 1'000'000},
        IntervalCase{"LargestHoursThatFit", 2'562'047, 0, 0, 0, 0, 9'223'369'200'000'000'000u},
        IntervalCase{"HoursProductOverflowSaturates", 2'562'048, 0, 0, 0, 0, static_cast<std::uint64_t>(kMax)},
        IntervalCase{"SumOverflowSaturates", 2'562'047, 48, 0, 0, 0, static_cast<std::uint64_t>(kMax)},
        IntervalCase{"SumJustFits", 2'562'047, 47, 0, 0, 0, 9'223'372'020'000'000'000u},
        IntervalCase{"EveryPartMaximal", kMax, kMax, kMax, kMax, kMax, static_cast<std::uint64_t>(kMax)},
        IntervalCase{"MicrosecondsOverflowSaturates", 0, 0, 0, 0, kMax, static_cast<std::uint64_t>(kMax)}),
    [](const auto& info) { return std::string(info.param.name); });

struct RangeCase {
    const char* name;
    double range;
    double expected;
};
void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class EffectiveJitterRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(EffectiveJitterRange, IsZeroForNegativeOrNonFiniteAndFitsNanoseconds) {
    ClickConfig c{kNow};
    c.intervalRandomRangeMs = GetParam().range;
    const double r = c.effectiveIntervalRandomRangeMs();
    EXPECT_EQ(r, GetParam().expected);
    EXPECT_LT(r * 1'000'000.0, 9223372036854775807.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, EffectiveJitterRange,
                         ::testing::Values(RangeCase{"Default", 50.0, 50.0}, RangeCase{"Zero", 0.0, 0.0},
                                           RangeCase{"Fraction", 0.25, 0.25}, RangeCase{"Negative", -1.0, 0.0},
                                           RangeCase{"NaN", kNaN, 0.0}, RangeCase{"Infinity", kInf, 0.0},
                                           RangeCase{"MinusInfinity", -kInf, 0.0},
                                           RangeCase{"HugeIsCapped", 1e300, 9'223'372'036'854.0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct JitterCase {
    const char* name;
    std::int64_t ms;  // base interval in milliseconds; kMax means every part maximal
    double jitterMs;
    std::int64_t expected;
};
void PrintTo(const JitterCase& c, std::ostream* os) {
    *os << c.name;
}

class JitteredInterval : public ::testing::TestWithParam<JitterCase> {};

TEST_P(JitteredInterval, MovesTheBaseTruncatedFlooredAndSaturated) {
    const auto& p = GetParam();
    const auto c = p.ms == kMax ? withInterval(kMax, 0, 0, 0, 0) : withInterval(0, 0, 0, p.ms, 0);
    EXPECT_EQ(c.jitteredIntervalNanoseconds(p.jitterMs), p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JitteredInterval,
    ::testing::Values(JitterCase{"NoJitter", 10, 0.0, 10'000'000}, JitterCase{"Later", 10, 50.0, 60'000'000},
                      JitterCase{"EarlierIsFloored", 10, -50.0, 1'000'000},
                      JitterCase{"LandingOnOneMillisecond", 10, -9.0, 1'000'000},
                      // -8,999,999.5 ns truncates toward zero to -8,999,999: 1,000,001 ns is above the floor.
                      JitterCase{"TruncatedTowardZero", 10, -8.9999995, 1'000'001},
                      JitterCase{"SubNanosecondIsDropped", 10, 0.0000004, 10'000'000},
                      JitterCase{"NaNCountsAsZero", 10, kNaN, 10'000'000},
                      JitterCase{"InfinityCountsAsZero", 10, kInf, 10'000'000},
                      JitterCase{"HugeSaturates", 10, 1e20, kMax},
                      JitterCase{"HugeNegativeIsFloored", 10, -1e20, 1'000'000},
                      JitterCase{"SaturatedBasePlusJitter", kMax, 0.5, kMax},
                      JitterCase{"SaturatedBaseMinusJitter", kMax, -1.0, kMax - 1'000'000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClickConfig, EqualityComparesEveryFieldAndNaNNeverEqual) {
    const ClickConfig base{kNow};
    EXPECT_EQ(base, ClickConfig{kNow});

    // One change per field group must be seen.
    const std::vector<std::function<void(ClickConfig&)>> changes{
        [](ClickConfig& c) { c.intervalMicroseconds = 1; },
        [](ClickConfig& c) { c.maxClicks = -3; },
        [](ClickConfig& c) { c.clickType = ClickType::scrollDown; },
        [](ClickConfig& c) {
            c.fixedCoordinates = {{1, 2}};
        },
        [](ClickConfig& c) { c.coordinatesOrder = CoordinatesOrder::random; },
        [](ClickConfig& c) { c.dragEndPoint.y = 0.5; },
        [](ClickConfig& c) { c.scheduledStopTime += std::chrono::nanoseconds(1); },
        [](ClickConfig& c) { c.clickSoundName = "tink"; },
        [](ClickConfig& c) { c.notifyOnComplete = false; },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        ClickConfig other = base;
        changes[i](other);
        EXPECT_NE(base, other) << "change " << i;
    }

    ClickConfig a{kNow};
    a.fixedCoordinates = {{1, 2}, {3, 4}};
    ClickConfig b = a;
    b.fixedCoordinates.pop_back();
    EXPECT_NE(a, b) << "lists of different lengths";

    ClickConfig nan{kNow};
    nan.intervalRandomRangeMs = kNaN;
    EXPECT_FALSE(nan == nan);
    ClickConfig nanPoint{kNow};
    nanPoint.fixedCoordinates = {{kNaN, 0}};
    EXPECT_FALSE(nanPoint == nanPoint);
    ClickConfig zero{kNow}, negativeZero{kNow};
    zero.randomRadius = 0.0;
    negativeZero.randomRadius = -0.0;
    EXPECT_EQ(zero, negativeZero) << "numeric equality";
}
