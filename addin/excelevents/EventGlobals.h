#pragma once

#include <string>

namespace kavex::addin::excelevents {

// The last exchange seen in B1 of a top-list sheet, so that a change elsewhere on the sheet does
// not refresh the list again. Empty until the first change on a top-list sheet.
inline std::string LastTopListExchange;

// Empties the event handlers' globals (the selected row, the pending portfolio edit, the sheet
// kinds remembered) back to their start-up values (tests, shutdown).
void ResetEventGlobals();

}  // namespace kavex::addin::excelevents
