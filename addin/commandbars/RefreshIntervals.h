#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace kavex::addin::commandbars {

// One entry of the toolbar's interval list.
struct RefreshInterval {
    std::string_view text;
    short seconds;
};

// The intervals the toolbar can offer, shortest first (a one-digit number has two blanks before
// it); the list ends with kIntervalOff.
inline constexpr std::array<RefreshInterval, 11> kRefreshIntervals{{
    {"Every  5 Secs", 5},
    {"Every 10 Secs", 10},
    {"Every 15 Secs", 15},
    {"Every 30 Secs", 30},
    {"Every 35 Secs", 35},
    {"Every 40 Secs", 40},
    {"Every 45 Secs", 45},
    {"Every 60 Secs", 60},
    {"Every  2 Mins", 120},
    {"Every  5 Mins", 300},
    {"Every 10 Mins", 600},
}};
inline constexpr std::string_view kIntervalOff = "Off";

// The list text of an interval; nullopt for seconds no entry has.
std::optional<std::string_view> RefreshIntervalText(short seconds);

}  // namespace kavex::addin::commandbars
