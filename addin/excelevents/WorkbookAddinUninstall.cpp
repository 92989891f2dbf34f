#include "addin/core/Errors.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/Companion.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"

namespace kavex::addin::excelevents {

// Uninstalling the companion ends the session and removes the add-in's bars, unless an add-in
// workbook is still open and needs them.
void clsXLApp::mXLApp_WorkbookAddinUninstall(const sheet::Workbook& Wb) {
    core::StepTrap trap;
    bool goOn = false;
    trap([&] { goOn = IsCompanionWorkbook(Wb) && !session::UserSessionKey.empty(); });
    if (!goOn) {
        return;
    }
    bool addinWorkbookOpen = false;
    trap([&] {
        sheet::Workbooks workbooks = mXLApp_->workbooks();
        const int count = workbooks.count();
        for (int position = 1; position <= count; ++position) {
            if (core::IsKavexWorkbook(workbooks.item(position), false)) {
                addinWorkbookOpen = true;
                break;
            }
        }
    });
    if (!addinWorkbookOpen) {
        // With this state the logout does not put the login bar back.
        trap([] { session::AddInState = "UnInstall"; });
        trap([] { session::ShutdownAddIn(session::kUninstallAddin); });
    }
}

}  // namespace kavex::addin::excelevents
