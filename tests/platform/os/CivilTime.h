#pragma once

#include <cstdint>

namespace kavex::os::testing {

// Milliseconds since 1970-01-01 of a proleptic Gregorian date and time (no zone).
inline std::int64_t civilMillis(int year, int month, int day, int hour = 0, int minute = 0,
                                int second = 0) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = std::int64_t{era} * 146097 + dayOfEra - 719468;
    return ((days * 24 + hour) * 60 + minute) * 60000 + std::int64_t{second} * 1000;
}

}  // namespace kavex::os::testing
