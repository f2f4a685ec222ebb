#pragma once

#include "engine/click_position_mode.hpp"
#include "engine/click_type.hpp"
#include "engine/coordinates_order.hpp"
#include "engine/date.hpp"
#include "engine/screen_point.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace clicktrove {

// The complete description of one clicking run. A plain value: every holder (view model, engine, settings,
// presets) keeps its own copy. The fields are stored as edited; out-of-range values (negative interval parts,
// huge totals, a negative or non-finite jitter range) are tolerated here and made safe by the accessors below.
struct ClickConfig {
    std::int64_t intervalHours = 0;
    std::int64_t intervalMinutes = 0;
    std::int64_t intervalSeconds = 1;
    std::int64_t intervalMilliseconds = 0;
    std::int64_t intervalMicroseconds = 0;
    std::int64_t maxClicks = 0;  // 0 or less: unlimited
    ClickType clickType = ClickType::left;
    ClickPositionMode positionMode = ClickPositionMode::current;
    std::vector<ScreenPoint> fixedCoordinates;
    CoordinatesOrder coordinatesOrder = CoordinatesOrder::sequential;
    bool randomizeInterval = false;
    double intervalRandomRangeMs = 50.0;  // jitter half-width: each interval moves by a uniform [-range, +range]
    bool randomizeRadius = false;
    double randomRadius = 5.0;  // points; 0 or less: no offset
    bool isDragEnabled = false;
    ScreenPoint dragStartPoint;
    ScreenPoint dragEndPoint;
    double dragDuration = 0.5;  // seconds
    bool scheduledStartEnabled = false;
    Date scheduledStartTime;
    bool scheduledStopEnabled = false;
    Date scheduledStopTime;
    bool edgeStopEnabled = true;
    bool playClickSound = false;  // carried and stored; the run's sound follows the application settings
    std::string clickSoundName = "Tink";
    double soundVolume = 0.5;
    bool notifyOnComplete = true;

    // The defaults, with the scheduled start at the current wall-clock time and the stop an hour later.
    ClickConfig();
    // The defaults, with the scheduled start at `now` and the stop an hour later (for an injected clock).
    explicit ClickConfig(Date now);

    // The base interval in nanoseconds, never below 1,000,000 (1 ms). Negative parts count as 0 and a total past
    // the signed 64-bit range saturates at INT64_MAX, so the result always fits in a std::int64_t too.
    std::uint64_t totalIntervalNanoseconds() const;

    // The jitter half-width to draw from, in milliseconds: intervalRandomRangeMs, or 0 when it is negative or not
    // finite, capped so that it fits a signed 64-bit count of nanoseconds. Does not look at randomizeInterval.
    double effectiveIntervalRandomRangeMs() const;

    // totalIntervalNanoseconds() moved by `jitterMs` milliseconds (truncated toward zero to whole nanoseconds),
    // saturating at INT64_MAX and never below 1,000,000. A non-finite jitter counts as 0.
    std::int64_t jitteredIntervalNanoseconds(double jitterMs) const;

    // All 27 fields in declaration order; floating-point fields numerically, so a NaN never compares equal.
    friend bool operator==(const ClickConfig&, const ClickConfig&) = default;
};

}  // namespace clicktrove
