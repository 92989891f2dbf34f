#include <vector>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/functions/FunctionTables.h"
#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/SheetRefresh.h"
#include "platform/base/Conversions.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/Constants.h"

namespace kavex::addin::refresh {

namespace {

// The address of an entire column or row reads "$C:$C" or "$5:$5".
bool isWholeColumnOrRow(const sheet::Range& target) {
    core::StepTrap step;
    bool whole = false;
    step([&] {
        if (target.count() > 1) {
            const std::vector<std::string> parts = core::SplitString(target.address(), ":");
            whole = parts.size() == 2 && parts[0] == parts[1];
        }
    });
    return whole;
}

// The function of the caption typed into a single header cell; empty for anything that is not a
// caption of the table (an empty cell, a number, a caption in other letters).
std::string_view functionOfCaptionIn(const sheet::Range& cell) {
    core::StepTrap step;
    std::string_view function;
    step([&] {
        const base::Variant value = cell.value();
        if (value.isText()) {
            function = functions::FunctionForCaption(value.text());
        }
    });
    return function;
}

// The last row of the sheet's used range. The used range need not start in row 1 (an empty
// title row), so its row count alone would stop short of the last rows.
int lastUsedRow(const sheet::Worksheet& sheet) {
    core::StepTrap step;
    int last = 0;
    step([&] {
        const sheet::Range used = sheet.usedRange();
        last = used.row() + used.rowCount() - 1;
    });
    return last;
}

bool inCutOrCopyMode() {
    core::StepTrap step;
    bool pending = false;
    step([&] { pending = Excel().cutCopyMode() != 0; });
    return pending;
}

// The rewrite's preparation: the active sheet unprotected, events, calculation and screen
// updating off. Returns the sheet to write (the active sheet).
sheet::Worksheet prepareRewrite() {
    core::StepTrap step;
    step([] { UnprotectWorksheet(); });
    step([] { Excel().setEnableEvents(false); });
    if (!inCutOrCopyMode()) {
        step([] { Excel().setCalculation(sheet::xlCalculationManual); });
    }
    step([] { Excel().setScreenUpdating(false); });
    sheet::Worksheet toWrite;
    step([&] { toWrite = Excel().activeSheet(); });
    return toWrite;
}

// One data cell of a rewritten column: notes whether it held a formula, then, on a row with a
// symbol, writes the formula of function (the empty text when there is none).
void rewriteCell(const sheet::Worksheet& toWrite, int row, int column, const std::string& letter,
                 std::string_view function, bool& refreshNeeded) {
    core::StepTrap step;
    step([&] {
        if (toWrite.cells(row, column).hasFormula()) {
            refreshNeeded = true;
        }
    });
    step([] { Excel().setEnableEvents(false); });
    step([&] {
        if (base::CStr(toWrite.range(letter + std::to_string(row)).value()).empty()) {
            return;
        }
        sheet::Range cell = toWrite.cells(row, column);
        if (function.empty()) {
            cell.setValue(base::Variant(std::string()));
        } else {
            cell.setFormula(AttributeFormula(function, letter, row));
        }
    });
    step([] { Excel().setEnableEvents(true); });
}

}  // namespace

void ProcessAttributeHeaderChange(const sheet::Worksheet& sheet, const std::string& sheetKind,
                                  const sheet::Range& target) {
    static constexpr std::string_view kProcedure = "ProcessAttributeHeaderChange";
    core::StepTrap step;
    core::WriteLog(kProcedure, 3, "Entering");

    // A user deleting or inserting a whole column or row changes no caption.
    if (isWholeColumnOrRow(target)) {
        return;
    }

    const std::string_view headerName = AttributeHeaderRangeName(sheetKind);
    if (headerName.empty()) {
        core::WriteLog(kProcedure, 3, "Exiting - No Support");
        return;
    }

    sheet::Range changedHeader;
    step([&] { changedHeader = Excel().intersect(sheet.range(headerName), target); });
    if (!changedHeader) {
        core::WriteLog(kProcedure, 3, "Exiting");
        return;
    }

    const std::string letter = SymbolColumnLetter(sheet);

    bool refreshNeeded = false;
    int firstRow = 0, firstColumn = 0, columns = 0;
    bool singleCell = false;
    step([&] {
        firstRow = target.row();
        firstColumn = target.column();
        columns = target.columnCount();
        singleCell = target.count() == 1;
    });

    if (singleCell) {
        // A caption typed, changed or deleted: the column gets its function, or is emptied.
        const std::string_view function = functionOfCaptionIn(target);
        const sheet::Worksheet toWrite = prepareRewrite();
        const int lastRow = lastUsedRow(toWrite);
        for (int row = firstRow + 1; row <= lastRow; ++row) {
            rewriteCell(toWrite, row, firstColumn, letter, function, refreshNeeded);
        }
    } else if (firstRow != 0) {
        // Several header cells at once (cleared or pasted): their columns are emptied.
        const sheet::Worksheet toWrite = prepareRewrite();
        const int lastRow = lastUsedRow(toWrite);
        for (int column = firstColumn; column < firstColumn + columns; ++column) {
            for (int row = firstRow + 1; row <= lastRow; ++row) {
                rewriteCell(toWrite, row, column, letter, {}, refreshNeeded);
            }
        }
    }

    // Calculation comes back once, recalculating the rewritten rows together.
    if (!inCutOrCopyMode()) {
        core::InternalSheetUpdate = true;
        step([] { Excel().setCalculation(sheet::xlCalculationAutomatic); });
        core::InternalSheetUpdate = false;
    }
    step([] { Excel().setScreenUpdating(true); });
    step([] { Excel().setEnableEvents(true); });
    if (refreshNeeded) {
        step([] { RefreshWorksheet(); });
    }
    step([] { ProtectWorksheet(); });
    core::WriteLog(kProcedure, 3, "Exiting");
}

}  // namespace kavex::addin::refresh
