#include "addin/commandbars/Login.h"

#include "addin/commandbars/BarSupport.h"
#include "addin/core/Browser.h"
#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "addin/session/frmSplash.h"
#include "platform/os/Windows.h"

namespace kavex::addin::commandbars {

namespace {

constexpr int xlCursorDefault = -4143;

// Clears LoginInProgress however the login ends, a dialog nobody answered included.
struct LoginGuard {
    LoginGuard() { LoginInProgress = true; }
    ~LoginGuard() { LoginInProgress = false; }
    LoginGuard(const LoginGuard&) = delete;
    LoginGuard& operator=(const LoginGuard&) = delete;
};

}  // namespace

void ProcessLoginIfRequired(const sheet::Workbook& workbook, bool& /*unused*/) {
    static constexpr std::string_view kProcedure = "ProcessLoginIfRequired";
    if (!session::UserSessionKey.empty()) {
        return;
    }
    LoginGuard guard;
    RunStep(kProcedure, "logging in", [] { session::ProcessLogin(); });
    bool addinWorkbook = false;
    RunStep(kProcedure, "testing the workbook",
            [&] { addinWorkbook = core::IsKavexWorkbook(workbook, false); });
    if (addinWorkbook) {
        return;
    }
    RunStep(kProcedure, "restoring the cursor", [] {
        if (core::ExcelApp != nullptr) {
            core::ExcelApp->setCursor(xlCursorDefault);
        }
    });
    RunStep(kProcedure, "restoring the status bar", [] {
        if (core::ExcelApp != nullptr) {
            core::ExcelApp->setStatusBar(base::Variant("Ready"));
        }
    });
    RunStep(kProcedure, "closing the splash window", [] {
        session::SplashVisible = false;
        session::UnloadSplash();
    });
    RunStep(kProcedure, "activating Excel's window",
            [] { os::SetActiveWindow(core::GetExcelWindowHandle()); });
}

}  // namespace kavex::addin::commandbars
