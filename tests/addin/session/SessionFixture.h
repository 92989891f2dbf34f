#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/KavexConnect.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/db/Recordset.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "services/Server.h"
#include "tests/addin/core/TempFolder.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::addin::session::testing {

// The add-in connected to a host, with a fresh database in its folder whose configuration points
// at the embedded services, and the scripted driver answering its dialogs.
class SessionFixture : public ::testing::Test {
  protected:
    static services::ServerOptions serverOptions() {
        services::ServerOptions options;
        options.slowDelay = std::chrono::milliseconds(3000);
        return options;
    }

    void SetUp() override {
        core::ResetCoreGlobals();
        ClearSession();
        AddInState.clear();
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
        server_.start();
        tool::createDatabase(folder_.path() / "Kavex.mdb");
        configure("WEBSITE_URL", server_.baseUrl());
        configure("LOG_LEVEL", "3");
        configure("USER_ID", "demo");
        configure("USER_PASSWORD", "demo");
        connect_.AddinInstance_Initialize();
        connect_.AddinInstance_OnConnection(app_, folder_.path().string());
        core::QuoteServiceURL = server_.baseUrl();
        core::WebRequestTimeout = std::chrono::milliseconds(1000);
    }

    void TearDown() override {
        if (forms::scriptedDriver().failure()) {
            ADD_FAILURE() << forms::scriptedDriver().failure()->what();
        }
        server_.setFault(services::Fault::None);
        connect_.AddinInstance_OnDisconnection();
        refresh::DestroyTimerPool();
        server_.stop();
        forms::scriptedDriver().reset();
        ClearSession();
        core::ResetCoreGlobals();
        // A test that ran in simulated time hands the next one the real clock.
        os::machineClock().useRealTime();
    }

    // A configuration value written directly into the file, as before the add-in starts.
    void configure(const std::string& key, const std::string& value) {
        db::Connection connection;
        connection.Open("Data Source=" + (folder_.path() / "Kavex.mdb").string());
        connection.Execute("update ConfigSettings set ConfigValue='" + value +
                           "' where ConfigKey='" + key + "'");
    }
    std::string configValue(const std::string& key) {
        db::Connection connection;
        connection.Open("Data Source=" + (folder_.path() / "Kavex.mdb").string());
        db::Recordset rs;
        rs.Open("select ConfigValue from ConfigSettings where ConfigKey='" + key + "'", connection);
        return rs.Eof() ? "<none>" : base::CStr(rs.Fields("ConfigValue"));
    }

    // Answers the next login dialog.
    static void answerLogin(const std::string& user, const std::string& password) {
        using Kind = forms::FormAction::Kind;
        forms::scriptedDriver().queueFormActions("frmLogin",
                                                 {{Kind::Set, "txtUserID", user, "test"},
                                                  {Kind::Set, "txtPassword", password, "test"},
                                                  {Kind::Click, "cmdOK", "", "test"}});
    }
    static void cancelLogin() {
        forms::scriptedDriver().queueFormActions(
            "frmLogin", {{forms::FormAction::Kind::Click, "cmdCancel", "", "test"}});
    }

    const std::vector<forms::MessageRecord>& messages() const {
        return forms::scriptedDriver().messages();
    }
    bool logHas(const std::string& text) const {
        for (const std::string& line : folder_.lines("KavexLog.txt")) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    services::Server server_{serverOptions()};
    addin::testing::TempFolder folder_{"kavex-session"};
    sheet::Application app_;
    KavexConnect connect_;
};

}  // namespace kavex::addin::session::testing
