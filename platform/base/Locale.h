#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kavex::base {

// The user's regional settings that conversions and Format read. en-US unless a test sets another.
// Date and time patterns use Format's tokens (M and m alike mean month, m after h means minutes).
struct Locale {
    char decimalSeparator = '.';
    char groupingSeparator = ',';
    std::string currencySymbol = "$";
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string shortDatePattern = "M/d/yyyy";
    std::string longDatePattern = "dddd, mmmm d, yyyy";
    std::string longTimePattern = "h:mm:ss AMPM";
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
    std::array<std::string, 12> monthNames{"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
    std::array<std::string, 12> abbreviatedMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // Sunday first, as Weekday counts.
    std::array<std::string, 7> dayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    std::array<std::string, 7> abbreviatedDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
};

const Locale& currentLocale();
void setCurrentLocale(Locale locale);
// Moves on each setCurrentLocale, so that what was formatted under one locale is known stale.
std::uint64_t currentLocaleGeneration();

}  // namespace kavex::base
