#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/KavexConnect.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "addin/session/StartupTables.h"
#include "tests/addin/session/SessionFixture.h"

namespace kavex::addin::session {
namespace {

using KavexConnectTest = testing::SessionFixture;

TEST_F(KavexConnectTest, ConnectionKeepsTheHostAndBindsTheEventSink) {
    EXPECT_EQ(core::ExcelApp, &app_);
    EXPECT_EQ(core::AddInPath, folder_.path().string() + "/");
    ASSERT_NE(XLAppEvents, nullptr);
    EXPECT_EQ(XLAppEvents->mXLApp(), &app_);
    EXPECT_FALSE(AddInStartUp);
    // Nothing else starts at connection.
    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_TRUE(forms::scriptedDriver().formsShown().empty());
}

TEST_F(KavexConnectTest, RegistersTheWorksheetFunctionsInInterfaceOrder) {
    const auto& names = RegisteredFunctionNames();
    ASSERT_EQ(names.size(), 222u);
    std::size_t next = 0;
    for (const functions::InterfaceMethod& method : functions::KavexConnectMethods()) {
        if (method.call) {
            ASSERT_LT(next, names.size());
            EXPECT_EQ(names[next++], method.name);
        }
    }
    EXPECT_TRUE(app_.isRegisteredFunction("KavexLast"));
    EXPECT_TRUE(app_.isRegisteredFunction("lastprice"));
    EXPECT_TRUE(app_.isRegisteredFunction("KavexEXCGName"));
    EXPECT_FALSE(app_.isRegisteredFunction("CreateAlert"));
    EXPECT_FALSE(app_.isRegisteredFunction("KavexAutoUpdate"));
}

TEST_F(KavexConnectTest, AWorksheetFunctionAnswersFromTheCache) {
    sheet::Workbook book = app_.workbooks().add();
    sheet::Worksheet ws = book.worksheets().item(1);
    ws.range("A1").setFormula("=KavexLast(\"\")");
    EXPECT_EQ(ws.range("A1").text(), "");

    // Each function takes exactly one argument: a call with none or two fails as the host fails a
    // method called with the wrong number of arguments, and reads nothing.
    ws.range("A2").setFormula("=KavexLast()");
    ws.range("A3").setFormula("=KavexLast(\"IBM\", \"MSFT\")");
    ws.range("A4").setFormula("=EXCGNAME(\"NSDQ\", \"NYSE\")");
    for (const char* address : {"A2", "A3", "A4"}) {
        EXPECT_EQ(ws.range(address).value(), base::Variant(base::CellError::Value)) << address;
    }
}

TEST_F(KavexConnectTest, InitializeAddInVariablesBuildsTheTables) {
    EXPECT_EQ(connect_.InitializeAddInVariables(), base::Variant(true));
    EXPECT_EQ(SymbolFunctionNames.Count(), 187u);
    EXPECT_TRUE(ShowDeprecatedMacroWarning);
}

TEST_F(KavexConnectTest, DisconnectionLogsOutAndReleasesTheGlobals) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    app_.setDisplayAlerts(false);

    connect_.AddinInstance_OnDisconnection();

    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string(kLogoutNormal)));
    EXPECT_TRUE(app_.displayAlerts());
    EXPECT_EQ(XLAppEvents, nullptr);
    EXPECT_EQ(core::DBConnection, nullptr);
    EXPECT_EQ(core::ExcelApp, nullptr);
    EXPECT_FALSE(SplashVisible);
    EXPECT_EQ(SymbolFunctionNames.Count(), 0u);
}

TEST_F(KavexConnectTest, DisconnectionForgetsWhatTheHandlersRemembered) {
    excelevents::SelectedRowSymbol = "IBM";
    excelevents::SelectedRowAlertID = "17";
    excelevents::PendingPortfolioEdit = {3, "Buy", 12};
    excelevents::PortfolioEditRow = 12;
    excelevents::ActiveSheetType = "Portfolio";
    excelevents::LastTopListExchange = "NYSE";
    portfolio::dialogs::TransactionEntryMode = "Hand Edit";
    portfolio::dialogs::TransactionEditRow = 12;
    refresh::ManualRefreshInProgress = true;

    connect_.AddinInstance_OnDisconnection();

    EXPECT_EQ(excelevents::SelectedRowSymbol, "");
    EXPECT_EQ(excelevents::SelectedRowAlertID, "");
    EXPECT_EQ(excelevents::PendingPortfolioEdit.Row, 0);
    EXPECT_EQ(excelevents::PendingPortfolioEdit.Column, 0);
    EXPECT_EQ(excelevents::PortfolioEditRow, 0);
    EXPECT_EQ(excelevents::ActiveSheetType, "");
    EXPECT_EQ(excelevents::LastTopListExchange, "");
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
    EXPECT_EQ(portfolio::dialogs::TransactionEditRow, 0);
    EXPECT_FALSE(refresh::ManualRefreshInProgress);
    // The released start-up tables arm the deprecation notice, as the shutdown leaves it.
    EXPECT_TRUE(ShowDeprecatedMacroWarning);
    connect_.AddinInstance_Initialize();
    connect_.AddinInstance_OnConnection(app_, folder_.path().string());
}

TEST_F(KavexConnectTest, DisconnectionReleasesTimersThatOutlivedTheirSession) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    ASSERT_NE(refresh::Timers, nullptr);
    // Rebuilding the start-up tables drops the session key but not the session's timers.
    connect_.InitializeAddInVariables();
    ASSERT_TRUE(UserSessionKey.empty());

    connect_.AddinInstance_OnDisconnection();
    EXPECT_EQ(refresh::Timers, nullptr);
    connect_.AddinInstance_Initialize();
    connect_.AddinInstance_OnConnection(app_, folder_.path().string());
}

TEST_F(KavexConnectTest, ASecondConnectionReplacesTheSink) {
    core::OpenDBConnection();
    ASSERT_NE(core::DBConnection, nullptr);
    sheet::Application other;
    connect_.AddinInstance_OnConnection(other, folder_.path().string());
    ASSERT_NE(XLAppEvents, nullptr);
    EXPECT_EQ(XLAppEvents->mXLApp(), &other);
    // The first sink dropped the shared connection on its way out.
    EXPECT_EQ(core::DBConnection, nullptr);
    connect_.AddinInstance_OnDisconnection();
    connect_.AddinInstance_OnConnection(app_, folder_.path().string());
}

TEST_F(KavexConnectTest, BrowserMethodOpensTheSharedWindow) {
    connect_.eShowBrowser("http://example.test/faq.jsp");
    ASSERT_TRUE(core::IEBrowser.has_value());
    EXPECT_EQ(core::IEBrowser->LocationURL(), "http://example.test/faq.jsp");
    EXPECT_TRUE(core::IEBrowser->Visible());
    EXPECT_FALSE(core::IEBrowser->ToolBar());
    const int window = core::IEBrowser->windowNumber();
    connect_.eShowBrowser("http://example.test/tour.jsp");
    EXPECT_EQ(core::IEBrowser->windowNumber(), window);

    core::IEBrowser->Quit();
    connect_.eShowBrowser("http://example.test/again.jsp");
    EXPECT_NE(core::IEBrowser->windowNumber(), window);
    EXPECT_EQ(core::IEBrowser->LocationURL(), "http://example.test/again.jsp");
}

}  // namespace
}  // namespace kavex::addin::session
