#pragma once

#include <cstdint>

namespace clicktrove::platform {

// Calendar time in UTC from a count of seconds since 1970, by integer arithmetic alone: gmtime_r is not among
// the functions a signal handler may call, and the crash handler names its reports with this stamp too.
struct UtcTime {
    std::int64_t year = 1970;
    int month = 1;  // 1...12
    int day = 1;    // 1...31
    int hour = 0;
    int minute = 0;
    int second = 0;

    static UtcTime fromUnixSeconds(std::int64_t seconds);

    // "YYYYMMDDTHHMMSSZ" and a terminating NUL: the stamp in a report's file name.
    void formatCompact(char (&out)[17]) const;
    // "YYYY-MM-DDTHH:MM:SS.mmmZ" (RFC 3339) and a terminating NUL.
    void formatIso(int milliseconds, char (&out)[25]) const;
};

}  // namespace clicktrove::platform
