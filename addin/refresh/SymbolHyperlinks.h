#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::refresh {

// The look every symbol and link cell gets.
inline constexpr const char* kLinkFontName = "Tahoma";
inline constexpr double kLinkFontSize = 8;
inline constexpr int kLinkBorderWeight = 2;         // thin
inline constexpr long kLinkBorderColor = 14540253;  // RGB(221, 221, 221)

// The in-document link target of a symbol cell: the symbol cell of the "Details" sheet.
inline constexpr const char* kDetailsLink = "DetailsSymbol";

// The formula of a news, charts or options cell for the symbol in symbolAddress ("$B$5" or
// "B5"): it shows the letter while the symbol cell holds more than blanks, and nothing otherwise.
// =IF(TRIM(B5) ="","","N")
std::string LinkCellFormula(const std::string& symbolAddress, const std::string& letter);

// Makes the symbol cell a link to the details and gives it its look (any older links of the cell
// are deleted first). With a sheet, the symbol's row also gets the news, charts and options cells
// of the sheet's link columns (names NewsLink, ChartsLink, OptionsLink), events switched off
// around their writes; a sheet without one of those names gets no cell of that kind. Pass a
// Nothing sheet when only the symbol cell is wanted. Failing steps are skipped silently.
void CreateSymbolHyperlink(sheet::Range& symbolCell, const sheet::Worksheet& sheet);

// Adds the news, charts or options link to the cell (row, column) of the sheet and sets its font,
// keeping its content and borders; events are off around it. text is not used. Failing steps are
// skipped silently. Empty.
base::Variant AddNewsHyperlink(const sheet::Worksheet& sheet, std::int32_t row, std::int16_t column,
                               const std::string& text);
base::Variant AddChartsHyperlink(const sheet::Worksheet& sheet, std::int32_t row,
                                 std::int16_t column, const std::string& text);
base::Variant AddOptionsHyperlink(const sheet::Worksheet& sheet, std::int32_t row,
                                  std::int16_t column, const std::string& text);

}  // namespace kavex::addin::refresh
