#pragma once

#include <string>

#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::refresh {

// Font colours by the sign of a value, and the flash fills (palette indexes) of a changed cell.
inline constexpr long kPositiveColor = 32768;  // RGB(0, 128, 0)
inline constexpr long kNegativeColor = 255;    // RGB(255, 0, 0)
inline constexpr long kNeutralColor = 0;       // black
inline constexpr int kRiseFlashIndex = 20;
inline constexpr int kFallFlashIndex = 40;
// How long a changed cell stays highlighted; blocks the thread, as the flash is meant to be seen.
inline constexpr int kFlashMilliseconds = 50;

// The flash of a value that changed from oldValue to newValue: the rise fill (20) when it went up,
// the fall fill (40) when it went down, 0 when it did not move. A word (such as "#NODATA!") that
// became a number flashes as a fall, a number that became a word as a rise; two words do not
// flash.
int ChangeFlashIndex(const std::string& oldValue, const std::string& newValue);

// Recalculates the formula cells of one row of a managed sheet one by one, left to right: a
// price or change cell whose value changed flashes briefly (bold and 2 points larger from host
// version 12 on, else its fill), and every recalculated cell is coloured by SetChangeCellColor.
// Cells with a hyperlink and cells without a formula are left alone; a hidden row is skipped.
// Failing steps are skipped silently. Always True.
bool RecalculateRowCells(sheet::Range& row, sheet::Worksheet& sheet, const std::string& sheetKind);

// Colours one cell's font by the sign of its value: green positive, red negative, black
// otherwise, for change functions and (on a "Portfolio" sheet) the gain and loss columns; black
// for other numbers and texts; a "To Watch List…" link cell keeps its colour. Failing steps are
// skipped silently.
void SetChangeCellColor(sheet::Range& cell, sheet::Worksheet& sheet, const std::string& sheetKind);

}  // namespace kavex::addin::refresh
