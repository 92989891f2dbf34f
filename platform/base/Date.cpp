#include "platform/base/Date.h"

#include <cmath>

namespace kavex::base {

namespace {

constexpr long long SecondsPerDay = 86400;

// Days from 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's civil algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

// The zero date, 30 December 1899, counted from 1970.
const long long ZeroDay = daysFromCivil(1899, 12, 30);

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// A serial before the zero date keeps its time as a positive fraction (-1.25 is 29 December
// 1899, 6:00), so the serial is not a straight line through zero. These two helpers move
// between the serial and a straight count of days, where adding works.
double toLinear(double serial) {
    const double days = std::trunc(serial);
    return days + std::fabs(serial - days);
}

double fromLinear(double linear) {
    if (linear >= 0) {
        return linear;
    }
    const double days = std::floor(linear);
    const double fraction = linear - days;
    return fraction == 0 ? days : days - fraction;
}

// Whole days and the seconds of the day, the time rounded to the second.
void splitLinear(double linear, long long& days, long long& seconds) {
    // Far beyond the calendar's range the parts mean nothing; keep the arithmetic defined.
    if (!std::isfinite(linear)) {
        linear = 0;
    }
    linear = std::fmax(-1e9, std::fmin(1e9, linear));
    days = static_cast<long long>(std::floor(linear));
    seconds = std::llround((linear - static_cast<double>(days)) * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        ++days;
        seconds -= SecondsPerDay;
    }
}

Date fromDaysSeconds(long long days, long long seconds) {
    days += seconds / SecondsPerDay;
    seconds %= SecondsPerDay;
    if (seconds < 0) {
        seconds += SecondsPerDay;
        --days;
    }
    return Date{fromLinear(static_cast<double>(days) +
                           static_cast<double>(seconds) / static_cast<double>(SecondsPerDay))};
}

}  // namespace

std::optional<Date> makeDate(int year, int month, int day, int hour, int minute, int second) {
    // The runtime's dates run from the year 100 to 9999.
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59) {
        return std::nullopt;
    }
    const long long days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - ZeroDay;
    return fromDaysSeconds(days, hour * 3600LL + minute * 60LL + second);
}

DateParts splitDate(Date date) {
    long long days = 0;
    long long seconds = 0;
    splitLinear(toLinear(date.serial), days, seconds);
    DateParts parts;
    civilFromDays(days + ZeroDay, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

int weekday(Date date) {
    long long days = 0;
    long long seconds = 0;
    splitLinear(toLinear(date.serial), days, seconds);
    // The zero date was a Saturday.
    const long long index = ((days + 6) % 7 + 7) % 7;
    return static_cast<int>(index) + 1;
}

Date addSeconds(Date date, long long seconds) {
    long long days = 0;
    long long daySeconds = 0;
    splitLinear(toLinear(date.serial), days, daySeconds);
    return fromDaysSeconds(days, daySeconds + seconds);
}

Date addDays(Date date, long long days) {
    return Date{fromLinear(toLinear(date.serial) + static_cast<double>(days))};
}

Date datePart(Date date) {
    return Date{std::trunc(date.serial) + 0.0};
}

}  // namespace kavex::base
