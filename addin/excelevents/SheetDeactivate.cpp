#include "addin/excelevents/clsXLApp.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioRow.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/ValidateTransactionDate.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/forms/MsgBox.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::excelevents {

namespace {

// Every step of the handler is skipped silently when it fails.
void Step(std::string_view, const std::function<void()>& action) {
    core::StepTrap trap;
    trap(action);
}

// Where the handling of a pending edit goes on.
enum class Next { SelectedRow, PutBack, Return };

// Takes the user back to the sheet being left, without the host reporting it.
void SelectAgain(sheet::Application& app, const sheet::Worksheet& left) {
    app.setEnableEvents(false);
    Step("selecting the portfolio again", [&] { app.worksheets().item(left.name()).select(); });
    app.setEnableEvents(true);
}

// A booked transaction keeps its type and position: a changed text is put back, with a message.
void LockColumn(sheet::Application& app, const sheet::Worksheet& left, std::int32_t id,
                std::string_view name, const char* message) {
    const PendingPortfolioEditRecord& pending = PendingPortfolioEdit;
    bool changed = false;
    Step(std::string("checking ") + std::string(name), [&] {
        const std::string now = base::CStr(left.cells(pending.Row, pending.Column).value());
        changed = pending.Column == left.range(name).column() &&
                  base::Trim(now) != base::Trim(pending.OldValue) &&
                  !base::Trim(pending.OldValue).empty() && id != 0;
    });
    if (!changed) {
        return;
    }
    app.setEnableEvents(false);
    Step("putting the old value back",
         [&] { left.cells(pending.Row, pending.Column).setValue(pending.OldValue); });
    Step("selecting the portfolio again", [&] { app.worksheets().item(left.name()).select(); });
    app.setEnableEvents(true);
    Step("telling the user", [&] { forms::MsgBox(message, forms::vbExclamation, "Kavex"); });
}

Next HandlePendingEdit(sheet::Application& app, const sheet::Worksheet& left) {
    PendingPortfolioEditRecord& pending = PendingPortfolioEdit;
    // 3.1
    std::int32_t id = 0;
    Step("reading the transaction id", [&] {
        id = base::CLng(PortfolioRowCell(left, pending.Row, "PortfolioTransactionID").value());
    });
    // 3.2, 3.3
    LockColumn(app, left, id, "PortfolioTransactionTypeDescription",
               "Transaction Type cannot be changed");
    LockColumn(app, left, id, "PortfolioPosition", "Position cannot be changed");
    // 3.4 The header row is not a transaction: the edit stays pending.
    bool onHeader = false;
    Step("comparing with the header row",
         [&] { onHeader = pending.Row == left.range("PortfolioSymbol").row(); });
    if (onHeader) {
        return Next::Return;
    }
    // 3.5, 3.6
    const PortfolioRowValues row = ReadPortfolioRow(left, pending.Row);
    // 3.7
    if (portfolio::TransactionRecord.Equity.empty() || row.symbol.empty()) {
        return Next::SelectedRow;
    }
    // 3.8
    if (RowDiffersFromRecord(row)) {
        SelectAgain(app, left);
        const SheetTransactionType* type = FindSheetTransactionType(row.typeText);
        if (type != nullptr && type->rebookable) {
            portfolio::dialogs::TransactionEntryMode = "Edit";
            bool validDate = false;
            Step("checking the date",
                 [&] { validDate = portfolio::ValidateTransactionDate(row.dateText); });
            if (!validDate) {
                portfolio::dialogs::TransactionEntryMode.clear();
                return Next::PutBack;
            }
            app.setEnableEvents(false);
            Step("writing the date", [&] {
                PortfolioRowCell(left, pending.Row, "PortfolioTransactionDate").setValue(row.date);
            });
            app.setEnableEvents(true);
            bool booked = false;
            Step("booking the row", [&] {
                booked = portfolio::BuyTransactionFunction(
                    std::string(type->name), std::string(type->position), type->code, row.symbol,
                    row.date, row.shares, row.price, row.commission, row.remarks);
            });
            if (!booked) {
                portfolio::dialogs::TransactionEntryMode.clear();
                return Next::PutBack;
            }
        }
    }
    // 3.9
    pending = {};
    return Next::SelectedRow;
}

// The row symbol and alert id of the active cell on the sheet being entered.
void RecordSelectedRow(sheet::Application& app, const std::string& newKind) {
    std::int32_t headerRow = 0;
    std::int16_t headerColumn = 0;
    Step("locating the symbol header",
         [&] { core::GetSymbolRowColumn(app.activeSheet(), headerRow, headerColumn); });
    if (newKind == core::kDetails) {
        return;
    }
    std::int32_t activeRow = 0;
    Step("reading the active row", [&] { activeRow = app.activeCell().row(); });
    if (activeRow > headerRow) {
        Step("reading the row symbol", [&] {
            SelectedRowSymbol =
                base::CStr(app.activeSheet().cells(activeRow, headerColumn).value());
        });
        Step("reading the row alert id", [&] {
            const int column =
                app.activeWorkbook().names().item("WatchlistAlertID").refersToRange().column();
            SelectedRowAlertID = base::CStr(app.activeSheet().cells(activeRow, column).value());
        });
    } else {
        SelectedRowSymbol.clear();
    }
}

// The row as it was loaded when the user entered it.
void PutRowBack(sheet::Application& app, const sheet::Worksheet& left) {
    const PendingPortfolioEditRecord& pending = PendingPortfolioEdit;
    const auto& record = portfolio::TransactionRecord;
    // Nothing pending (committed or unchanged) leaves no row to put back; a record without a
    // symbol holds no transaction, and writing its empty values would wipe what the user typed.
    if (pending.Row == 0 || record.Equity.empty()) {
        return;
    }
    const auto cell = [&](std::string_view name) {
        return PortfolioRowCell(left, pending.Row, name);
    };
    app.setEnableEvents(false);
    Step("putting the symbol back", [&] { cell("PortfolioSymbol").setValue(record.Equity); });
    Step("putting the date back",
         [&] { cell("PortfolioTransactionDate").setValue(record.TransactionDate); });
    Step("putting the shares back",
         [&] { cell("PortfolioNoofShares").setValue(record.NumberOfShares); });
    Step("putting the price back", [&] {
        cell("PortfolioPrice").setNumberFormat(core::PriceFormat);
        cell("PortfolioPrice").setValue(record.Price);
    });
    Step("putting the commission back", [&] {
        cell("PortfolioCommission").setNumberFormat(core::PriceFormat);
        cell("PortfolioCommission").setValue(record.Commission);
    });
    Step("putting the remarks back", [&] { cell("PortfolioRemarks").setValue(record.Remarks); });
    app.setEnableEvents(true);
}

}  // namespace

// Called with the sheet being left (the host's active sheet is already the sheet being entered).
// Remembers the kind of the sheet left; on a portfolio with a pending hand edit it puts back a
// changed type or position of a booked transaction, re-books a changed Buy, Sell Short or Dividend
// Stocks row, and puts back a row whose booking is refused; then records the row symbol and alert
// id of the sheet entered.
void clsXLApp::mXLApp_SheetDeactivate(const sheet::Worksheet& Sh) {
    // 1.
    if (session::UserSessionKey.empty() || core::ExcelApp == nullptr) {
        return;
    }
    sheet::Application& app = *core::ExcelApp;
    // 2. The kinds of the sheet left and of the sheet entered.
    ActiveSheetType = core::GetTheSheetType(Sh);
    std::string newKind;
    Step("reading the kind of the sheet entered",
         [&] { newKind = core::GetTheSheetType(app.activeSheet()); });
    const bool leftPortfolio = base::equalsIgnoringCase(ActiveSheetType, core::kPortfolio);
    // 3. A pending hand edit of the portfolio being left.
    Next next = Next::SelectedRow;
    if (leftPortfolio && PendingPortfolioEdit.Column != 0 && PendingPortfolioEdit.Row != 0) {
        next = HandlePendingEdit(app, Sh);
    }
    if (next == Next::Return) {
        return;
    }
    // 4.
    if (next == Next::SelectedRow) {
        RecordSelectedRow(app, newKind);
    }
    // 5.
    if (leftPortfolio) {
        PutRowBack(app, Sh);
    }
}

}  // namespace kavex::addin::excelevents
