#include "services/history_csv.hpp"

#include <QDateTime>
#include <array>
#include <charconv>

namespace clicktrove {

std::string HistoryCsv::text(const std::vector<HistoryRecord>& records) {
    return text(records, QLocale::system(), std::nullopt);
}

std::string HistoryCsv::text(const std::vector<HistoryRecord>& records, const QLocale& locale,
                             const std::optional<QTimeZone>& zone) {
    std::string out(kHeader);
    out += '\n';
    for (const auto& record : records) {
        out += '"';
        out += formatDate(record.date, locale, zone);
        out += "\",";
        out += std::to_string(record.totalClicks);
        out += ',';
        out += fixed(record.duration, 2);
        out += ",\"";
        out += displayText(record.clickType);
        out += "\",";
        out += fixed(record.averageIntervalMs, 1);
        out += '\n';
    }
    return out;
}

std::string HistoryCsv::fixed(double value, int decimals) {
    // to_chars never consults the locale, unlike printf, whose decimal separator follows LC_NUMERIC. The
    // largest double in fixed notation has 309 integer digits.
    std::array<char, 400> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) return {};
    return std::string(buffer.data(), result.ptr);
}

std::string HistoryCsv::formatDate(Date date, const QLocale& locale, const std::optional<QTimeZone>& zone) {
    // Whole milliseconds, rounded down, so a time is never shown as the next second.
    const auto ms = std::chrono::floor<std::chrono::milliseconds>(date.time_since_epoch()).count();
    const QDateTime when =
        zone ? QDateTime::fromMSecsSinceEpoch(ms, *zone) : QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    return locale.toString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
}

}  // namespace clicktrove
