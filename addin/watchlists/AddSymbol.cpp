#include "addin/watchlists/AddSymbol.h"

#include <cstdint>
#include <optional>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/core/Workbooks.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/marketdata/SymbolRegistration.h"
#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"
#include "platform/forms/MsgBox.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::watchlists {

namespace {

constexpr const char* kProcedure = "ValidateandAddSymbol";
constexpr const char* kTitle = "Kavex";

// The symbol as the symbol list spells it; nullopt when the list does not hold it.
std::optional<std::string> listedSymbol(const std::string& symbol) {
    db::Recordset rows;
    rows.Open("SELECT Symbol FROM AQ_StockSymbolList WHERE Symbol = " + core::SqlQuoted(symbol),
              marketdata::CacheConnection());
    std::optional<std::string> listed;
    if (!rows.Eof()) {
        listed = base::CStr(rows.Fields("Symbol"));
    }
    rows.Close();
    return listed;
}

// The active sheet when it is a watch list, else the active workbook's sheet "Watch List" when
// it is one; Nothing otherwise.
sheet::Worksheet targetWatchList() {
    const sheet::Workbook book = core::ExcelApp->activeWorkbook();
    const sheet::Worksheet active = book.activeSheet();
    if (core::GetTheSheetType(active) == core::kWatchList) {
        return active;
    }
    sheet::Worksheet named;
    core::StepTrap()([&] { named = book.worksheets().item(core::kWatchList); });
    if (!named.isNothing() && core::GetTheSheetType(named) == core::kWatchList) {
        return named;
    }
    return {};
}

// Puts the symbol on the row as a typed symbol gets it: its cache row, the symbol cell with its
// links, the name formula and one formula per attribute column, events off meanwhile.
void fillRow(const sheet::Worksheet& sheet, std::string symbol, std::int32_t row,
             std::int16_t column) {
    sheet::Application& app = *core::ExcelApp;
    core::StepTrap trap;
    app.setEnableEvents(false);
    trap([&] {
        std::string unused;
        marketdata::AddNewExistingSymbol(symbol, unused);
    });
    sheet::Range cell = sheet.cells(row, column);
    trap([&] { cell.setValue(base::Variant("'" + symbol)); });
    trap([&] { refresh::CreateSymbolHyperlink(cell, sheet); });
    trap([&] {
        std::int32_t nameRow = 0;
        std::int16_t nameColumn = 0;
        if (core::GetSecurityNameRowColumn(sheet, nameRow, nameColumn) && nameRow != 0 &&
            nameColumn != 0) {
            sheet.cells(row, nameColumn)
                .setFormula(refresh::AttributeFormula("KavexName",
                                                      refresh::SymbolColumnLetter(sheet), row));
        }
    });
    trap([&] {
        std::int32_t headerRow = 0;
        std::int16_t headerColumn = 0;
        core::GetAttributeRowColumn(sheet, headerRow, headerColumn);
        if (headerRow == 0 || headerColumn == 0) {
            return;
        }
        const short columns = core::GetNoofColumns(sheet);
        for (int offset = 0; offset <= columns; ++offset) {
            const auto attributeColumn = static_cast<std::int16_t>(headerColumn + offset);
            const std::string caption = sheet.cells(headerRow, attributeColumn).text();
            refresh::SymbolSearch(sheet, core::kWatchList, caption, row, attributeColumn, false);
        }
    });
    app.setEnableEvents(true);
}

}  // namespace

void ValidateandAddSymbol(bool showMessages, const std::string& symbol) {
    const auto refuse = [&](const std::string& message) {
        if (showMessages) {
            forms::MsgBox(message, forms::vbExclamation, kTitle);
        }
    };
    if (core::ExcelApp == nullptr) {
        return;
    }
    const std::string wanted = base::Trim(symbol);
    if (wanted.empty()) {
        refuse("Enter a symbol to add to the watch list.");
        return;
    }
    std::optional<std::string> listed;
    try {
        listed = listedSymbol(wanted);
    } catch (const std::exception& error) {
        core::WriteLog(
            kProcedure, 1,
            "Error while looking up " + wanted + " Error description : " + core::ErrorText(error));
        refuse("The symbol list cannot be read now. Please try again later.");
        return;
    }
    if (!listed) {
        refuse("The symbol \"" + wanted + "\" is not in the symbol list.");
        return;
    }

    sheet::Worksheet sheet;
    core::StepTrap()([&] { sheet = targetWatchList(); });
    std::int32_t headerRow = 0;
    std::int16_t symbolColumn = 0;
    if (sheet.isNothing() || !core::GetSymbolRowColumn(sheet, headerRow, symbolColumn) ||
        headerRow == 0 || symbolColumn == 0) {
        refuse("There is no watch list to add \"" + *listed + "\" to.");
        return;
    }

    // The first empty symbol cell below the header; the symbol must not be there already.
    const sheet::Range used = sheet.usedRange();
    const std::int32_t lastRow = used.row() + used.rowCount() - 1;
    std::int32_t emptyRow = 0;
    for (std::int32_t row = headerRow + 1; row <= lastRow + 1; ++row) {
        const std::string held = base::Trim(sheet.cells(row, symbolColumn).text());
        if (held.empty()) {
            if (emptyRow == 0) {
                emptyRow = row;
            }
        } else if (base::equalsIgnoringCase(held, *listed)) {
            refuse("\"" + *listed + "\" is on the watch list \"" + sheet.name() + "\" already.");
            return;
        }
    }

    if (!(core::ExcelApp->activeSheet() == sheet)) {
        sheet.activate();
    }
    fillRow(sheet, *listed, emptyRow, symbolColumn);
    core::StepTrap()([] { refresh::ProcessManualRefresh(false, true, 0, "", "", true); });
}

}  // namespace kavex::addin::watchlists
