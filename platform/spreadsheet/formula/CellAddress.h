#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::formula {

// The size of a sheet: rows 1..MaxRows, columns 1..MaxColumns (A..XFD).
inline constexpr int MaxRows = 1048576;
inline constexpr int MaxColumns = 16384;

// One cell as written in A1 style, with its "$" marks.
struct CellAddress {
    int row = 1;
    int column = 1;
    bool absoluteRow = false;
    bool absoluteColumn = false;
};

// "A1", "$b$7", "XFD1048576"; nullopt for anything else, including cells off the sheet.
std::optional<CellAddress> parseCellAddress(std::string_view text);

// 1 -> "A", 28 -> "AB". column must be in 1..MaxColumns.
std::string columnName(int column);

// "B7", "$B$7".
std::string formatCellAddress(const CellAddress& cell);

// A reference as typed into a name box or handed to Range("..."): "A1", "$A$1:B3", "Sheet1!A1",
// "'My sheet'!A1:B2". Blanks around it are ignored. nullopt when the text is no reference. The
// corners are put in order (B3:A1 is A1:B3).
std::optional<AreaRef> parseAreaReference(std::string_view text);

// "A1" for one cell, "A1:B3" for an area (no "$", no sheet); with absolute true "$A$1:$B$3".
std::string formatAreaReference(const AreaRef& area, bool absolute = false);

// The sheet name as a formula writes it before "!": quoted (with inner quotes doubled) when it is
// not a plain word or could be read as a cell.
std::string quoteSheetName(std::string_view sheet);

}  // namespace kavex::formula
