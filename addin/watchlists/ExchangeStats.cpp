#include "addin/watchlists/ExchangeStats.h"

#include <array>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SheetProtection.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::watchlists {

namespace {

// The three exchange cells: the name of the cell (also the sub-address of its link), its caption,
// and the exchange code the exchange functions take.
struct ExchangeCell {
    std::string_view name;
    std::string_view caption;
    std::string_view code;
};
constexpr std::array<ExchangeCell, 3> kExchangeCells{{
    {"NYSELink", "NYSE", "NYSE"},
    {"NSDQLink", "NASDAQ", "NSDQ"},
    {"AMEXLink", "AMEX", "AMEX"},
}};

// The look of the chosen cell and of a link cell.
constexpr long kChosenFill = 16247773;  // RGB(221, 235, 247)
constexpr long kLinkColor = 16711680;   // RGB(0, 0, 255)
constexpr long kTextColor = 0;

const ExchangeCell* cellOf(std::string_view caption) {
    const std::string wanted = base::Trim(caption);
    for (const ExchangeCell& cell : kExchangeCells) {
        if (base::equalsIgnoringCase(wanted, cell.caption) ||
            base::equalsIgnoringCase(wanted, cell.code)) {
            return &cell;
        }
    }
    return nullptr;
}

void markChosen(sheet::Range cell) {
    cell.hyperlinks().delete_();
    cell.interior().setColor(kChosenFill);
    cell.font().setColor(kTextColor);
    cell.font().setBold(true);
}

void makeLink(const sheet::Worksheet& sheet, sheet::Range cell, std::string_view name) {
    cell.hyperlinks().delete_();
    sheet.hyperlinks().add(cell, "", std::string(name));
    cell.interior().setColorIndex(sheet::xlColorIndexNone);
    cell.font().setColor(kLinkColor);
    cell.font().setBold(false);
}

// The formula with every quoted exchange code of another exchange replaced by the chosen one:
// =KavexEXCGLast("NYSE") becomes =KavexEXCGLast("NSDQ").
std::string followingExchange(std::string formula, std::string_view chosenCode) {
    for (const ExchangeCell& cell : kExchangeCells) {
        if (cell.code == chosenCode) {
            continue;
        }
        const std::string from = "\"" + std::string(cell.code) + "\"";
        const std::string to = "\"" + std::string(chosenCode) + "\"";
        for (std::size_t at = formula.find(from); at != std::string::npos;
             at = formula.find(from, at + to.size())) {
            formula.replace(at, from.size(), to);
        }
    }
    return formula;
}

// The active workbook's "Exchange Stats" sheet: the active sheet when it is one, else the first
// sheet of that kind; Nothing when the workbook has none.
sheet::Worksheet exchangeStatsSheet() {
    const sheet::Workbook book = core::ExcelApp->activeWorkbook();
    const sheet::Worksheet active = book.activeSheet();
    if (core::GetTheSheetType(active) == core::kExchangeStats) {
        return active;
    }
    sheet::Worksheets sheets = book.worksheets();
    for (int index = 1; index <= sheets.count(); ++index) {
        if (core::GetTheSheetType(sheets.item(index)) == core::kExchangeStats) {
            return sheets.item(index);
        }
    }
    return {};
}

}  // namespace

void SelectExchangeStats(const std::string& exchange, std::int32_t /*row*/) {
    const ExchangeCell* chosen = cellOf(exchange);
    if (chosen == nullptr || core::ExcelApp == nullptr) {
        return;
    }
    core::StepTrap trap;
    sheet::Worksheet sheet;
    trap([&] { sheet = exchangeStatsSheet(); });
    if (sheet.isNothing()) {
        return;
    }
    sheet::Application& app = *core::ExcelApp;
    const bool events = app.enableEvents();
    app.setEnableEvents(false);
    trap([&] { refresh::UnprotectWorksheet(sheet); });
    for (const ExchangeCell& cell : kExchangeCells) {
        trap([&] {
            const sheet::Range range = sheet.range(cell.name);
            if (&cell == chosen) {
                markChosen(range);
            } else {
                makeLink(sheet, range, cell.name);
            }
        });
    }
    trap([&] {
        for (sheet::Range cell : sheet.usedRange().eachCell()) {
            if (cell.hasFormula()) {
                const std::string formula = cell.formula();
                const std::string followed = followingExchange(formula, chosen->code);
                if (followed != formula) {
                    cell.setFormula(followed);
                }
            }
        }
    });
    trap([&] { refresh::ProtectWorksheet(sheet); });
    app.setEnableEvents(events);
    // The statistics of the exchange chosen are fetched when they are not cached yet.
    trap([] { refresh::ProcessManualRefresh(false, true, 0, "", "", true); });
}

}  // namespace kavex::addin::watchlists
