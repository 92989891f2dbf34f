#include "addin/commandbars/Commands.h"

#include "addin/commandbars/Login.h"
#include "addin/commandbars/frmOptions.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/portfolio/dialogs/TransactionCommands.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "platform/forms/Form.h"

namespace kavex::addin::commandbars {

void LoginClick() {
    core::WriteLog("LoginClick", 3, "Entering");
    if (!LoginInProgress) {
        const sheet::Workbook active =
            core::ExcelApp != nullptr ? core::ExcelApp->activeWorkbook() : sheet::Workbook();
        bool unused = false;
        ProcessLoginIfRequired(active, unused);
    }
    core::WriteLog("LoginClick", 3, "Exiting");
}

void LogoutClick() {
    core::WriteLog("LogoutClick", 3, "Entering");
    if (!session::UserSessionKey.empty()) {
        session::ProcessLogoutUser(session::kLogoutNormal);
    }
    core::WriteLog("LogoutClick", 3, "Exiting");
}

void ShowOptionsDialog() {
    frmOptions dialog;
    dialog.Show(forms::vbModal);
    if (dialog.isLoaded()) {
        dialog.Unload();
    }
}

void DeleteTransactionClick() {
    if (core::ExcelApp == nullptr) {
        return;
    }
    const sheet::Range cell = core::ExcelApp->activeCell();
    if (cell.isNothing() || core::GetTheSheetType(cell.worksheet()) != core::kPortfolioHistory) {
        return;
    }
    portfolio::dialogs::DeleteTransaction(cell);
}

}  // namespace kavex::addin::commandbars
