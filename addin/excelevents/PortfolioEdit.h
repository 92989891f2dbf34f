#pragma once

#include <cstdint>
#include <string>

namespace kavex::addin::excelevents {

// The Portfolio cell selected last: written on every selection on a Portfolio sheet, judged on
// the next selection or when the sheet is left, dropped when another sheet is activated.
struct PendingPortfolioEditRecord {
    std::int16_t Column = 0;  // 0 = nothing pending
    std::string OldValue;     // the cell's value as text when it was selected
    std::int32_t Row = 0;     // 0 = nothing pending
};
inline PendingPortfolioEditRecord PendingPortfolioEdit;

// The kind of the sheet last left (or of the active sheet of a workbook that was deactivated);
// handed to the refresh as the previous sheet.
inline std::string ActiveSheetType;

}  // namespace kavex::addin::excelevents
