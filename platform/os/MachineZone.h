#pragma once

#include <cstdint>
#include <string>

namespace kavex::os {

// The machine's own time zone as an IANA id ("America/New_York"): set by a test or a scenario,
// else taken from TZ, else from /etc/localtime, else "UTC". Setting it also updates the
// registry's TimeZoneInformation\StandardName.
std::string machineTimeZone();
void setMachineTimeZone(const std::string& ianaId);
// Forgets an explicit setting (back to TZ / /etc/localtime).
void resetMachineTimeZone();

// Offsets of a zone at a UTC instant, in milliseconds (local = UTC + offset).
std::int64_t zoneOffsetAtUtc(const std::string& ianaId, std::int64_t epochMillisUtc);
// The UTC instant of a local wall-clock time of the zone (a skipped or repeated hour resolves to
// the earlier reading).
std::int64_t utcFromZoneLocal(const std::string& ianaId, std::int64_t localEpochMillis);

// True when ICU knows the zone id.
bool isKnownTimeZone(const std::string& ianaId);

}  // namespace kavex::os
