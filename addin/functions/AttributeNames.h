#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavex::addin::functions {

// The row between the symbol and the exchange functions; the dialog refuses it.
inline constexpr std::string_view kAttributeSeparator = "-------------- EXCHANGE --------------";

// The function names the attribute dialog offers: 39 classic and 134 prefixed symbol names, the
// separator, 16 classic and 17 prefixed exchange names (207 rows). Three rows -- NAME,
// KavexYearRange and KavexEXCGSymbol -- name no function; they are kept for sheets of earlier
// versions.
inline std::vector<std::string> AttributeNames;

// Builds the 207 rows and replaces AttributeNames with them in one assignment, so a failure leaves
// the earlier content.
void LoadAttributeNames();

}  // namespace kavex::addin::functions
