#include "addin/portfolio/dialogs/TransactionCommands.h"

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/Messages.h"
#include "addin/portfolio/PortfolioRewrite.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/portfolio/dialogs/frmTransaction.h"
#include "addin/refresh/IdleTime.h"
#include "platform/forms/DialogDriver.h"
#include "platform/forms/MsgBox.h"

namespace kavex::addin::portfolio::dialogs {

void DeleteTransaction(const sheet::Range& target) {
    static constexpr std::string_view kProcedure = "DeleteTransaction";
    refresh::IdleTickCount = 0;
    try {
        const sheet::Worksheet history = target.worksheet();
        const PortfolioPair pair = PortfolioOf(history);
        const HistoryLayout layout = HistoryLayoutOf(pair.history);
        if (pair.history != history || target.row() < layout.firstRow() ||
            IsBlank(history.cells(target.row(), layout.id).value())) {
            throw PortfolioRefusal("That row holds no transaction.");
        }
        if (forms::MsgBox("Are you sure you want to delete this transaction?",
                          forms::vbYesNo | forms::vbQuestion, "Kavex") != forms::vbYes) {
            return;
        }
        DeleteHistoryTransaction(history, target.row());
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    } catch (const forms::DialogFailure&) {
        TransactionEntryMode.clear();
        throw;
    } catch (const std::exception& error) {
        core::WriteLog(kProcedure, 1,
                       "Error while deleting the transaction Error description : " +
                           std::string(error.what()));
    }
}

void EditTransaction(const sheet::Range& target) {
    static constexpr std::string_view kProcedure = "EditTransaction";
    refresh::IdleTickCount = 0;
    try {
        sheet::Worksheet sheet = target.worksheet();
        const PortfolioPair pair = PortfolioOf(sheet);
        const PortfolioLayout layout = PortfolioLayoutOf(pair.portfolio);
        const auto id = NumberOf(sheet.cells(target.row(), layout.id).value());
        if (pair.portfolio != sheet || target.row() <= layout.headerRow || !id || *id < 1) {
            throw PortfolioRefusal("That row holds no booked transaction.");
        }
        if (core::ExcelApp->activeSheet() != sheet) {
            sheet.activate();
        }
        TransactionEditRow = target.row();
        bool fromSheet = true;
        FillRecord(fromSheet);
        TransactionEntryMode = kEntryModeEdit;
        frmTransaction dialog(TextOf(sheet.cells(target.row(), layout.type).value()));
        dialog.Show(forms::vbModal);
        if (dialog.isLoaded()) {
            dialog.Unload();
        }
    } catch (const PortfolioRefusal& refusal) {
        ShowPortfolioMessage(refusal.what());
    } catch (const forms::DialogFailure&) {
        TransactionEntryMode.clear();
        throw;
    } catch (const std::exception& error) {
        core::WriteLog(
            kProcedure, 1,
            "Error while editing the transaction Error description : " + std::string(error.what()));
    }
    TransactionEntryMode.clear();
}

}  // namespace kavex::addin::portfolio::dialogs
