#include "crash/sentry_rate_limits.hpp"

#include "platform/atomic_file.hpp"
#include "platform/file_read.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace clicktrove::crash {

namespace {

using Category = SentryRateLimits::Category;
using std::chrono::seconds;
using std::chrono::system_clock;

constexpr std::array<std::pair<Category, std::string_view>, 2> kCategoryNames{{
    {Category::error, "error"},
    {Category::transaction, "transaction"},
}};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// Whole or fractional seconds, rounded up so that the pause is never shorter than asked.
std::optional<seconds> secondsIn(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    if (value > 1e9) value = 1e9;
    return seconds(static_cast<seconds::rep>(std::ceil(value)));
}

int number(std::string_view text) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

// The preferred form of an HTTP date, IMF-fixdate: "Sun, 06 Nov 1994 08:49:37 GMT".
std::optional<std::chrono::sys_seconds> httpDate(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto parts = split(trimmed(text), ' ');
    if (parts.size() != 6 || parts[0].size() != 4 || parts[0].back() != ',' || parts[5] != "GMT") return std::nullopt;
    const int day = number(parts[1]);
    int month = 0;
    while (month < 12 && kMonths[static_cast<std::size_t>(month)] != parts[2]) ++month;
    const int year = number(parts[3]);
    const auto clock = split(parts[4], ':');
    if (clock.size() != 3 || month == 12 || day < 1 || year < 1970) return std::nullopt;
    const int hour = number(clock[0]);
    const int minute = number(clock[1]);
    const int second = number(clock[2]);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month + 1)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) return std::nullopt;
    // Kept in seconds: a date in the year 9999 is valid but beyond what a nanosecond time point can hold.
    return std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) + seconds(second);
}

// now + span (span >= 0), stopping at the end of the clock: a clock set to its last day must not wrap a pause
// into the past.
system_clock::time_point later(system_clock::time_point now, seconds span) {
    return now > system_clock::time_point::max() - span ? system_clock::time_point::max() : now + span;
}

// One line of the file, "<category> <seconds since 1970>". Nothing for a line that is not one, or whose time does
// not fit a time point (a damaged file): converting that to the clock's nanoseconds would overflow.
std::optional<std::pair<Category, system_clock::time_point>> storedPause(std::string_view line) {
    const auto fields = split(trimmed(line), ' ');
    if (fields.size() != 2) return std::nullopt;
    long long until = -1;
    const auto [end, error] = std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), until);
    constexpr auto kLatest = std::chrono::floor<seconds>(system_clock::time_point::max().time_since_epoch()).count();
    if (error != std::errc() || end != fields[1].data() + fields[1].size() || until < 0 || until > kLatest) {
        return std::nullopt;
    }
    for (const auto& [category, name] : kCategoryNames) {
        if (fields[0] == name) return std::make_pair(category, system_clock::time_point(seconds(until)));
    }
    return std::nullopt;
}

}  // namespace

SentryRateLimits::SentryRateLimits(std::filesystem::path file, TimePoint now) : file_(std::move(file)) {
    if (file_.empty()) return;
    const platform::FileRead read = platform::readRegularFile(file_, 4096);
    if (!read.ok()) return;
    for (const std::string_view line : split(read.contents, '\n')) {
        if (const auto stored = storedPause(line)) until_[stored->first] = stored->second;
    }
    if (cutToLongestPause(now)) save();
}

void SentryRateLimits::update(const platform::HttpResponse& response, TimePoint now) {
    std::lock_guard lock(mutex_);
    const auto before = until_;
    cutToLongestPause(now);
    if (const std::string header = response.header("X-Sentry-Rate-Limits"); !header.empty()) {
        for (const std::string_view limit : split(header, ',')) {
            const auto fields = split(trimmed(limit), ':');
            const auto delay = secondsIn(fields[0]);
            if (!delay || fields.size() < 2) continue;
            const std::string_view categories = trimmed(fields[1]);
            for (const auto& [category, name] : kCategoryNames) {
                bool named = categories.empty();
                for (const std::string_view listed : split(categories, ';')) named = named || trimmed(listed) == name;
                if (named) pause(category, *delay, now);
            }
        }
    } else if (response.status == 429) {
        const auto delay = retryAfter(response.header("Retry-After"), now).value_or(kDefaultPause);
        for (const auto& entry : kCategoryNames) pause(entry.first, delay, now);
    }
    if (until_ != before) save();
}

std::optional<SentryRateLimits::TimePoint> SentryRateLimits::pausedUntil(Category category, TimePoint now) const {
    std::lock_guard lock(mutex_);
    const auto found = until_.find(category);
    if (found == until_.end() || found->second <= now) return std::nullopt;
    // The clock was set back since the pause was taken; the next answer or start cuts what is stored.
    return std::min(found->second, later(now, kLongestPause));
}

std::optional<seconds> SentryRateLimits::retryAfter(std::string_view value, TimePoint now) {
    if (const auto delay = secondsIn(value)) return delay;
    if (const auto date = httpDate(value)) {
        // The date is whole seconds, so rounding now down rounds the delay up.
        return std::max(seconds(0), *date - std::chrono::floor<seconds>(now));
    }
    return std::nullopt;
}

void SentryRateLimits::pause(Category category, seconds delay, TimePoint now) {
    const TimePoint until = later(now, std::min<seconds>(delay, kLongestPause));
    auto& current = until_[category];
    // A longer pause already under way stands; the service tells each limit it knows about anew.
    if (until > current) current = until;
}

// A pause held beyond the longest the service asks for was taken under a clock that was ahead, since corrected,
// or read from a damaged file. Kept as it is, it would answer "another day" at every start until the wall clock
// reached it, and the oldest reports would be deleted unsent meanwhile.
bool SentryRateLimits::cutToLongestPause(TimePoint now) {
    const TimePoint latest = later(now, kLongestPause);
    bool cut = false;
    for (auto& entry : until_) {
        if (entry.second > latest) {
            entry.second = latest;
            cut = true;
        }
    }
    return cut;
}

void SentryRateLimits::save() const {
    if (file_.empty()) return;
    std::string text;
    for (const auto& [category, name] : kCategoryNames) {
        const auto found = until_.find(category);
        if (found == until_.end()) continue;
        text += std::string(name) + ' ' +
                std::to_string(std::chrono::duration_cast<seconds>(found->second.time_since_epoch()).count()) + '\n';
    }
    // A pause that could not be kept is only lost at the next start; the service will ask again.
    platform::writeFileAtomically(file_, text);
}

}  // namespace clicktrove::crash
