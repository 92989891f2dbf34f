#pragma once

#include <string>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::session {

// The add-in class the host loads ("Kavex Addin"). The host calls the three lifecycle events;
// the connection registers the 222 worksheet functions in the class's interface order.
class KavexConnect {
  public:
    // Sets the start-up flag and the numeric defaults.
    void AddinInstance_Initialize();
    // Keeps the application in ExcelApp, takes the add-in's folder (ending in "/") into AddInPath,
    // creates the event sink into XLAppEvents and registers the worksheet functions. Nothing else
    // starts here: the login comes with the first add-in workbook or function call.
    void AddinInstance_OnConnection(sheet::Application& application, const std::string& addInPath);
    // Shuts the add-in down ("Logout Normal"), switches DisplayAlerts back on, drops the event
    // sink, closes the database and releases the globals.
    void AddinInstance_OnDisconnection();

    // Automation methods.
    // Rebuilds the start-up tables; returns True.
    base::Variant InitializeAddInVariables();
    // Opens the address in the shared browser window.
    void eShowBrowser(const std::string& address);
    // Not available in this version: logs the request and does nothing else.
    void KavexAddSymbol(const std::string& symbol);
    // Applies the toolbar interval list's current entry, as choosing it does: an interval switches
    // automatic refresh on, "Off" switches it off.
    void KavexAutoUpdate();
};

// The names registered with the host, in interface order (after a connection).
const std::vector<std::string>& RegisteredFunctionNames();

}  // namespace kavex::addin::session
