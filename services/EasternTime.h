#pragma once

#include <chrono>
#include <string>

namespace kavex::services {

// A wall-clock time in New York, where the quotes are stamped.
struct EasternTime {
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// US Eastern time with the daylight-saving rule in force since 2007 (second Sunday of March to
// first Sunday of November, changing at 2:00 local time).
EasternTime toEastern(std::chrono::system_clock::time_point time);

// "HH:MM"
std::string shortTime(const EasternTime& time);
// "MM/DD/YYYY HH:MM:SS"
std::string fullTime(const EasternTime& time);

}  // namespace kavex::services
