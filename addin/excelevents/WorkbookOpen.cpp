#include "addin/commandbars/Login.h"
#include "addin/core/Errors.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/Companion.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/refresh/SheetRefresh.h"

namespace kavex::addin::excelevents {

namespace {

// The macro of the companion's project that an add-in workbook runs when it opens.
constexpr const char* kShowFormsMacro = "ShowForms";

}  // namespace

// An add-in workbook starts the add-in (the companion's reference, its macro, the login); any
// other workbook has the add-in's formulas on its active sheet brought up to date. The companion
// itself is left alone. No session is needed.
void clsXLApp::mXLApp_WorkbookOpen(const sheet::Workbook& Wb) {
    core::StepTrap trap;
    // 2. The companion.
    bool companion = false;
    trap([&] { companion = IsCompanionWorkbook(Wb); });
    if (companion) {
        return;
    }
    // 3. An add-in workbook.
    if (core::IsKavexWorkbook(Wb, false)) {
        trap([] { core::AddKavexReference(true); });
        trap([&] { mXLApp_->run(kShowFormsMacro); });
        trap([&] {
            bool unused = false;
            commandbars::ProcessLoginIfRequired(Wb, unused);
        });
        return;
    }
    // 4. Any other workbook.
    trap([] { refresh::RefreshWorksheet(); });
}

}  // namespace kavex::addin::excelevents
