#include "addin/excelevents/PortfolioEntry.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioRow.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/ValidateTransactionDate.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/ManualRefresh.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::excelevents {

namespace {

// Every step of the handler is skipped silently when it fails.
void Step(std::string_view, const std::function<void()>& action) {
    core::StepTrap trap;
    trap(action);
}

void Tell(const char* message) {
    forms::MsgBox(message, forms::vbOKOnly | forms::vbExclamation, "Kavex");
}

sheet::Application& App() {
    return *core::ExcelApp;
}

// True when the pending cell is in the column of the sheet's named range; False when the sheet
// has no such name.
bool PendingIn(const sheet::Worksheet& sheet, std::string_view name) {
    bool in = false;
    Step("locating " + std::string(name),
         [&] { in = PendingPortfolioEdit.Column == sheet.range(name).column(); });
    return in;
}

// Puts the pending cell back to the text it held when it was selected, then tells the user.
PortfolioEntryOutcome PutBackLocked(const sheet::Worksheet& sheet, const char* message,
                                    const std::function<void()>& rememberSelection) {
    const PendingPortfolioEditRecord& pending = PendingPortfolioEdit;
    App().setEnableEvents(false);
    sheet.cells(pending.Row, pending.Column).setValue(pending.OldValue);
    App().setEnableEvents(true);
    Tell(message);
    rememberSelection();
    return PortfolioEntryOutcome::EventEnded;
}

// The figure typed into the cash cell; nullopt for anything that is not a finite number.
std::optional<double> CashFigure(const base::Variant& value) {
    std::optional<double> figure;
    if (value.isNumber()) {
        figure = value.number();
    } else if (value.isText()) {
        figure = base::parseNumber(value.text());
    }
    if (figure && !std::isfinite(*figure)) {
        figure.reset();
    }
    return figure;
}

// Shows the cash position the books hold again in the cash cell, after a refused amount.
void PutBackCashPosition(const sheet::Range& cash) {
    App().setEnableEvents(false);
    Step("putting the cash position back",
         [&] { sheet::Range(cash).setValue(base::Variant(PendingPortfolioEdit.OldValue)); });
    App().setEnableEvents(true);
}

// Puts the row back as it was loaded after a refused hand entry, when the user had filled all
// five value cells; then ends the event.
PortfolioEntryOutcome RestorePortfolioRow(const sheet::Worksheet& sheet,
                                          const PortfolioRowValues& row,
                                          const std::function<void()>& rememberSelection) {
    const auto& record = portfolio::TransactionRecord;
    // A row not booked yet has no loaded transaction to put back; the record's date is then left
    // over from the row visited before, and writing it would book a date nobody typed.
    const bool filled = !row.symbol.empty() && !row.sharesText.empty() && !row.priceText.empty() &&
                        !row.commissionText.empty() && !row.dateText.empty();
    if (filled && !record.Equity.empty()) {
        const std::int32_t r = PendingPortfolioEdit.Row;
        const auto cell = [&](std::string_view name) { return PortfolioRowCell(sheet, r, name); };
        App().setEnableEvents(false);
        Step("restoring the symbol", [&] { cell("PortfolioSymbol").setValue(record.Equity); });
        if (record.TransactionDate != base::Date{}) {
            Step("restoring the date",
                 [&] { cell("PortfolioTransactionDate").setValue(record.TransactionDate); });
        }
        if (record.NumberOfShares != 0) {
            Step("restoring the shares",
                 [&] { cell("PortfolioNoofShares").setValue(record.NumberOfShares); });
        }
        if (record.Price != 0) {
            Step("restoring the price", [&] {
                cell("PortfolioPrice").setNumberFormat(core::PriceFormat);
                cell("PortfolioPrice").setValue(record.Price);
            });
        }
        if (record.Commission != 0) {
            Step("restoring the commission", [&] {
                cell("PortfolioCommission").setNumberFormat(core::PriceFormat);
                cell("PortfolioCommission").setValue(record.Commission);
            });
        }
        if (!record.Remarks.empty()) {
            Step("restoring the remarks",
                 [&] { cell("PortfolioRemarks").setValue(record.Remarks); });
        }
        App().setEnableEvents(true);
    }
    rememberSelection();
    return PortfolioEntryOutcome::EventEnded;
}

// Books the row as the type says, in the entry mode given. Returns GoOn when the handler carries
// on (a sale booked), EventEnded otherwise.
PortfolioEntryOutcome BookRow(const sheet::Worksheet& sheet, const SheetTransactionType& type,
                              const PortfolioRowValues& row, const char* entryMode,
                              const std::function<void()>& rememberSelection) {
    std::string& mode = portfolio::dialogs::TransactionEntryMode;
    mode = entryMode;
    bool validDate = false;
    Step("checking the date",
         [&] { validDate = portfolio::ValidateTransactionDate(row.dateText); });
    if (!validDate) {
        mode.clear();
        return RestorePortfolioRow(sheet, row, rememberSelection);
    }
    App().setEnableEvents(false);
    Step("writing the date", [&] {
        PortfolioRowCell(sheet, PendingPortfolioEdit.Row, "PortfolioTransactionDate")
            .setValue(row.date);
    });
    App().setEnableEvents(true);
    bool booked = false;
    Step("booking the row", [&] {
        const std::string name(type.name);
        const std::string position(type.position);
        booked = type.sale
                     ? portfolio::SellTransactionFunction(name, position, type.code, type.code,
                                                          row.symbol, row.date, row.shares,
                                                          row.price, row.commission, row.remarks)
                     : portfolio::BuyTransactionFunction(name, position, type.code, row.symbol,
                                                         row.date, row.shares, row.price,
                                                         row.commission, row.remarks);
    });
    if (!booked) {
        mode.clear();
        return RestorePortfolioRow(sheet, row, rememberSelection);
    }
    if (type.sale) {
        mode.clear();
        return PortfolioEntryOutcome::GoOn;
    }
    // The selection is remembered before the refresh spins the message loop, so that a selection
    // made during the wait starts from a consistent pending edit.
    rememberSelection();
    Step("refreshing the sheet",
         [] { refresh::ProcessManualRefresh(false, true, 0, "", "", true); });
    return PortfolioEntryOutcome::EventEnded;
}

}  // namespace

PortfolioEntryOutcome CommitPortfolioRow(const sheet::Worksheet& sheet, const sheet::Range& target,
                                         std::int32_t headerRow,
                                         const std::function<void()>& rememberSelection) {
    const PendingPortfolioEditRecord& pending = PendingPortfolioEdit;
    // The header area holds no transaction: its captions are neither booked nor defaulted. The
    // cash cell is up there, and a changed amount is booked wherever the user goes next.
    if (pending.Row <= headerRow) {
        return CheckCashPosition(sheet, rememberSelection);
    }
    // 1. Under the handler's error exit.
    const std::int32_t pendingId =
        base::CLng(PortfolioRowCell(sheet, pending.Row, "PortfolioTransactionID").value());
    // 2.-3. A booked transaction keeps its position and type.
    if (pendingId != 0) {
        std::string now;
        Step("reading the cell left",
             [&] { now = base::CStr(sheet.cells(pending.Row, pending.Column).value()); });
        if (PendingIn(sheet, "PortfolioPosition") && now != pending.OldValue &&
            !pending.OldValue.empty()) {
            return PutBackLocked(sheet, "Position cannot be changed", rememberSelection);
        }
        if (PendingIn(sheet, "PortfolioTransactionTypeDescription") &&
            base::Trim(now) != base::Trim(pending.OldValue) &&
            !base::Trim(pending.OldValue).empty()) {
            return PutBackLocked(sheet, "Transaction Type cannot be changed", rememberSelection);
        }
    }
    // 4. The default commission of a new row follows its type.
    if (pendingId == 0 && PendingIn(sheet, "PortfolioTransactionTypeDescription")) {
        Step("defaulting the commission", [&] {
            const std::string type = base::Trim(base::CStr(
                PortfolioRowCell(sheet, pending.Row, "PortfolioTransactionTypeDescription")
                    .value()));
            PortfolioRowCell(sheet, pending.Row, "PortfolioCommission")
                .setValue(type == "Dividend Stocks" ? "0.00" : "");
        });
    }
    // 5. Nothing is booked while the user stays in the row.
    std::int32_t targetRow = 0;
    Step("reading the new row", [&] { targetRow = target.row(); });
    if (targetRow == pending.Row) {
        return PortfolioEntryOutcome::GoOn;
    }
    // 6.
    const PortfolioRowValues row = ReadPortfolioRow(sheet, pending.Row);
    // 7. A new row.
    const bool anything = !row.symbol.empty() || !row.sharesText.empty() ||
                          !row.priceText.empty() || !row.commissionText.empty() ||
                          !row.dateText.empty();
    if (anything && pendingId == 0) {
        const bool allFilled = !row.dateText.empty() && !row.sharesText.empty() &&
                               !row.priceText.empty() && !row.commissionText.empty();
        const bool allNumeric = base::IsNumeric(row.sharesText) && base::IsNumeric(row.priceText) &&
                                base::IsNumeric(row.commissionText);
        if (allFilled && !allNumeric) {
            rememberSelection();
            return PortfolioEntryOutcome::EventEnded;
        }
        if (const SheetTransactionType* type = FindSheetTransactionType(row.typeText)) {
            return BookRow(sheet, *type, row, "Hand Edit", rememberSelection);
        }
        Tell(row.typeText.empty() ? "Transaction Type cannot be blank."
                                  : "Transaction Type is not valid.");
        portfolio::dialogs::TransactionEntryMode.clear();
        rememberSelection();
        return PortfolioEntryOutcome::EventEnded;
    }
    // 8. A booked row.
    if (pendingId != 0 && !portfolio::TransactionRecord.Equity.empty() && !row.symbol.empty()) {
        if (!RowDiffersFromRecord(row)) {
            Step("unwrapping the remarks", [&] {
                PortfolioRowCell(sheet, pending.Row, "PortfolioRemarks").setWrapText(false);
            });
            return PortfolioEntryOutcome::GoOn;
        }
        const SheetTransactionType* type = FindSheetTransactionType(row.typeText);
        if (type != nullptr && type->rebookable) {
            return BookRow(sheet, *type, row, "Edit", rememberSelection);
        }
    }
    // 9.
    return PortfolioEntryOutcome::GoOn;
}

PortfolioEntryOutcome CheckCashPosition(const sheet::Worksheet& sheet,
                                        const std::function<void()>& rememberSelection) {
    const PendingPortfolioEditRecord& pending = PendingPortfolioEdit;
    // 1. Only a changed cash cell that held an amount.
    const sheet::Range cash = sheet.range("PortfolioCashPosition");
    if (pending.Column != cash.column() || pending.Row != cash.row() ||
        base::Trim(pending.OldValue).empty()) {
        return PortfolioEntryOutcome::GoOn;
    }
    // An error value (=1/0) has no text of its own and always differs from the amount it replaced.
    const base::Variant now = cash.value();
    if (!now.isError() && base::CStr(now) == pending.OldValue) {
        return PortfolioEntryOutcome::GoOn;
    }
    // Only a number is cash (typed, or text that reads as one): a truth value, a date, a word, an
    // error value or a figure too large to read would otherwise be booked as whatever it converts
    // to, or not at all.
    const std::optional<double> typed = CashFigure(now);
    if (!typed) {
        Tell("Cash Position must be a number.");
        PutBackCashPosition(cash);
        rememberSelection();
        return PortfolioEntryOutcome::EventEnded;
    }
    // 2.
    const double change = *typed - base::CDbl(pending.OldValue);
    std::string remarks;
    base::Date today = base::datePart(os::Now());
    double amount = std::abs(change);
    // 3.-4. Told only when booked; a refusal has told why, and the cell shows the position again.
    const bool adding = change > 0;
    std::string type = adding ? "Add Cash" : "Withdraw Cash";
    std::string code = adding ? "1" : "2";
    if (portfolio::AddCashToPortFolioHistory(type, today, amount, code, remarks)) {
        Tell(adding ? "Cash added." : "Cash withdrawn.");
    } else {
        PutBackCashPosition(cash);
    }
    // 5.
    rememberSelection();
    return PortfolioEntryOutcome::EventEnded;
}

}  // namespace kavex::addin::excelevents
