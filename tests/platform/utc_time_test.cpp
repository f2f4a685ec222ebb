// Calendar time by hand, for the crash handler, which may not call the time functions.
#include "platform/utc_time.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace clicktrove::platform {
namespace {

TEST(UtcTime, GivesTheCalendarTimeOfASecondCount) {
    struct Case {
        std::int64_t seconds;
        const char* compact;
        const char* iso;  // with 123 ms
    };
    for (const Case& c : {Case{0, "19700101T000000Z", "1970-01-01T00:00:00.123Z"},
                          Case{951782400, "20000229T000000Z", "2000-02-29T00:00:00.123Z"},  // 2000 is a leap year
                          Case{1709251199, "20240229T235959Z", "2024-02-29T23:59:59.123Z"},
                          Case{1735689600, "20250101T000000Z", "2025-01-01T00:00:00.123Z"},
                          Case{4107542400, "21000301T000000Z", "2100-03-01T00:00:00.123Z"},  // 2100 is no leap year
                          Case{-1, "19691231T235959Z", "1969-12-31T23:59:59.123Z"}}) {
        const UtcTime t = UtcTime::fromUnixSeconds(c.seconds);
        char compact[17];
        char iso[25];
        t.formatCompact(compact);
        t.formatIso(123, iso);
        EXPECT_STREQ(compact, c.compact) << c.seconds;
        EXPECT_STREQ(iso, c.iso) << c.seconds;
    }
}

}  // namespace
}  // namespace clicktrove::platform
