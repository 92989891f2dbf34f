#pragma once

namespace kavex::addin::portfolio {

// The largest figures a transaction may carry, whether it is booked or read back from the
// history: larger numbers are typing slips, and beyond them sums lose their cents.
inline constexpr double kMostShares = 1e9;
inline constexpr double kMostMoney = 1e9;

}  // namespace kavex::addin::portfolio
