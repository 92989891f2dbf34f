#include "addin/core/Menus.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/session/Session.h"

namespace kavex::addin::excelevents {

// The host's own context menu always opens (the cancel flag is never set), with the add-in's
// entries decided for the cell right-clicked. Without a trap of its own: a failure ends it.
void clsXLApp::mXLApp_SheetBeforeRightClick(const sheet::Worksheet& Sh, const sheet::Range&,
                                            bool&) {
    // 1. Without a session, nothing.
    if (session::UserSessionKey.empty()) {
        return;
    }
    // 2. The add-in's entries, for an add-in workbook.
    if (core::IsKavexWorkbook(mXLApp_->activeWorkbook(), false)) {
        bool result = false;
        core::EnableDisableMenusForKavexWorkbook(result, Sh);
    }
}

}  // namespace kavex::addin::excelevents
