#include "addin/refresh/MarketHours.h"

#include <array>
#include <cmath>

#include "platform/base/Format.h"
#include "platform/base/Text.h"
#include "platform/os/Clock.h"
#include "platform/os/Windows.h"

namespace kavex::addin::refresh {

std::vector<TimeZoneEntry> TimeZoneTable;

namespace {

constexpr std::uint32_t AllAccess = 0xF003F;
constexpr std::uint32_t NameBufferSize = 2048;
constexpr const char* EasternStandardName = "Eastern Standard Time";
constexpr const char* NtZonesKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
constexpr const char* ZonesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Time Zones";
constexpr const char* ZoneInformationKey =
    "System\\CurrentControlSet\\Control\\TimeZoneInformation";

// The conversions work on whole seconds; comparing seconds keeps the two change instants exact.
long long toSeconds(base::Date date) {
    return std::llround(date.serial * 86400.0);
}
base::Date fromSeconds(long long seconds) {
    return base::Date{static_cast<double>(seconds) / 86400.0};
}

base::Date addMinutes(base::Date t, long long minutes) {
    return fromSeconds(toSeconds(t) + minutes * 60);
}

// The runtime's DateSerial: a month or day past its range carries into the next month or year.
base::Date dateSerial(int year, int month, int day) {
    const int monthIndex = year * 12 + (month - 1);
    const int carriedYear = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    const int carriedMonth = monthIndex - carriedYear * 12 + 1;
    const auto first = base::makeDate(carriedYear, carriedMonth, 1);
    if (!first) {
        return base::Date{};
    }
    return base::addDays(*first, day - 1);
}

// A string value of an open key, read into a buffer of 2048 bytes; "" when it cannot be read.
std::string readString(os::HKEY key, const char* name, bool& ok) {
    std::array<char, NameBufferSize> buffer{};
    std::uint32_t size = NameBufferSize;
    std::uint32_t type = 0;
    ok = os::RegQueryValueExA(key, name, nullptr, &type,
                              reinterpret_cast<std::uint8_t*>(buffer.data()),
                              &size) == os::ERROR_SUCCESS;
    return ok ? TrimAtNull(std::string(buffer.data(), size)) : std::string();
}

// The date of a change rule in a year, at the rule's time of day.
base::Date ruleInstant(const os::SystemTime& rule, int year) {
    const base::Date day = rule.wYear != 0
                               ? dateSerial(year, rule.wMonth, rule.wDay)
                               : GetNthWeekdayDate(static_cast<std::int16_t>(year),
                                                   static_cast<std::int16_t>(rule.wMonth),
                                                   static_cast<std::int16_t>(rule.wDayOfWeek),
                                                   static_cast<std::int16_t>(rule.wDay));
    return fromSeconds(toSeconds(day) + rule.wHour * 3600LL + rule.wMinute * 60LL + rule.wSecond);
}

std::string formatted(base::Date t) {
    return base::formatDate(t, "mmmm dd, yyyy hh:mm:ss");
}

}  // namespace

bool IsWithinMarketTime(std::string& message) {
    message = "";
    const std::string key = IsWindowsNT() ? NtZonesKey : ZonesKey;
    if (!LoadTimeZoneTable(key)) {
        message = "Unable to locate Time Zones information in Registry under the key: " + key;
        return true;
    }
    const std::string machineZoneName = GetRegistryString(ZoneInformationKey, "StandardName");

    const TimeZoneEntry* machineZone = nullptr;
    const TimeZoneEntry* easternZone = nullptr;
    for (const auto& entry : TimeZoneTable) {
        if (base::equalsIgnoringCase(entry.Std, machineZoneName)) {
            machineZone = &entry;
        }
        if (base::equalsIgnoringCase(entry.Std, EasternStandardName)) {
            easternZone = &entry;
        }
    }
    if (machineZone == nullptr) {
        message = "Entry for [" + machineZoneName + "] not found in TimeZones collection.";
        return true;
    }
    if (easternZone == nullptr) {
        message = std::string("Entry for [") + EasternStandardName +
                  "] not found in TimeZones collection.";
        return true;
    }

    base::Date t = os::Now();
    t = ConvertZoneTimeToUTC(t, *machineZone);
    t = ConvertUTCToZoneTime(t, *easternZone);

    // Weekday counted from Monday = 1: Saturday and Sunday are above 5.
    const int mondayBased = (base::weekday(t) + 5) % 7 + 1;
    if (mondayBased > 5) {
        message = "Not a weekday [" + formatted(t) + " EST].";
        return false;
    }
    const int hour = base::splitDate(t).hour;
    if (hour < 8 || hour > 17) {
        message = "Not within 8 AM to 5 PM [" + formatted(t) + " EST].";
        return false;
    }
    return true;
}

bool LoadTimeZoneTable(const std::string& keyPath) {
    TimeZoneTable.clear();
    return EnumTimeZoneKeys(os::HKEY_LOCAL_MACHINE, keyPath);
}

bool EnumTimeZoneKeys(os::HKEY rootKey, const std::string& keyPath) {
    os::HKEY key = 0;
    os::RegOpenKeyExA(rootKey, keyPath, 0, AllAccess, &key);
    const bool found = key != 0;
    for (std::uint32_t i = 0;; ++i) {
        std::array<char, NameBufferSize> name{};
        if (os::RegEnumKeyA(key, i, name.data(), NameBufferSize) != os::ERROR_SUCCESS) {
            break;
        }
        TimeZoneTable.resize(i + 1);
        TimeZoneTable[i] =
            ReadTimeZoneEntry(keyPath + "\\" + TrimAtNull(std::string(name.data(), name.size())));
    }
    os::RegCloseKey(key);
    return found;
}

TimeZoneEntry ReadTimeZoneEntry(const std::string& zoneKeyPath) {
    TimeZoneEntry entry;
    os::HKEY key = 0;
    if (os::RegOpenKeyExA(os::HKEY_LOCAL_MACHINE, zoneKeyPath, 0, AllAccess, &key) !=
        os::ERROR_SUCCESS) {
        return entry;
    }
    std::array<std::uint8_t, 44> tzi{};
    std::uint32_t size = static_cast<std::uint32_t>(tzi.size());
    std::uint32_t type = 0;
    if (os::RegQueryValueExA(key, "TZI", nullptr, &type, tzi.data(), &size) == os::ERROR_SUCCESS) {
        if (const auto record = os::decodeTzi(tzi.data(), size)) {
            entry.Bias = record->Bias;
            entry.StandardBias = record->StandardBias;
            entry.DaylightBias = record->DaylightBias;
            entry.StandardDate = record->StandardDate;
            entry.DaylightDate = record->DaylightDate;
        }
    }
    bool ok = false;
    entry.Display = readString(key, "Display", ok);
    entry.Std = readString(key, "Std", ok);
    entry.Dlt = readString(key, "Dlt", ok);
    entry.MapID = readString(key, "MapID", ok);
    os::RegCloseKey(key);
    return entry;
}

std::string GetRegistryString(const std::string& keyPath, const std::string& valueName) {
    std::string result;
    os::HKEY key = 0;
    if (os::RegOpenKeyExA(os::HKEY_LOCAL_MACHINE, keyPath, 0, AllAccess, &key) ==
        os::ERROR_SUCCESS) {
        bool ok = false;
        const std::string text = readString(key, valueName.c_str(), ok);
        if (ok) {
            result = base::Trim(text);
        }
        os::RegCloseKey(key);
    }
    return result;
}

std::string TrimAtNull(const std::string& value) {
    const auto at = value.find('\0');
    return at == std::string::npos ? value : value.substr(0, at);
}

bool IsWindowsNT() {
    os::OsVersionInfo info;
    info.dwOSVersionInfoSize = 148;
    return os::GetVersionExA(&info) != 0 && info.dwPlatformId == os::VER_PLATFORM_WIN32_NT;
}

base::Date ConvertZoneTimeToUTC(base::Date t, const TimeZoneEntry& zone) {
    if (IsDaylightTime(t, zone)) {
        return addMinutes(t, zone.Bias + zone.DaylightBias);
    }
    return addMinutes(t, zone.Bias);
}

base::Date ConvertUTCToZoneTime(base::Date u, const TimeZoneEntry& zone) {
    // The daylight reading is taken only when that reading itself falls in daylight time.
    const base::Date candidate = addMinutes(u, -(zone.Bias + zone.DaylightBias));
    if (IsDaylightTime(candidate, zone)) {
        return candidate;
    }
    return addMinutes(u, -zone.Bias);
}

bool IsDaylightTime(base::Date t, const TimeZoneEntry& zone) {
    if (zone.DaylightDate.wMonth == 0) {
        return false;
    }
    const int year = base::splitDate(t).year;
    const long long start = toSeconds(ruleInstant(zone.DaylightDate, year));
    const long long end = toSeconds(ruleInstant(zone.StandardDate, year));
    const long long at = toSeconds(t);
    if (start < end) {
        return start < at && at < end;
    }
    return at < end || at > start;
}

base::Date GetNthWeekdayDate(std::int16_t year, std::int16_t month, std::int16_t dayOfWeek,
                             std::int16_t n) {
    int count = 0;
    base::Date result{};
    for (int day = 1; day <= 31; ++day) {
        const base::Date date = dateSerial(year, month, day);
        if (base::splitDate(date).month > month) {
            break;
        }
        if (base::weekday(date) - 1 == dayOfWeek) {
            ++count;
            result = date;
            if (count == n) {
                break;
            }
        }
    }
    return result;
}

void resetMarketHours() {
    TimeZoneTable.clear();
}

}  // namespace kavex::addin::refresh
