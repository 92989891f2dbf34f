#pragma once

#include <algorithm>

#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::sheet::detail {

// How far the formulas of one sheet reach: the last row and the last column any of them
// references, apart for references to the sheet itself (no sheet named) and for those that name
// a sheet. A row or column edit rewrites only formulas that reference lines on or past it; a
// sheet whose formulas all stop before the edit is then passed by without visiting its cells.
//
// It is an upper bound: formulas that go or shrink leave it as it was. Every formula put on the
// sheet is included; a sheet whose formulas came any other way (read from a file) is unknown
// until an edit has walked its cells.
struct FormulaReach {
    bool known = false;
    int ownRow = 0;
    int ownColumn = 0;
    int namedRow = 0;
    int namedColumn = 0;
    bool readsNames = false;  // a formula mentions a defined name

    // A formula as stored in a cell: its references moved by the cell's shifts.
    void include(const formula::Formula& parsed, int rowShift, int columnShift) {
        if (!known) {
            return;
        }
        readsNames = readsNames || !parsed.names().empty();
        for (const formula::AreaRef& ref : parsed.references()) {
            int& row = ref.sheet.empty() ? ownRow : namedRow;
            int& column = ref.sheet.empty() ? ownColumn : namedColumn;
            row = std::max(row, ref.lastRow + rowShift);
            column = std::max(column, ref.lastColumn + columnShift);
        }
    }

    // Whether a formula of this sheet may reference the line `at` or lines past it, of rows or of
    // columns, on the edited sheet (this one when editedHere).
    bool mayReach(bool columns, int at, bool editedHere) const {
        if (!known) {
            return true;
        }
        const int named = columns ? namedColumn : namedRow;
        const int own = columns ? ownColumn : ownRow;
        return named >= at || (editedHere && own >= at);
    }

    // Whether a formula of this sheet may mention a defined name.
    bool mayReadNames() const { return !known || readsNames; }
};

}  // namespace kavex::sheet::detail
