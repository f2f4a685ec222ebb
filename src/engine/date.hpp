#pragma once

#include <chrono>
#include <optional>

namespace clicktrove {

// A wall-clock instant as stored in the model types.
using Date = std::chrono::system_clock::time_point;

// Stored files count dates in seconds since 2001-01-01 00:00:00 UTC (978,307,200 s after the Unix epoch).
inline constexpr std::chrono::seconds kReferenceDateFromUnixEpoch{978'307'200};

// Seconds, with fraction, since the reference date. Exact to the precision of a double (under a microsecond
// for dates of this century).
double secondsSinceReferenceDate(Date date);

// The instant that many seconds after the reference date, rounded to the clock's tick; nothing when the value is
// not finite or lies outside what the clock can represent (about the years 1677 to 2262).
std::optional<Date> dateFromSecondsSinceReferenceDate(double seconds);

}  // namespace clicktrove
