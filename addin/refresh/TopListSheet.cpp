#include "addin/refresh/TopListSheet.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <string_view>

#include "addin/core/Database.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/ChangeColouring.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/ExchangeInfoHeader.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/SplashProgress.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "platform/base/Conversions.h"
#include "platform/db/Recordset.h"
#include "platform/forms/DialogDriver.h"
#include "platform/spreadsheet/Constants.h"

namespace kavex::addin::refresh {

namespace {

constexpr std::string_view kProcedure = "RefreshTemplateWorksheet";

// The ranked list behind each top-list kind (the kind compared exactly).
struct TopListKind {
    std::string_view sheetKind;
    std::string_view templateCode;
};
constexpr std::array<TopListKind, 3> kTopLists{{
    {core::kVolLeaders, "VOL_LEADERS"},
    {core::kPriceGainers, "PRICE_GAINERS"},
    {core::kPriceLosers, "PRICE_LOSERS"},
}};

// The exchange comes from a cell the user may type into, so it goes into the statement as a
// quoted literal, never as statement text.
std::string topListQuery(short count, std::string_view templateCode, const std::string& exchange) {
    return "select top " + std::to_string(count) +
           " Symbol from AQ_TemplateLists where TemplateCode = '" + std::string(templateCode) +
           "' AND Exchange = " + core::SqlQuoted(exchange) + " order by DisplayOrder ";
}

db::Connection& database() {
    if (!core::DBConnection || core::DBConnection->State() == 0) {
        core::OpenDBConnection();
    }
    if (!core::DBConnection) {
        throw base::PlatformError(91, "Object variable or With block variable not set");
    }
    return *core::DBConnection;
}

bool notCuttingOrCopying() {
    return Excel().cutCopyMode() == 0;
}

}  // namespace

void RefreshTemplateWorksheet(const std::string& exchange, const std::string& sheetKind,
                              short count) {
    // 1.
    core::WriteLog(kProcedure, 2,
                   "Entering with Exchange :" + exchange + " and TemplateType :" + sheetKind);
    // 2.
    SplashProgress();
    try {
        // 3. The sheet must carry the link columns.
        const sheet::Range newsLink = Excel().range("NewsLink");
        const sheet::Range chartsLink = Excel().range("ChartsLink");
        static_cast<void>(newsLink.column());
        static_cast<void>(chartsLink.column());

        // 4.
        const auto topList =
            std::find_if(kTopLists.begin(), kTopLists.end(),
                         [&](const TopListKind& k) { return k.sheetKind == sheetKind; });
        if (topList == kTopLists.end()) {
            return;
        }

        // 5.
        db::Recordset symbols;
        symbols.Open(topListQuery(count, topList->templateCode, exchange), database());
        // 6.
        SplashProgress();

        // 7.
        sheet::Worksheet sheet = Excel().activeSheet();
        const std::string kind = core::GetTheSheetType(sheet);
        core::CreateBrowserObjects(kind, sheet);
        UnprotectWorksheet();

        // 8. The refresh's own writes are not the user's changes.
        SplashProgress();
        Excel().setEnableEvents(false);

        // 9.
        std::int32_t row = 1;
        std::int16_t column = 1;
        core::GetSymbolRowColumn(sheet, row, column);
        // 10.
        SplashProgress();

        // 11. The symbols in rank order below the header, each with its links.
        for (; !symbols.Eof(); symbols.MoveNext()) {
            ++row;
            sheet::Range cell = sheet.cells(row, column);
            cell.setValue(symbols.Fields("Symbol"));
            CreateSymbolHyperlink(cell, sheet);
            Excel().setEnableEvents(false);
            SplashProgress();
        }
        symbols.Close();

        // 12.
        sheet.range("B1").select();

        // 13. What is left of a longer list goes, down to the first empty symbol cell.
        ++row;
        while (!sheet.cells(row, column).value().isEmpty()) {
            sheet.cells(row, column).setValue(base::Variant(std::string()));
            ++row;
        }
        // 14.
        SplashProgress();

        if (!core::IsKavexWorkbook(Excel().activeWorkbook(), false)) {
            // 15. Outside the add-in's workbooks the formulas are simply recalculated.
            sheet::Range formulas = sheet.usedRange().specialCells(sheet::xlCellTypeFormulas);
            if (notCuttingOrCopying()) {
                Excel().setCalculation(sheet::xlCalculationManual);
            }
            formulas.calculate();
            if (notCuttingOrCopying()) {
                Excel().setCalculation(sheet::xlCalculationAutomatic);
            }
            SplashProgress();
        } else {
            // 16. The header, then every row with its flashes and colours.
            sheet::Range header;
            WriteExchangeInfoHeader(sheet, header);
            if (notCuttingOrCopying()) {
                Excel().setCalculation(sheet::xlCalculationManual);
            }
            for (sheet::Range& usedRow : sheet.usedRange().eachRow()) {
                RecalculateRowCells(usedRow, sheet, kind);
            }
            if (notCuttingOrCopying()) {
                core::InternalSheetUpdate = true;
                Excel().setCalculation(sheet::xlCalculationAutomatic);
                core::InternalSheetUpdate = false;
            }
            SplashProgress();
            SplashProgress();
        }

        // 17.
        SplashProgress();
        ProtectWorksheet();
        SplashProgress();
        Excel().setEnableEvents(true);

        // 18.
        core::WriteLog(kProcedure, 2,
                       "Exiting with Exchange :" + exchange + " and TemplateType :" + sheetKind);
        SplashProgress();
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        const core::TrappedError trapped = core::Trapped(error);
        if (trapped.number != 0 && trapped.number != 1004) {
            core::WriteLog(kProcedure, 1,
                           "Error: " + std::to_string(trapped.number) +
                               " Description: " + trapped.description);
        }
        core::StepTrap ignore;
        ignore([] { SplashProgress(); });
        ignore([] { ProtectWorksheet(); });
        ignore([] { SplashProgress(); });
        ignore([] { Excel().setEnableEvents(true); });
    }
}

}  // namespace kavex::addin::refresh
