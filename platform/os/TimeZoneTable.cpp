#include "platform/os/TimeZoneTable.h"

#include <unicode/basictz.h>
#include <unicode/dtrule.h>
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/tzrule.h>
#include <unicode/unistr.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <set>

#include "platform/os/MachineZone.h"

namespace kavex::os {

namespace {

constexpr std::int32_t MillisPerDay = 86400000;

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
    }
}

std::uint16_t get16(const std::uint8_t* data) {
    return static_cast<std::uint16_t>(data[0] | (data[1] << 8));
}

std::int32_t get32(const std::uint8_t* data) {
    const std::uint32_t bits = std::uint32_t{data[0]} | (std::uint32_t{data[1]} << 8) |
                               (std::uint32_t{data[2]} << 16) | (std::uint32_t{data[3]} << 24);
    return static_cast<std::int32_t>(bits);
}

void putSystemTime(std::vector<std::uint8_t>& out, const SystemTime& time) {
    for (std::uint16_t field : {time.wYear, time.wMonth, time.wDayOfWeek, time.wDay, time.wHour,
                                time.wMinute, time.wSecond, time.wMilliseconds}) {
        put16(out, field);
    }
}

SystemTime getSystemTime(const std::uint8_t* data) {
    return SystemTime{get16(data),     get16(data + 2),  get16(data + 4),  get16(data + 6),
                      get16(data + 8), get16(data + 10), get16(data + 12), get16(data + 14)};
}

int monthLength(int month) {
    switch (month) {
        case 2:
            return 28;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

int currentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    return parts.tm_year + 1900;
}

// A yearly change as the table writes it: the n-th weekday of a month (5 = the last), or a fixed
// day, at a local wall-clock time (standard time for the start of daylight time, daylight time for
// its end).
SystemTime ruleToSystemTime(const icu::DateTimeRule& rule, std::int32_t rawOffset,
                            std::int32_t savings, bool startsDaylight) {
    SystemTime time;
    const int month = rule.getRuleMonth() + 1;
    time.wMonth = static_cast<std::uint16_t>(month);
    const int weekday = rule.getRuleDayOfWeek() - 1;  // ICU counts Sunday = 1
    const int dayOfMonth = rule.getRuleDayOfMonth();
    switch (rule.getDateRuleType()) {
        case icu::DateTimeRule::DOM:
            time.wYear = static_cast<std::uint16_t>(currentYear());
            time.wDay = static_cast<std::uint16_t>(dayOfMonth);
            break;
        case icu::DateTimeRule::DOW: {
            const int week = rule.getRuleWeekInMonth();
            time.wDayOfWeek = static_cast<std::uint16_t>(weekday);
            time.wDay = static_cast<std::uint16_t>(week < 0 || week > 4 ? 5 : week);
            break;
        }
        case icu::DateTimeRule::DOW_GEQ_DOM:
            // "Sunday on or after the 8th" is the second Sunday; rules that do not start a week
            // on day 1, 8, 15 or 22 are rounded to the week holding that day.
            time.wDayOfWeek = static_cast<std::uint16_t>(weekday);
            time.wDay = static_cast<std::uint16_t>(
                dayOfMonth > monthLength(month) - 7 ? 5 : (dayOfMonth - 1) / 7 + 1);
            break;
        case icu::DateTimeRule::DOW_LEQ_DOM:
            time.wDayOfWeek = static_cast<std::uint16_t>(weekday);
            time.wDay = static_cast<std::uint16_t>(
                dayOfMonth >= monthLength(month) ? 5 : std::max(1, dayOfMonth / 7));
            break;
    }
    std::int32_t wall = rule.getRuleMillisInDay();
    switch (rule.getTimeRuleType()) {
        case icu::DateTimeRule::WALL_TIME:
            break;
        case icu::DateTimeRule::STANDARD_TIME:
            wall += startsDaylight ? 0 : savings;
            break;
        case icu::DateTimeRule::UTC_TIME:
            wall += rawOffset + (startsDaylight ? 0 : savings);
            break;
    }
    if (wall >= MillisPerDay) {
        wall = MillisPerDay - 1;  // "24:00" is written as the day's last millisecond
    } else if (wall < 0) {
        wall = 0;
    }
    time.wHour = static_cast<std::uint16_t>(wall / 3600000);
    time.wMinute = static_cast<std::uint16_t>(wall / 60000 % 60);
    time.wSecond = static_cast<std::uint16_t>(wall / 1000 % 60);
    time.wMilliseconds = static_cast<std::uint16_t>(wall % 1000);
    return time;
}

std::string displayName(const std::string& ianaId, const std::string& windowsName,
                        std::int32_t bias) {
    const int offset = -bias;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "(UTC%c%02d:%02d) ", offset < 0 ? '-' : '+',
                  std::abs(offset) / 60, std::abs(offset) % 60);
    std::unique_ptr<icu::TimeZone> zone(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(ianaId)));
    icu::UnicodeString name;
    zone->getDisplayName(false, icu::TimeZone::LONG_GENERIC, icu::Locale::getUS(), name);
    std::string text = utf8(name);
    if (text.empty() || text.rfind("GMT", 0) == 0) {
        text = windowsName;
    }
    return prefix + text;
}

std::string daylightName(const std::string& windowsName) {
    std::string name = windowsName;
    const auto at = name.find("Standard");
    if (at != std::string::npos) {
        name.replace(at, 8, "Daylight");
    }
    return name;
}

}  // namespace

std::vector<std::uint8_t> encodeTzi(const TziRecord& record) {
    std::vector<std::uint8_t> out;
    out.reserve(44);
    put32(out, record.Bias);
    put32(out, record.StandardBias);
    put32(out, record.DaylightBias);
    putSystemTime(out, record.StandardDate);
    putSystemTime(out, record.DaylightDate);
    return out;
}

std::optional<TziRecord> decodeTzi(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 44) {
        return std::nullopt;
    }
    return TziRecord{get32(data), get32(data + 4), get32(data + 8), getSystemTime(data + 12),
                     getSystemTime(data + 28)};
}

std::string windowsZoneName(const std::string& ianaId) {
    icu::UnicodeString windowsId;
    UErrorCode status = U_ZERO_ERROR;
    icu::TimeZone::getWindowsID(icu::UnicodeString::fromUTF8(ianaId), windowsId, status);
    return U_SUCCESS(status) ? utf8(windowsId) : std::string();
}

TziRecord tziForZone(const std::string& ianaId) {
    TziRecord record;
    std::unique_ptr<icu::TimeZone> zone(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(ianaId)));
    record.Bias = -zone->getRawOffset() / 60000;
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(zone.get());
    if (basic == nullptr) {
        return record;
    }
    icu::InitialTimeZoneRule* initial = nullptr;
    icu::AnnualTimeZoneRule* standard = nullptr;
    icu::AnnualTimeZoneRule* daylight = nullptr;
    UErrorCode status = U_ZERO_ERROR;
    const auto now = static_cast<UDate>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::system_clock::now().time_since_epoch())
                                            .count());
    basic->getSimpleRulesNear(now, initial, standard, daylight, status);
    const std::unique_ptr<icu::InitialTimeZoneRule> ownedInitial(initial);
    const std::unique_ptr<icu::AnnualTimeZoneRule> ownedStandard(standard);
    const std::unique_ptr<icu::AnnualTimeZoneRule> ownedDaylight(daylight);
    if (U_FAILURE(status)) {
        return record;
    }
    if (initial != nullptr) {
        record.Bias = -initial->getRawOffset() / 60000;
    }
    if (standard != nullptr && daylight != nullptr) {
        const std::int32_t raw = standard->getRawOffset();
        const std::int32_t savings = daylight->getDSTSavings();
        record.Bias = -raw / 60000;
        record.DaylightBias = -savings / 60000;
        record.DaylightDate = ruleToSystemTime(*daylight->getRule(), raw, savings, true);
        record.StandardDate = ruleToSystemTime(*standard->getRule(), raw, savings, false);
    }
    return record;
}

void fillTimeZoneTable(Registry& registry) {
    std::set<std::string> windowsNames;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> ids(icu::TimeZone::createEnumeration(status));
    if (U_SUCCESS(status)) {
        while (const icu::UnicodeString* id = ids->snext(status)) {
            if (U_FAILURE(status)) {
                break;
            }
            if (std::string name = windowsZoneName(utf8(*id)); !name.empty()) {
                windowsNames.insert(std::move(name));
            }
        }
    }
    for (const auto& windowsName : windowsNames) {
        icu::UnicodeString golden;
        UErrorCode lookup = U_ZERO_ERROR;
        icu::TimeZone::getIDForWindowsID(icu::UnicodeString::fromUTF8(windowsName), nullptr, golden,
                                         lookup);
        if (U_FAILURE(lookup) || golden.isEmpty()) {
            continue;
        }
        const std::string ianaId = utf8(golden);
        const TziRecord tzi = tziForZone(ianaId);
        const std::string key = std::string(TimeZonesKey) + "\\" + windowsName;
        registry.setValue(HKEY_LOCAL_MACHINE, key, "TZI", {REG_BINARY, encodeTzi(tzi)});
        registry.setString(HKEY_LOCAL_MACHINE, key, "Display",
                           displayName(ianaId, windowsName, tzi.Bias));
        registry.setString(HKEY_LOCAL_MACHINE, key, "Std", windowsName);
        registry.setString(HKEY_LOCAL_MACHINE, key, "Dlt", daylightName(windowsName));
        registry.setString(HKEY_LOCAL_MACHINE, key, "MapID", "-1,-1");
    }
    writeMachineStandardName(registry);
}

void writeMachineStandardName(Registry& registry) {
    registry.setString(HKEY_LOCAL_MACHINE, TimeZoneInformationKey, "StandardName",
                       windowsZoneName(machineTimeZone()));
}

}  // namespace kavex::os
