#include "services/EasternTime.h"

#include <cstdio>

namespace kavex::services {

namespace {

using namespace std::chrono;

bool daylightSaving(sys_seconds utc) {
    const year_month_day date{floor<days>(utc)};
    const year y = date.year();
    const sys_seconds starts = sys_days{y / March / Sunday[2]} + hours{7};
    const sys_seconds ends = sys_days{y / November / Sunday[1]} + hours{6};
    return utc >= starts && utc < ends;
}

}  // namespace

EasternTime toEastern(system_clock::time_point time) {
    const sys_seconds utc = floor<seconds>(time);
    const sys_seconds local = utc - hours{daylightSaving(utc) ? 4 : 5};
    const sys_days day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss clock{local - day};
    EasternTime eastern;
    eastern.year = static_cast<int>(date.year());
    eastern.month = static_cast<unsigned>(date.month());
    eastern.day = static_cast<unsigned>(date.day());
    eastern.hour = static_cast<int>(clock.hours().count());
    eastern.minute = static_cast<int>(clock.minutes().count());
    eastern.second = static_cast<int>(clock.seconds().count());
    return eastern;
}

std::string shortTime(const EasternTime& time) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour % 100, time.minute % 100);
    return text;
}

std::string fullTime(const EasternTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d %02d:%02d:%02d", time.month % 100,
                  time.day % 100, time.year % 10000, time.hour % 100, time.minute % 100,
                  time.second % 100);
    return text;
}

}  // namespace kavex::services
