#include "platform/os/MachineZone.h"

#include <unicode/basictz.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "platform/os/Registry.h"
#include "platform/os/TimeZoneTable.h"

namespace kavex::os {

namespace {

std::optional<std::string>& explicitZone() {
    static std::optional<std::string> zone;
    return zone;
}

// The zone the system itself is set to.
std::string systemZone() {
    if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
        std::string id = tz;
        if (id.front() == ':') {
            id.erase(0, 1);
        }
        if (isKnownTimeZone(id)) {
            return id;
        }
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
    if (!error) {
        // .../zoneinfo/Area/City
        const std::string text = target.string();
        const auto at = text.find("zoneinfo/");
        if (at != std::string::npos) {
            const std::string id = text.substr(at + 9);
            if (isKnownTimeZone(id)) {
                return id;
            }
        }
    }
    return "UTC";
}

// ICU zones are costly to build; the add-in asks for the same one or two over and over.
const icu::TimeZone& zone(const std::string& ianaId) {
    static std::map<std::string, std::unique_ptr<icu::TimeZone>> cache;
    auto found = cache.find(ianaId);
    if (found == cache.end()) {
        std::unique_ptr<icu::TimeZone> created(
            icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(ianaId)));
        found = cache.emplace(ianaId, std::move(created)).first;
    }
    return *found->second;
}

}  // namespace

bool isKnownTimeZone(const std::string& ianaId) {
    if (ianaId.empty()) {
        return false;
    }
    icu::UnicodeString canonical;
    UBool isSystem = false;
    UErrorCode status = U_ZERO_ERROR;
    icu::TimeZone::getCanonicalID(icu::UnicodeString::fromUTF8(ianaId), canonical, isSystem,
                                  status);
    return U_SUCCESS(status) && isSystem;
}

std::string machineTimeZone() {
    if (explicitZone()) {
        return *explicitZone();
    }
    static const std::string system = systemZone();
    return system;
}

void setMachineTimeZone(const std::string& ianaId) {
    explicitZone() = ianaId;
    writeMachineStandardName(registry());
}

void resetMachineTimeZone() {
    explicitZone().reset();
    writeMachineStandardName(registry());
}

std::int64_t zoneOffsetAtUtc(const std::string& ianaId, std::int64_t epochMillisUtc) {
    std::int32_t raw = 0;
    std::int32_t dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    zone(ianaId).getOffset(static_cast<UDate>(epochMillisUtc), false, raw, dst, status);
    return U_SUCCESS(status) ? std::int64_t{raw} + dst : 0;
}

std::int64_t utcFromZoneLocal(const std::string& ianaId, std::int64_t localEpochMillis) {
    std::int32_t raw = 0;
    std::int32_t dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(&zone(ianaId));
    if (basic != nullptr) {
        basic->getOffsetFromLocal(static_cast<UDate>(localEpochMillis), UCAL_TZ_LOCAL_FORMER,
                                  UCAL_TZ_LOCAL_FORMER, raw, dst, status);
    } else {
        zone(ianaId).getOffset(static_cast<UDate>(localEpochMillis), true, raw, dst, status);
    }
    return U_SUCCESS(status) ? localEpochMillis - raw - dst : localEpochMillis;
}

}  // namespace kavex::os
