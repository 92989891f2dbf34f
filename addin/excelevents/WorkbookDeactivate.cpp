#include "addin/core/Errors.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/session/Session.h"

namespace kavex::addin::excelevents {

// Remembers the kind of the sheet being left with its workbook, for the refresh of the next one.
void clsXLApp::mXLApp_WorkbookDeactivate(const sheet::Workbook& Wb) {
    core::StepTrap trap;
    if (session::UserSessionKey.empty()) {
        return;
    }
    trap([&] { ActiveSheetType = core::GetTheSheetType(Wb.activeSheet()); });
}

}  // namespace kavex::addin::excelevents
