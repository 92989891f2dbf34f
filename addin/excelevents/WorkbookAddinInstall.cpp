#include "addin/core/Errors.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/Companion.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/refresh/SheetRefresh.h"

namespace kavex::addin::excelevents {

// Installing the companion brings the add-in's formulas on an ordinary active sheet up to date.
// No session is needed.
void clsXLApp::mXLApp_WorkbookAddinInstall(const sheet::Workbook& Wb) {
    core::StepTrap trap;
    trap([&] {
        if (IsCompanionWorkbook(Wb) && !core::IsKavexWorkbook(mXLApp_->activeWorkbook(), false)) {
            refresh::RefreshWorksheet();
        }
    });
}

}  // namespace kavex::addin::excelevents
