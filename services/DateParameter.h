#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kavex::services {

// The calendar day of a date parameter as "YYYY-MM-DD", or nullopt when the text is not a date.
// Accepted: "YYYY-MM-DD", "M/D/YYYY", each optionally followed by a blank and a time
// ("HH:MM[:SS]", with " AM"/" PM" after the US form), which is ignored. Empty text is not a date;
// the caller decides what an empty parameter means.
std::optional<std::string> parseDateParameter(std::string_view text);

// "YYYY-MM-DD" of a time, in UTC.
std::string isoDay(std::chrono::system_clock::time_point time);
// "YYYY-MM-DD HH:MM:SS" of a time, in UTC.
std::string isoDateTime(std::chrono::system_clock::time_point time);

}  // namespace kavex::services
