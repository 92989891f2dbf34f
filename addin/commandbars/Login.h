#pragma once

#include "platform/spreadsheet/Workbook.h"

namespace kavex::addin::commandbars {

// True while ProcessLoginIfRequired runs the login, so that a worksheet function evaluated
// meanwhile does not start a second one.
inline bool LoginInProgress = false;

// Without a session: sets LoginInProgress, runs the whole login flow and, for a workbook that is
// not an add-in workbook, restores the cursor, the status bar ("Ready"), closes the splash window
// and brings Excel's window forward; then clears LoginInProgress. With a session it does nothing.
// Never fails (a dialog nobody answered is passed on: it is the script's fault, not the add-in's);
// the flag is not used.
void ProcessLoginIfRequired(const sheet::Workbook& workbook, bool& unused);

}  // namespace kavex::addin::commandbars
