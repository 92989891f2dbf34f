#include "addin/excelevents/clsXLApp.h"

namespace kavex::addin::excelevents {

// The handlers that lean on the sheet refresh, the attribute columns and the portfolio engine
// follow as those arrive; until then these events change nothing.
void clsXLApp::mXLApp_SheetChange(const sheet::Worksheet&, const sheet::Range&) {}
void clsXLApp::mXLApp_SheetFollowHyperlink(const sheet::Worksheet&, const sheet::Hyperlink&) {}
void clsXLApp::mXLApp_WorkbookAddinInstall(const sheet::Workbook&) {}
void clsXLApp::mXLApp_WorkbookActivate(const sheet::Workbook&) {}
void clsXLApp::mXLApp_SheetSelectionChange(const sheet::Worksheet&, const sheet::Range&) {}
void clsXLApp::mXLApp_WorkbookOpen(const sheet::Workbook&) {}

}  // namespace kavex::addin::excelevents
