#pragma once

#include <string>

namespace kavex::addin::watchlists {

// Adds a symbol of the symbol list to the next empty row of the active watch list or, when the
// active sheet is not a watch list, of the sheet "Watch List" (which is then activated): the row
// gets the same work as a symbol typed there (cache row, links, name and attribute formulas) and
// the sheet is refreshed. An empty or unknown symbol, one the watch list holds already, or a
// workbook without a watch list is refused with an exclamation message titled "Kavex" when
// showMessages is True (silently otherwise); nothing changes then.
void ValidateandAddSymbol(bool showMessages, const std::string& symbol);

}  // namespace kavex::addin::watchlists
