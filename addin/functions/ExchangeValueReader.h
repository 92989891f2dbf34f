#pragma once

#include <string>
#include <string_view>

namespace kavex::addin::functions {

// The formatted exchange reader: the cached statistic of an exchange ("NSDQ", "NYSE", "AMEX")
// shown by the exchange format class. The empty text for an empty exchange; without a session it
// starts the login like the symbol reader and answers "#NAME!" while there still is none.
// Never fails: a failure logs and answers "#ERROR!".
std::string GetExchangeDataItem(std::string_view tag, const std::string& exchange, bool newMacro);

// The raw exchange reader: the stored text, the empty text, "#NAME!" (no session; no login is
// started), "#NODATA!" (no row, no element, only blanks; nothing is inserted) or "#ERROR!".
std::string GetExchangeDataItemUnFormatted(std::string_view tag, const std::string& exchange,
                                           bool newMacro);

}  // namespace kavex::addin::functions
