#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::refresh {

// A managed sheet shows one symbol per row and one market attribute per column: the header row
// holds a caption in each attribute column, and every data cell below holds a formula that calls
// the worksheet function of that caption on the row's symbol cell (=KavexLast(B7)). Captions map
// to functions through the caption table of the worksheet functions; the name column always gets
// KavexName.

// The name of the sheet-level range holding the attribute header row of a sheet kind (compared
// without regard to case); the empty text for kinds without attribute columns.
std::string_view AttributeHeaderRangeName(std::string_view sheetKind);

// The column letter of the sheet's symbol cells: taken from the address of the sheet's symbol
// header cell ($B$4 gives "B"); "B" when the sheet has no symbol header or its address is not a
// plain cell address.
std::string SymbolColumnLetter(const sheet::Worksheet& sheet);

// "=" function "(" letter row ")": the formula of one attribute cell.
std::string AttributeFormula(std::string_view function, std::string_view columnLetter,
                             std::int32_t row);

// The user typed, changed or deleted header captions (target) on a sheet of a managed kind:
// every data row with a symbol gets the new caption's formula in that column, or the empty text
// when the caption has no function; several header cells changed at once are cleared. A whole
// column or row (a user deleting or inserting one) changes nothing. When a rewritten cell held a
// formula, the sheet is refreshed. Every failing step is skipped without a word.
void ProcessAttributeHeaderChange(const sheet::Worksheet& sheet, const std::string& sheetKind,
                                  const sheet::Range& target);

// Writes the formula of the column headed by caption into the row: on the given sheet while a
// portfolio row is being rewritten, else on the active sheet; with writeName True the name column
// (WatchlistSecurityName) gets its KavexName formula first. A caption without a function writes
// nothing. sheetName is the caller's sheet name or kind and changes nothing.
//
// Event delivery is left switched off: the caller switches it back on after its last call, so
// that the formulas written do not reach the sheet-change handler. Failing steps are skipped.
void SymbolSearch(const sheet::Worksheet& sheet, const std::string& sheetName,
                  const std::string& caption, std::int32_t row, std::int16_t column,
                  bool writeName);

}  // namespace kavex::addin::refresh
