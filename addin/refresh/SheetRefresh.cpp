#include "addin/refresh/SheetRefresh.h"

#include <string>
#include <string_view>
#include <vector>

#include "addin/alerts/AlertCells.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/ChangeColouring.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/ExchangeInfoHeader.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/SplashProgress.h"
#include "platform/spreadsheet/Constants.h"

namespace kavex::addin::refresh {

namespace {

constexpr std::string_view kProcedure = "RefreshWorksheet";
constexpr std::string_view kAlertCommentStart = "Alert Details ";
constexpr std::string_view kAlertFormula = "=CreateAlert(";
constexpr std::string_view kActiveAlert = "Active :";
constexpr long kActiveAlertColor = 255;  // red

bool notCuttingOrCopying() {
    return Excel().cutCopyMode() == 0;
}

// The comments of an alert row say what the alert watches: the ones whose alert formula is gone
// are deleted, the others get their bold title, a box that fits and the colour of the alert.
void markAlerts(core::StepTrap& trap, const sheet::Worksheet& sheet, std::string kind) {
    short alertColumn = 0;
    trap([&] { alertColumn = core::GetTheColumnWheretheAlertFormulaColumnIs(kind); });
    if (alertColumn <= 0) {
        return;
    }
    std::vector<sheet::Comment> comments;
    trap([&] {
        const sheet::Comments all = sheet.comments();
        for (int i = 1; i <= all.count(); ++i) {
            comments.push_back(all.item(i));
        }
    });
    for (sheet::Comment& comment : comments) {
        std::string text;
        trap([&] { text = comment.text(); });
        if (!text.starts_with(kAlertCommentStart)) {
            continue;
        }
        sheet::Range alertCell;
        trap([&] { alertCell = sheet.cells(comment.parent().row(), alertColumn); });
        bool noAlertFormula = false;
        trap([&] {
            noAlertFormula = !alertCell.hasFormula() &&
                             alertCell.formula().find(kAlertFormula) == std::string::npos;
        });
        if (noAlertFormula) {
            trap([&] { comment.delete_(); });
            continue;
        }
        trap([&] {
            comment.shape()
                .textFrame()
                .characters(1, static_cast<int>(kAlertCommentStart.size()))
                .font()
                .setBold(true);
        });
        trap([&] { comment.shape().textFrame().setAutoSize(true); });
        trap([&] {
            sheet::Range commented = comment.parent();
            if (text.find(kActiveAlert) != std::string::npos) {
                commented.font().setColor(kActiveAlertColor);
            } else {
                alerts::SetAlertFontColor(commented);
            }
        });
    }
}

}  // namespace

short RefreshWorksheet() {
    core::StepTrap trap;

    // 1.
    core::WriteLog(kProcedure, 3, "Entering");
    trap([] { SplashProgress("Refreshing the sheet..."); });

    // 2.
    bool addinWorkbook = false;
    std::string kind;
    sheet::Worksheet sheet;
    trap([&] { sheet = Excel().activeSheet(); });
    trap([&] { addinWorkbook = core::IsKavexWorkbook(Excel().activeWorkbook(), false); });
    if (addinWorkbook) {
        trap([&] { kind = core::GetTheSheetType(sheet); });
        trap([&] { core::CreateBrowserObjects(kind, sheet); });
        trap([] { UnprotectWorksheet(); });
    }
    trap([] { SplashProgress(); });

    // 3. The formula cells, taken with events off. Only another workbook's sheet calculates them
    // as one range; the add-in's own sheets go row by row, so theirs are not gathered.
    sheet::Range formulas;
    trap([] { Excel().setEnableEvents(false); });
    if (!addinWorkbook) {
        trap([&] { formulas = sheet.usedRange().specialCells(sheet::xlCellTypeFormulas); });
    }
    trap([] { Excel().setEnableEvents(true); });

    // 4.
    trap([] {
        if (notCuttingOrCopying()) {
            Excel().setCalculation(sheet::xlCalculationManual);
        }
    });

    // 5.
    const auto backToAutomatic = [&trap] {
        trap([] {
            if (notCuttingOrCopying()) {
                core::InternalSheetUpdate = true;
                Excel().setCalculation(sheet::xlCalculationAutomatic);
                core::InternalSheetUpdate = false;
            }
        });
        core::InternalSheetUpdate = false;
    };
    if (!addinWorkbook) {
        trap([&] { formulas.calculate(); });
        backToAutomatic();
    } else {
        sheet::Range header;
        if (!trap([&] { WriteExchangeInfoHeader(sheet, header); })) {
            // The header writer stops with events off when an index is not cached.
            trap([] { Excel().setEnableEvents(true); });
        }
        std::vector<sheet::Range> rows;
        trap([&] { rows = sheet.usedRange().eachRow(); });
        for (sheet::Range& row : rows) {
            RecalculateRowCells(row, sheet, kind);
        }
        trap([] { SplashProgress(); });
        backToAutomatic();
        trap([] { SplashProgress(); });

        // 6.
        markAlerts(trap, sheet, kind);

        // 7. The screen shows the refreshed sheet.
        trap([] { Excel().setScreenUpdating(true); });
    }
    trap([] { ProtectWorksheet(); });
    trap([] { SplashProgress(); });
    core::WriteLog(kProcedure, 3, "Exiting");
    return 0;
}

}  // namespace kavex::addin::refresh
