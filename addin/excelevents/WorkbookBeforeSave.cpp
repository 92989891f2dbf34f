#include "addin/core/Database.h"
#include "addin/core/Errors.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"

namespace kavex::addin::excelevents {

// Every save of any workbook during a session records the day as the last effective date of the
// dividends and splits. Neither flag is touched.
void clsXLApp::mXLApp_WorkbookBeforeSave(const sheet::Workbook&, bool, bool&) {
    // 1. Without a session, nothing.
    if (session::UserSessionKey.empty()) {
        return;
    }
    // 2. Today's date, without a time, in the short-date form.
    core::StepTrap trap;
    trap([] {
        const std::string today = base::CStr(base::Variant(base::datePart(os::Now())));
        core::UpdateConfigSettings({"DIVSPL_LAST_EFFECTIVE_DATE"}, {today});
    });
}

}  // namespace kavex::addin::excelevents
