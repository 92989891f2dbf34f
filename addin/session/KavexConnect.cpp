#include "addin/session/KavexConnect.h"

#include <memory>

#include "addin/core/Browser.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/AutoUpdate.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/AddinGlobals.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "addin/session/StartupTables.h"

namespace kavex::addin::session {

namespace {

std::vector<std::string>& registered() {
    static std::vector<std::string> names;
    return names;
}

void registerWorksheetFunctions(sheet::Application& application) {
    std::vector<std::string>& names = registered();
    names.clear();
    for (const functions::InterfaceMethod& method : functions::KavexConnectMethods()) {
        if (!method.call) {
            continue;
        }
        application.registerFunction(std::string(method.name),
                                     functions::WorksheetFunctionFor(method));
        names.emplace_back(method.name);
    }
}

std::string withSeparator(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

}  // namespace

void KavexConnect::AddinInstance_Initialize() {
    AddInStartUp = true;
    core::DecimalPlaces = 2;
    core::LogLevel = 0;
}

void KavexConnect::AddinInstance_OnConnection(sheet::Application& application,
                                              const std::string& addInPath) {
    core::ExcelApp = &application;
    core::AppPath = withSeparator(addInPath);
    core::AddInPath = core::AppPath;
    // A second connection replaces the sink, which releases the first one.
    XLAppEvents.reset();
    XLAppEvents = std::make_unique<excelevents::clsXLApp>();
    registerWorksheetFunctions(application);
    AddInStartUp = false;
}

void KavexConnect::AddinInstance_OnDisconnection() {
    ShutdownAddIn(kLogoutNormal);
    // The logout releases the timers of a session; timers left behind by a session whose key was
    // dropped without a logout (the start-up tables rebuilt meanwhile) must not tick on into an
    // add-in that is gone.
    refresh::DestroyTimerPool();
    if (core::ExcelApp != nullptr) {
        // The close handler leaves the host's own prompts off; give them back.
        core::ExcelApp->setDisplayAlerts(true);
    }
    // Everything else the add-in held goes back to how a fresh load finds it: the splash window,
    // the event sink, the database connection (closed), the browser, the host, and every flag,
    // mirror and remembered row, so that nothing of this connection leaks into the next one.
    ResetAddinGlobals();
    // The shutdown released the start-up tables, which arms the deprecation notice again.
    ShowDeprecatedMacroWarning = true;
}

base::Variant KavexConnect::InitializeAddInVariables() {
    InitAddInVariables();
    return true;
}

void KavexConnect::eShowBrowser(const std::string& address) {
    core::OpenURLInBrowser(address);
}

void KavexConnect::KavexAddSymbol(const std::string& symbol) {
    core::WriteLog("KavexAddSymbol", 2, "Not available: " + symbol);
}

void KavexConnect::KavexAutoUpdate() {
    refresh::ProcessAutoUpdateListChange();
}

const std::vector<std::string>& RegisteredFunctionNames() {
    return registered();
}

}  // namespace kavex::addin::session
