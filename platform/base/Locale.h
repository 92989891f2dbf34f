#pragma once

#include <array>
#include <string>

namespace kavex::base {

// The user's regional settings that conversions and Format read. en-US unless a test sets another.
struct Locale {
    char decimalSeparator = '.';
    char groupingSeparator = ',';
    std::string currencySymbol = "$";
    char dateSeparator = '/';
    std::string shortDatePattern = "M/d/yyyy";
    std::string longTimePattern = "h:mm:ss AMPM";
    std::array<std::string, 12> monthNames{"January", "February", "March",     "April",
                                           "May",     "June",     "July",      "August",
                                           "September", "October", "November", "December"};
};

const Locale& currentLocale();
void setCurrentLocale(Locale locale);

}  // namespace kavex::base
