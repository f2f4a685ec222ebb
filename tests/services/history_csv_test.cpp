#include "services/history_csv.hpp"

#include <gtest/gtest.h>
#include <QLocale>
#include <QTimeZone>
#include <cstdlib>
#include <ctime>

using clicktrove::ClickType;
using clicktrove::Date;
using clicktrove::HistoryCsv;
using clicktrove::HistoryRecord;
using namespace std::chrono_literals;

namespace {

const std::string kHeaderLine = "Date,Total Clicks,Duration (s),Click Type,Average Interval (ms)\n";

// 2025-03-04 14:05:09 UTC.
const Date kTuesday = Date(std::chrono::seconds(1741097109));

HistoryRecord record(Date date, std::int64_t clicks, double duration, ClickType type, double average) {
    return HistoryRecord(date, clicks, duration, type, average);
}

std::string utcText(const std::vector<HistoryRecord>& records) {
    return HistoryCsv::text(records, QLocale::c(), QTimeZone::utc());
}

}  // namespace

TEST(HistoryCsvTest, EmptyHistoryIsTheHeaderLineAlone) {
    EXPECT_EQ(utcText({}), kHeaderLine);
    EXPECT_EQ(HistoryCsv::text({}), kHeaderLine);
}

TEST(HistoryCsvTest, RecordLineQuotesDateAndTypeAndFixesTheDecimals) {
    struct Case {
        HistoryRecord record;
        std::string line;
    };
    const std::vector<Case> cases = {
        {record(kTuesday, 1200, 61.5, ClickType::doubleClick, 51.34),
         R"("2025-03-04 14:05:09",1200,61.50,"Double Click",51.3)"},
        // Fractions of a second never round the shown time up.
        {record(kTuesday + 999ms, 1, 0.004, ClickType::left, 0.05), R"("2025-03-04 14:05:09",1,0.00,"Left Click",0.1)"},
        // 2.675 and 0.15 are stored just below the half and 999.95 just above it: printf rounds the stored value.
        {record(kTuesday, 7, 2.675, ClickType::holdMiddle, 0.15),
         R"("2025-03-04 14:05:09",7,2.67,"Hold Middle Button",0.1)"},
        {record(kTuesday, 8, 1.005, ClickType::holdLeft, 999.95),
         R"("2025-03-04 14:05:09",8,1.00,"Hold Left Button",1000.0)"},
        {record(kTuesday - 14h - 5min - 9s, 9007199254740993, 3600, ClickType::scrollDown, 1000),
         R"("2025-03-04 00:00:00",9007199254740993,3600.00,"Scroll Down",1000.0)"},
        {record(kTuesday + 10h, 3, 1e7, ClickType::holdRight, 0.0),
         R"("2025-03-05 00:05:09",3,10000000.00,"Hold Right Button",0.0)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utcText({c.record}), kHeaderLine + c.line + "\n");
    }
}

TEST(HistoryCsvTest, LinesFollowTheListOrderEachEndedByOneLineFeed) {
    const std::vector<HistoryRecord> newestFirst = {
        record(kTuesday + 2h, 30, 3, ClickType::right, 100),
        record(kTuesday + 1h, 20, 2, ClickType::middle, 100),
        record(kTuesday, 10, 1, ClickType::scrollUp, 100),
    };
    EXPECT_EQ(utcText(newestFirst), kHeaderLine +
                                        "\"2025-03-04 16:05:09\",30,3.00,\"Right Click\",100.0\n"
                                        "\"2025-03-04 15:05:09\",20,2.00,\"Middle Click\",100.0\n"
                                        "\"2025-03-04 14:05:09\",10,1.00,\"Scroll Up\",100.0\n");
}

TEST(HistoryCsvTest, NumbersKeepTheirPointWhateverTheLocaleWhileTheDateFollowsLocaleAndZone) {
    const std::vector<HistoryRecord> records = {record(kTuesday, 1200, 61.5, ClickType::left, 51.34)};
    struct Case {
        QLocale locale;
        QTimeZone zone;
        std::string line;
    };
    const std::vector<Case> cases = {
        {QLocale(QLocale::German, QLocale::Germany), QTimeZone("Asia/Tokyo"),
         R"("2025-03-04 23:05:09",1200,61.50,"Left Click",51.3)"},
        {QLocale(QLocale::French, QLocale::France), QTimeZone("America/New_York"),
         R"("2025-03-04 09:05:09",1200,61.50,"Left Click",51.3)"},
        // A locale with its own digits writes the date in them; the numbers stay as printf writes them.
        {QLocale(QLocale::Arabic, QLocale::Egypt), QTimeZone::utc(),
         "\"\u0662\u0660\u0662\u0665-\u0660\u0663-\u0660\u0664 \u0661\u0664:\u0660\u0665:\u0660\u0669\",1200,61.50,"
         "\"Left Click\",51.3"},
    };
    const QLocale previous;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        ASSERT_TRUE(c.zone.isValid());
        QLocale::setDefault(c.locale);
        EXPECT_EQ(HistoryCsv::text(records, c.locale, c.zone), kHeaderLine + c.line + "\n");
    }
    QLocale::setDefault(previous);
}

TEST(HistoryCsvTest, WithoutAZoneTheDateIsInLocalTime) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    const std::string text = HistoryCsv::text({record(kTuesday, 1, 1, ClickType::left, 1)}, QLocale::c(), std::nullopt);
    if (previous) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    EXPECT_EQ(text, kHeaderLine + R"("2025-03-04 23:05:09",1,1.00,"Left Click",1.0)" + "\n");
}
