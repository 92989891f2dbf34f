#pragma once

#include <optional>

namespace kavex::base {

// A calendar date-time as the runtime keeps it: days since 30 December 1899 (the zero date), the
// fraction of the day being the time. Negative serials are not used by the add-in.
struct Date {
    double serial = 0.0;

    friend bool operator==(Date, Date) = default;
    friend auto operator<=>(Date, Date) = default;
};

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Builds a date from its parts; nullopt when a part is out of range (month 13, 30 February, ...).
std::optional<Date> makeDate(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0);
// The parts of a date, the time rounded to the nearest second.
DateParts splitDate(Date date);
// 1 Sunday ... 7 Saturday, as the runtime's Weekday with its default first day.
int weekday(Date date);
// Adds whole seconds (negative to go back).
Date addSeconds(Date date, long long seconds);
Date addDays(Date date, long long days);
// Just the date, the time dropped.
Date datePart(Date date);

}  // namespace kavex::base
