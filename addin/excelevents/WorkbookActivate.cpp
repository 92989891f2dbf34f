#include "addin/commandbars/frmDisplayMessage.h"
#include "addin/core/Browser.h"
#include "addin/core/Errors.h"
#include "addin/core/Menus.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/session/Session.h"
#include "addin/session/frmSplash.h"
#include "platform/forms/Screen.h"
#include "platform/os/Windows.h"

namespace kavex::addin::excelevents {

namespace {

// The host version whose workbook activation leaves the splash window, the broadcast page and
// the focus alone.
constexpr const char* kOldestHostVersion = "8.0";
// The user-action type of a sheet switch.
constexpr short kSheetSwitchAction = 4;

void advanceSplash(short step) {
    if (session::SplashVisible) {
        session::SplashWindow().IncrementProgressBar(step);
    }
}

}  // namespace

// Every test is made on the host's active workbook, not on the one the event names. The first
// activation after a login that showed the splash window closes it and shows the broadcast page.
void clsXLApp::mXLApp_WorkbookActivate(const sheet::Workbook&) {
    core::StepTrap trap;
    // 1. Without a session, nothing.
    if (session::UserSessionKey.empty()) {
        return;
    }
    // 2. The splash window moves on.
    trap([] {
        for (int i = 0; i < 4; ++i) {
            advanceSplash(5);
        }
    });
    // 3. The add-in's menus for the active workbook.
    trap([&] {
        bool result = false;
        const sheet::Workbook active = mXLApp_->activeWorkbook();
        if (core::IsKavexWorkbook(active, false)) {
            core::EnableDisableMenusForKavexWorkbook(result, active.activeSheet());
        } else {
            core::DisableMenusForNonKavexWorkbook(result);
        }
    });
    // 4.
    trap([] { advanceSplash(5); });
    // 5. The active sheet refreshed, waiting for its data; reported as a sheet switch.
    trap([] {
        refresh::ProcessManualRefresh(false, true, kSheetSwitchAction, ActiveSheetType, "", true);
    });
    // 6.
    trap([] { advanceSplash(5); });
    // 7. The splash hand-over.
    bool oldHost = false;
    trap([&] { oldHost = mXLApp_->version() == kOldestHostVersion; });
    if (!oldHost) {
        trap([] { advanceSplash(100); });
        trap([] { session::UnloadSplash(); });
        trap([] {
            if (!session::BroadcastFile.empty() && session::SplashVisible) {
                session::SplashVisible = false;
                commandbars::DisplayMessageWindow(session::BroadcastFile);
            } else {
                os::SetActiveWindow(core::GetExcelWindowHandle());
            }
        });
        trap([] { session::SplashVisible = false; });
        trap([&] {
            mXLApp_->setCursor(sheet::xlDefault);
            forms::screen().setMousePointer(forms::vbDefault);
        });
    }
    // 8.
    trap([&] { mXLApp_->setEnableEvents(true); });
}

}  // namespace kavex::addin::excelevents
