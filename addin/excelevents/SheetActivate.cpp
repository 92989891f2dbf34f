#include "addin/excelevents/clsXLApp.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "addin/commandbars/Toolbar.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Menus.h"
#include "addin/core/Strings.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "addin/session/Session.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::excelevents {

namespace {

constexpr long kWhite = 16777215;

// Every step of the handler is skipped silently when it fails.
void Step(std::string_view, const std::function<void()>& action) {
    core::StepTrap trap;
    trap(action);
}

// The symbol's links on the "Details" sheet, in white bold on the sheet's dark band.
void ShowDetailsSymbol(sheet::Application& app, const std::string& symbol) {
    sheet::Worksheet details = app.activeSheet();
    Step("unprotecting the sheet", [&] { refresh::UnprotectWorksheet(details); });
    Step("writing the symbol", [&] { details.range("A5").setValue(symbol); });
    using AddLink =
        base::Variant (*)(const sheet::Worksheet&, std::int32_t, std::int16_t, const std::string&);
    const struct {
        const char* name;
        AddLink add;
    } links[] = {{"NewsLink", refresh::AddNewsHyperlink},
                 {"ChartsLink", refresh::AddChartsHyperlink},
                 {"OptionsLink", refresh::AddOptionsHyperlink}};
    for (const auto& link : links) {
        Step(std::string("adding the link ") + link.name, [&] {
            const sheet::Range cell = details.range(link.name);
            link.add(details, cell.row(), static_cast<std::int16_t>(cell.column()), symbol);
            cell.font().setColor(kWhite);
            cell.font().setBold(true);
        });
    }
    Step("protecting the sheet", [&] { refresh::ProtectWorksheet(details); });
    Step("enabling Create Visual Alert", [] {
        if (commandbars::CreateAlertButton) {
            commandbars::CreateAlertButton->setEnabled(true);
        }
    });
}

// Newest transactions first, from two rows below the symbol header to the used range's end.
void SortPortfolioHistory(sheet::Application& app, const sheet::Worksheet& history) {
    std::int32_t headerRow = 0;
    std::int16_t headerColumn = 0;
    std::string dateColumn;
    std::string lastCell;
    Step("locating the symbol header",
         [&] { core::GetSymbolRowColumn(history, headerRow, headerColumn); });
    Step("locating the date column", [&] {
        dateColumn =
            core::SplitString(history.range("PortfolioHistoryTransactionDate").address(), "$")
                .at(1);
    });
    Step("locating the last used cell",
         [&] { lastCell = core::SplitString(history.usedRange().address(), ":").at(1); });
    app.setEnableEvents(false);
    const std::string firstRow = std::to_string(headerRow + 2);
    Step("selecting the history rows",
         [&] { app.range("$A$" + firstRow + ":" + lastCell).select(); });
    Step("sorting the history rows", [&] {
        app.selection().sort(app.range(dateColumn + firstRow), sheet::xlDescending, sheet::xlNo,
                             false, sheet::xlTopToBottom);
    });
    Step("selecting the symbol header", [&] { app.cells(headerRow, headerColumn).select(); });
    app.setEnableEvents(true);
    core::PortfolioHistoryChanged = false;
}

}  // namespace

// Puts the newly active managed sheet into a consistent state (the selection on a portfolio's
// symbol header, the "Details" sheet showing the row symbol last selected, a changed portfolio
// history sorted newest first), re-decides the menu entries and refreshes the active sheet. An
// activation reported for a sheet that is no longer the active one (a deactivation handler took
// the user back to the sheet being left) changes nothing.
void clsXLApp::mXLApp_SheetActivate(const sheet::Worksheet& Sh) {
    // 1. Nothing without a session.
    if (session::UserSessionKey.empty() || core::ExcelApp == nullptr) {
        return;
    }
    sheet::Application& app = *core::ExcelApp;
    // 2.
    refresh::IdleTickCount = 0;
    // The host reports an activation after the handlers of the deactivation have run; when one of
    // them took the user back to the sheet being left, the sheet reported is no longer the one
    // the user sees, and every write below would land on another sheet.
    bool stillActive = false;
    Step("comparing the activated sheet", [&] { stillActive = app.activeSheet() == Sh; });
    if (!stillActive) {
        return;
    }
    // 3. Header position.
    std::int32_t headerRow = 0;
    std::int16_t headerColumn = 0;
    Step("locating the symbol header",
         [&] { core::GetSymbolRowColumn(Sh, headerRow, headerColumn); });
    // 4. Sheet kind.
    std::string kind;
    Step("reading the sheet kind", [&] { kind = core::GetTheSheetType(Sh); });
    // 5. A portfolio starts on its symbol header with no transaction loaded; any other sheet drops
    // a half-entered portfolio cell edit.
    if (base::equalsIgnoringCase(kind, core::kPortfolio)) {
        Step("selecting the symbol header", [&] {
            app.setEnableEvents(false);
            app.cells(headerRow, headerColumn).select();
        });
        app.setEnableEvents(true);
        Step("clearing the transaction record", [] {
            portfolio::dialogs::TransactionEditRow = 0;
            bool fromSheet = true;
            portfolio::FillRecord(fromSheet);
        });
    } else {
        PendingPortfolioEdit = {};
    }
    bool menusDecided = false;
    // 6. Outside add-in workbooks the add-in's entries are off.
    if (!core::IsKavexWorkbook(app.activeWorkbook(), false)) {
        Step("disabling the menus", [&] { core::DisableMenusForNonKavexWorkbook(menusDecided); });
    } else {
        // 7.
        Step("deciding the menus",
             [&] { core::EnableDisableMenusForKavexWorkbook(menusDecided, Sh); });
        // 8. Per sheet kind.
        if (kind == core::kDetails && !SelectedRowSymbol.empty()) {
            ShowDetailsSymbol(app, SelectedRowSymbol);
        } else if (kind == core::kPortfolioHistory && core::PortfolioHistoryChanged) {
            SortPortfolioHistory(app, Sh);
        }
    }
    // 9. Refresh.
    Step("refreshing the sheet",
         [] { refresh::ProcessManualRefresh(false, true, 4, ActiveSheetType, "", true); });
}

}  // namespace kavex::addin::excelevents
