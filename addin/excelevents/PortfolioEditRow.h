#pragma once

#include <cstdint>

namespace kavex::addin::excelevents {

// The row of the Portfolio cell selected before the current selection: the row a user typed a
// transaction into, which the portfolio rewrite replaces by the booked row.
inline std::int32_t PortfolioEditRow = 0;

}  // namespace kavex::addin::excelevents
