#pragma once

#include <optional>
#include <string_view>

namespace kavex::services {

// What the stand-in servers do wrong on purpose, for tests and scenarios.
enum class Fault {
    None,            // answer normally
    Down,            // stop listening: connections are refused
    Slow,            // answer only after the configured delay (longer than the client's time-out)
    Http500,         // answer every request with HTTP status 500
    BadXml,          // answer with malformed XML
    InvalidSession,  // every session (and its referrer) is refused; logging in still works
};

// "none", "down", "slow", "http500", "badxml", "invalid-session" (any letter case).
std::optional<Fault> parseFault(std::string_view name);
std::string_view faultName(Fault fault);

}  // namespace kavex::services
