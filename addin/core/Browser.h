#pragma once

#include <string>

#include "platform/os/Windows.h"

namespace kavex::addin::core {

// Opens the address in the shared browser window: the kept IEBrowser when it still answers, else
// a new one; status bar, menu bar and toolbar off, resizable, visible. Errors are logged.
void OpenURLInBrowser(const std::string& address);

// The spreadsheet application's main window (for SetActiveWindow).
os::HWND GetExcelWindowHandle();

}  // namespace kavex::addin::core
