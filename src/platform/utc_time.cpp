#include "platform/utc_time.hpp"

namespace clicktrove::platform {

namespace {

void putDigits(char* out, std::int64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

UtcTime UtcTime::fromUnixSeconds(std::int64_t seconds) {
    // Days and the second of the day, rounding towards minus infinity for times before 1970.
    std::int64_t days = seconds / 86400;
    std::int64_t secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    // Civil date from a day count (the proleptic Gregorian calendar in eras of 400 years, starting in March).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    UtcTime t;
    t.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

void UtcTime::formatCompact(char (&out)[17]) const {
    putDigits(out, year, 4);
    putDigits(out + 4, month, 2);
    putDigits(out + 6, day, 2);
    out[8] = 'T';
    putDigits(out + 9, hour, 2);
    putDigits(out + 11, minute, 2);
    putDigits(out + 13, second, 2);
    out[15] = 'Z';
    out[16] = '\0';
}

void UtcTime::formatIso(int milliseconds, char (&out)[25]) const {
    putDigits(out, year, 4);
    out[4] = '-';
    putDigits(out + 5, month, 2);
    out[7] = '-';
    putDigits(out + 8, day, 2);
    out[10] = 'T';
    putDigits(out + 11, hour, 2);
    out[13] = ':';
    putDigits(out + 14, minute, 2);
    out[16] = ':';
    putDigits(out + 17, second, 2);
    out[19] = '.';
    putDigits(out + 20, milliseconds, 3);
    out[23] = 'Z';
    out[24] = '\0';
}

}  // namespace clicktrove::platform
