#pragma once

#include <string>

namespace kavex::addin::core {

// Mirror of the configuration key DECIMAL_PLACE: the decimals of prices.
inline short DecimalPlaces = 2;
// The currency pattern prices are shown with, rebuilt from DecimalPlaces whenever it changes;
// the value below holds until the configuration is read.
inline std::string PriceFormat = "$###,###,##0.00";

}  // namespace kavex::addin::core
