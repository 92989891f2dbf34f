#pragma once
// The add-in's state as a logged-in user has it, without the services behind it: the host, the
// database open on a scratch file, a session key and the toolbar; the worksheet functions
// registered with the host when a benchmark's cells call them.

#include <memory>
#include <string>

#include "addin/core/Globals.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/session/Session.h"
#include "platform/db/Connection.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::bench {

struct AddInSession {
    explicit AddInSession(const std::string& connectionString) {
        addin::core::ExcelApp = &host;
        addin::core::DBConnection = std::make_unique<db::Connection>();
        addin::core::DBConnection->Open(connectionString);
        addin::core::ExcelCommandBars.Add("KavexToolbar")->setVisible(true);
        addin::session::UserSessionKey = "BENCH";
    }

    AddInSession(const AddInSession&) = delete;
    AddInSession& operator=(const AddInSession&) = delete;

    // The add-in's worksheet functions, as its connection registers them.
    void registerWorksheetFunctions() {
        for (const addin::functions::InterfaceMethod& method :
             addin::functions::KavexConnectMethods()) {
            if (method.call) {
                host.registerFunction(std::string(method.name),
                                      addin::functions::WorksheetFunctionFor(method));
            }
        }
    }

    sheet::Application host;
};

}  // namespace kavex::bench
