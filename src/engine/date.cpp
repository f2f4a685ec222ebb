#include "engine/date.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace clicktrove {

namespace {
using Ticks = Date::duration;
constexpr std::int64_t kTicksPerSecond = Ticks::period::den / Ticks::period::num;
static_assert(Ticks::period::num == 1, "the clock ticks in fractions of a second");
}  // namespace

double secondsSinceReferenceDate(Date date) {
    // Whole seconds and the remainder apart, so the result is rounded once rather than twice.
    const auto sinceReference =
        date.time_since_epoch() - std::chrono::duration_cast<Ticks>(kReferenceDateFromUnixEpoch);
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(sinceReference);
    const auto rest = std::chrono::duration_cast<std::chrono::duration<double>>(sinceReference - whole);
    return static_cast<double>(whole.count()) + rest.count();
}

std::optional<Date> dateFromSecondsSinceReferenceDate(double seconds) {
    if (!std::isfinite(seconds)) return std::nullopt;
    // Far beyond what the clock holds (about +-292 years around 1970); also keeps the conversions below defined.
    if (std::fabs(seconds) > 1.0e11) return std::nullopt;
    // In integers from here, so that a date read and written again gives back the same number.
    const double whole = std::floor(seconds);
    const auto fractionTicks = static_cast<std::int64_t>(std::llround((seconds - whole) * kTicksPerSecond));
    const std::int64_t unixSeconds = static_cast<std::int64_t>(whole) + kReferenceDateFromUnixEpoch.count();
    std::int64_t ticks = 0;
    if (__builtin_mul_overflow(unixSeconds, kTicksPerSecond, &ticks)) return std::nullopt;
    if (__builtin_add_overflow(ticks, fractionTicks, &ticks)) return std::nullopt;
    return Date{Ticks{static_cast<Ticks::rep>(ticks)}};
}

}  // namespace clicktrove
