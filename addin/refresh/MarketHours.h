#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Date.h"
#include "platform/os/Registry.h"
#include "platform/os/TimeZoneTable.h"

namespace kavex::addin::refresh {

// One zone of the registry's time-zone table. UTC = local time + Bias; DaylightBias is added to
// Bias while daylight time is in force. StandardDate ends daylight time, DaylightDate starts it.
struct TimeZoneEntry {
    std::int32_t Bias = 0;
    std::int32_t StandardBias = 0;
    std::int32_t DaylightBias = 0;
    os::SystemTime StandardDate;
    os::SystemTime DaylightDate;
    std::string Display;
    std::string Std;
    std::string Dlt;
    std::string MapID;
};

// The zone table, in the registry's enumeration order; every IsWithinMarketTime rebuilds it.
extern std::vector<TimeZoneEntry> TimeZoneTable;

// True while the US exchanges trade (Monday to Friday, 8:00:00 to 17:59:59 Eastern time).
// message is set when the answer could not be worked out (the answer is then True) or tells why
// the market is closed.
bool IsWithinMarketTime(std::string& message);

bool LoadTimeZoneTable(const std::string& keyPath);
bool EnumTimeZoneKeys(os::HKEY rootKey, const std::string& keyPath);
TimeZoneEntry ReadTimeZoneEntry(const std::string& zoneKeyPath);
std::string GetRegistryString(const std::string& keyPath, const std::string& valueName);
std::string TrimAtNull(const std::string& value);
bool IsWindowsNT();

base::Date ConvertZoneTimeToUTC(base::Date t, const TimeZoneEntry& zone);
base::Date ConvertUTCToZoneTime(base::Date u, const TimeZoneEntry& zone);
bool IsDaylightTime(base::Date t, const TimeZoneEntry& zone);
// The n-th given weekday (0 = Sunday) of a month; an n past the last such day gives the last one.
base::Date GetNthWeekdayDate(std::int16_t year, std::int16_t month, std::int16_t dayOfWeek,
                             std::int16_t n);

// Empties TimeZoneTable (tests).
void resetMarketHours();

}  // namespace kavex::addin::refresh
