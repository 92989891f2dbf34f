#pragma once

#include <string>
#include <string_view>

namespace kavex::addin::functions {

// The formatted reader: the cached value of one quote element of a symbol, shown by the element's
// format class, or an error word. An empty symbol answers the empty text at once. Without a
// session it starts the login (unless an add-in workbook is active or a login is already under
// way) and then answers from whatever the cache holds; with a session it makes a hidden add-in
// toolbar visible again. A stored "-nan" shows as "N/A". Never fails: a failure logs and answers
// "#ERROR!".
std::string GetSymbolDataItem(std::string_view tag, const std::string& symbol, bool newMacro);

// The raw reader: the element's stored text (untrimmed), the empty text for an empty symbol,
// "#NODATA!" (no cached row yet, no such element, or only blanks), "#INVALID!" (not a listed
// symbol) or "#ERROR!". A listed symbol without a cached row gets a bare row, so the next refresh
// fetches it. The first classic call (newMacro False) after the start-up tables were built shows
// the deprecation notice. Never starts a login.
std::string GetSymbolDataItemUnFormatted(std::string_view tag, const std::string& symbol,
                                         bool newMacro);

}  // namespace kavex::addin::functions
