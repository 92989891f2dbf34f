#include <cstdint>
#include <exception>
#include <string>

#include "addin/core/Errors.h"
#include "addin/core/Log.h"
#include "addin/core/Menus.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/PortfolioEntry.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionCommands.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"

namespace kavex::addin::excelevents {

namespace {

constexpr const char* kProcedure = "mXLApp_SheetSelectionChange";

// The host version on which selecting one of these links acts like following it.
constexpr const char* kOldestHostVersion = "8.0";
constexpr const char* kSelectableLinks[] = {"DetailsSymbol", "To Watch List\u2026", "WatchlistLink",
                                            "WSName_PortfolioHistory"};

}  // namespace

void clsXLApp::mXLApp_SheetSelectionChange(const sheet::Worksheet& Sh, const sheet::Range& Target) {
    // 1. Without a session, nothing.
    if (session::UserSessionKey.empty()) {
        return;
    }
    // 2. A sheet without a used range has nothing to select.
    bool usedRangeIsNothing = false;
    core::StepTrap()([&] { usedRangeIsNothing = Sh.usedRange().isNothing(); });
    if (usedRangeIsNothing) {
        return;
    }
    // 3. From here on a failure ends the event through the error exit.
    try {
        // 4. On the oldest host selecting a link of the add-in acts like following it.
        if (mXLApp_->version() == kOldestHostVersion && Target.count() == 1) {
            const sheet::Hyperlinks links = Target.hyperlinks();
            if (links.count() > 0) {
                const std::string subAddress = links.item(1).subAddress();
                for (const char* selectable : kSelectableLinks) {
                    if (subAddress == selectable) {
                        ProcessHyperlink(Sh, Target, subAddress);
                        break;
                    }
                }
            }
        }
        // 5. Outside add-in workbooks only the add-in's entries are disabled.
        if (!core::IsKavexWorkbook(mXLApp_->activeWorkbook(), false)) {
            bool result = false;
            core::DisableMenusForNonKavexWorkbook(result);
            return;
        }
        // 6.
        bool result = false;
        core::EnableDisableMenusForKavexWorkbook(result, Sh);
        // 7. The symbol header of the sheet.
        std::int32_t headerRow = 0;
        std::int16_t symbolColumn = 0;
        core::GetSymbolRowColumn(Sh, headerRow, symbolColumn);
        const std::string kind = core::GetTheSheetType(Sh);
        const std::int32_t activeRow = mXLApp_->activeCell().row();

        std::int32_t newRowTransactionID = 0;
        if (activeRow > headerRow && symbolColumn != 0 && headerRow != 0) {
            // 8.1 The row's symbol and alert id, each kept when it cannot be read.
            core::StepTrap trap;
            trap([&] {
                SelectedRowSymbol = base::CStr(mXLApp_->cells(activeRow, symbolColumn).value());
            });
            trap([&] {
                const int alertColumn = mXLApp_->activeWorkbook()
                                            .names()
                                            .item("WatchlistAlertID")
                                            .refersToRange()
                                            .column();
                SelectedRowAlertID = base::CStr(mXLApp_->cells(activeRow, alertColumn).value());
            });
            // 8.2
            if (kind != core::kPortfolio) {
                return;
            }
            // 8.3 A Portfolio sheet.
            PortfolioEditRow = PendingPortfolioEdit.Row;
            SelectedRowSymbol = base::CStr(mXLApp_->cells(activeRow, symbolColumn).value());
            SelectedRowAlertID = base::CStr(
                mXLApp_->cells(activeRow, mXLApp_->range("PortfolioAlertID").column()).value());
            // 8.4 The transaction of the row entered.
            // Read as 32 bits: ids count up from 1 for the life of a portfolio and pass 32767.
            newRowTransactionID = static_cast<std::int32_t>(base::CLng(
                Sh.cells(Target.row(), Sh.range("PortfolioTransactionID").column()).value()));
            const auto remember = [&] {
                RememberPortfolioSelection(Sh, Target, newRowTransactionID);
            };
            // 8.5 The cell and row left are judged (booked, re-booked, locked or put back).
            if (PendingPortfolioEdit.Column != 0 && PendingPortfolioEdit.Row != 0 &&
                CommitPortfolioRow(Sh, Target, headerRow, remember) ==
                    PortfolioEntryOutcome::EventEnded) {
                return;
            }
            // 8.6
            remember();
            return;
        }
        // 9.1 A changed cash position is booked.
        if (kind == core::kPortfolio && PendingPortfolioEdit.Column != 0 &&
            PendingPortfolioEdit.Row != 0 &&
            CheckCashPosition(Sh, [&] {
                RememberPortfolioSelection(Sh, Target, newRowTransactionID);
            }) == PortfolioEntryOutcome::EventEnded) {
            return;
        }
        // 9.2
        if (kind != core::kPortfolio) {
            SelectedRowSymbol.clear();
        }
        // 9.3
        RememberPortfolioSelection(Sh, Target, newRowTransactionID);
    } catch (const std::exception& error) {
        core::WriteLog(kProcedure, 1,
                       std::string("Exiting ") + kProcedure + " : Error - " +
                           core::Trapped(error).description);
        core::StepTrap()([&] { mXLApp_->setEnableEvents(true); });
    }
}

// Remembers the Portfolio cell selected; entering another row loads that row's transaction (or
// clears the record for a row without one), so that the record always holds the booked
// transaction of the row the user is in.
void clsXLApp::RememberPortfolioSelection(const sheet::Worksheet& Sh, const sheet::Range& Target,
                                          std::int32_t newRowTransactionID) {
    core::StepTrap trap;
    bool portfolioSheet = false;
    trap([&] { portfolioSheet = core::GetTheSheetType(Sh) == core::kPortfolio; });
    if (!portfolioSheet) {
        return;
    }
    std::int32_t row = 0;
    std::int32_t column = 0;
    trap([&] {
        row = Target.row();
        column = Target.column();
    });
    // 1. to 3.
    if (row != PendingPortfolioEdit.Row && newRowTransactionID != 0) {
        trap([&] {
            portfolio::dialogs::TransactionEditRow = row;
            bool fromSheet = true;
            portfolio::FillRecord(fromSheet);
        });
    } else if (row != PendingPortfolioEdit.Row) {
        trap([&] {
            portfolio::dialogs::TransactionEditRow = 0;
            bool fromSheet = true;
            portfolio::FillRecord(fromSheet);
        });
    }
    // 4. The cell selected, its row and its value as text.
    trap([&] { PendingPortfolioEdit.Column = static_cast<std::int16_t>(column); });
    trap([&] { PendingPortfolioEdit.OldValue = base::CStr(Sh.cells(row, column).value()); });
    trap([&] { PendingPortfolioEdit.Row = row; });
    // 5.
    trap([&] { mXLApp_->setEnableEvents(true); });
}

}  // namespace kavex::addin::excelevents
