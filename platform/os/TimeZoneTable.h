#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/os/Registry.h"

namespace kavex::os {

inline constexpr std::string_view TimeZonesKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
inline constexpr std::string_view TimeZoneInformationKey =
    "System\\CurrentControlSet\\Control\\TimeZoneInformation";

// A rule instant as the 16-byte SYSTEMTIME of the zone table.
struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// The 44-byte TZI value (little-endian): Bias, StandardBias, DaylightBias, StandardDate,
// DaylightDate.
struct TziRecord {
    std::int32_t Bias = 0;
    std::int32_t StandardBias = 0;
    std::int32_t DaylightBias = 0;
    SystemTime StandardDate;
    SystemTime DaylightDate;
    friend bool operator==(const TziRecord&, const TziRecord&) = default;
};

std::vector<std::uint8_t> encodeTzi(const TziRecord& record);
std::optional<TziRecord> decodeTzi(const std::uint8_t* data, std::size_t size);

// The Windows name ICU gives an IANA zone ("Eastern Standard Time"), or "" when it has none.
std::string windowsZoneName(const std::string& ianaId);

// The TZI of an IANA zone from its current annual rules.
TziRecord tziForZone(const std::string& ianaId);

// Writes one Time Zones entry per Windows zone name ICU knows, and StandardName for the machine's
// zone (MachineZone.h), into the registry.
void fillTimeZoneTable(Registry& registry);
// Writes only StandardName for the current machine zone.
void writeMachineStandardName(Registry& registry);

}  // namespace kavex::os
