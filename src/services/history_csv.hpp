#pragma once

#include "engine/history_record.hpp"

#include <QLocale>
#include <QTimeZone>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clicktrove {

// The text of the history export: a header line, then one line per record in the order given, every line
// ended by a single LF. Numbers always use a point as decimal separator; the date follows the user's locale
// (its digits) and time zone, since it is read by the same person who ran the clicks.
class HistoryCsv {
public:
    static constexpr std::string_view kHeader = "Date,Total Clicks,Duration (s),Click Type,Average Interval (ms)";

    // In the user's locale and local time zone.
    static std::string text(const std::vector<HistoryRecord>& records);
    // In the given locale; in the given time zone, or local time when none is given.
    static std::string text(const std::vector<HistoryRecord>& records, const QLocale& locale,
                            const std::optional<QTimeZone>& zone);

    // printf "%.*f" in the C locale, whatever the process locale is.
    static std::string fixed(double value, int decimals);
    // The date as "yyyy-MM-dd HH:mm:ss" (24-hour clock).
    static std::string formatDate(Date date, const QLocale& locale, const std::optional<QTimeZone>& zone);
};

}  // namespace clicktrove
