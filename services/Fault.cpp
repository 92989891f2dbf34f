#include "services/Fault.h"

#include <array>
#include <string>
#include <utility>

#include "platform/base/Text.h"

namespace kavex::services {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 6> faultNames{{
    {Fault::None, "none"},
    {Fault::Down, "down"},
    {Fault::Slow, "slow"},
    {Fault::Http500, "http500"},
    {Fault::BadXml, "badxml"},
    {Fault::InvalidSession, "invalid-session"},
}};

}  // namespace

std::optional<Fault> parseFault(std::string_view name) {
    for (const auto& [fault, text] : faultNames) {
        if (base::equalsIgnoringCase(text, name)) {
            return fault;
        }
    }
    return std::nullopt;
}

std::string_view faultName(Fault fault) {
    for (const auto& [candidate, text] : faultNames) {
        if (candidate == fault) {
            return text;
        }
    }
    return "none";
}

}  // namespace kavex::services
