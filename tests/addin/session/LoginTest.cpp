#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "addin/commandbars/Toolbar.h"
#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "addin/session/StartupTables.h"
#include "addin/session/WebSession.h"
#include "addin/session/frmSplash.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "tests/addin/session/SessionFixture.h"

namespace kavex::addin::session {
namespace {

class LoginTest : public testing::SessionFixture {
  protected:
    bool formShown(const std::string& name) const {
        const auto& forms = forms::scriptedDriver().formsShown();
        return std::any_of(forms.begin(), forms.end(),
                           [&](const forms::FormRecord& f) { return f.name == name; });
    }
    // Nothing of a session is left behind.
    void expectNoSession() const {
        EXPECT_TRUE(UserSessionKey.empty());
        EXPECT_TRUE(ExFeedReferrer.empty());
        EXPECT_TRUE(LoginUserID.empty());
        EXPECT_TRUE(DivSplitProcessFlag.empty());
        EXPECT_TRUE(LoginDate.empty());
        EXPECT_TRUE(BroadcastFile.empty());
        EXPECT_EQ(MinRefreshTime, 0);
        EXPECT_FALSE(SplashVisible);
        EXPECT_EQ(refresh::Timers, nullptr);
    }
};

TEST_F(LoginTest, LogsInWithTheDialogsAnswers) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());

    EXPECT_FALSE(UserSessionKey.empty());
    EXPECT_FALSE(ExFeedReferrer.empty());
    EXPECT_EQ(LoginUserID, "demo");
    EXPECT_EQ(DivSplitProcessFlag, "1");
    EXPECT_EQ(MinRefreshTime, 5);
    EXPECT_TRUE(SplashVisible);  // closed by the next workbook activation
    EXPECT_TRUE(formShown("frmSplash"));
    EXPECT_TRUE(formShown("frmLogin"));
    EXPECT_EQ(SplashWindow().Label(), kProgressFeatures);
    EXPECT_GT(SplashWindow().Progress(), 0);
    EXPECT_EQ(server_.backend().sessionCount(), 1u);
    EXPECT_TRUE(messages().empty());

    // The configuration was loaded and the start-up tables built.
    EXPECT_EQ(core::WebsiteURL, server_.baseUrl());
    EXPECT_EQ(core::LogLevel, 3);
    EXPECT_EQ(SymbolFunctionNames.Count(), 187u);
    EXPECT_TRUE(ShowDeprecatedMacroWarning);
    // The timers are up and the session timer runs.
    ASSERT_NE(refresh::Timers, nullptr);
    EXPECT_TRUE(refresh::Timers->tmrSessionTimeOut->Enabled());
    // The next upkeep starts at this login.
    EXPECT_EQ(core::LastLoginDate, LoginDate);
    EXPECT_FALSE(LoginDate.empty());
}

TEST_F(LoginTest, TheLoginDialogOffersTheStoredAccount) {
    forms::scriptedDriver().queueFormActions(
        "frmLogin", {{forms::FormAction::Kind::Click, "cmdOK", "", "test"}});
    ASSERT_TRUE(ProcessLogin());
    EXPECT_EQ(LoginUserID, "demo");
}

TEST_F(LoginTest, AFirstRunAccountIsObtainedAndStored) {
    configure("USER_ID", "");
    configure("USER_PASSWORD", "");
    forms::scriptedDriver().queueFormActions(
        "frmLogin", {{forms::FormAction::Kind::Click, "cmdOK", "", "test"}});
    ASSERT_TRUE(ProcessLogin());

    const std::string stored = configValue("USER_ID");
    EXPECT_FALSE(stored.empty());
    EXPECT_FALSE(configValue("USER_PASSWORD").empty());
    EXPECT_EQ(LoginUserID, stored);
}

TEST_F(LoginTest, ARefusedPasswordLeavesNoSession) {
    answerLogin("demo", "wrong");
    EXPECT_FALSE(ProcessLogin());

    expectNoSession();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt, "Invalid User ID or Password. Please try again.");
    EXPECT_EQ(messages()[0].title, "Kavex");
    EXPECT_EQ(messages()[0].style, forms::vbExclamation);
    EXPECT_EQ(server_.backend().sessionCount(), 0u);
    EXPECT_TRUE(logHas("\tLoginUser\tError: invalid_login"));
}

TEST_F(LoginTest, AnEmptyUserIdIsRefusedByTheDialog) {
    using Kind = forms::FormAction::Kind;
    forms::scriptedDriver().queueFormActions("frmLogin", {{Kind::Set, "txtUserID", "  ", "test"},
                                                          {Kind::Click, "cmdOK", "", "test"},
                                                          {Kind::Click, "cmdCancel", "", "test"}});
    EXPECT_FALSE(ProcessLogin());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt, "Please enter your User ID.");
    EXPECT_EQ(messages()[0].style, forms::vbExclamation);
    expectNoSession();
}

TEST_F(LoginTest, CancellingLeavesNoSession) {
    cancelLogin();
    EXPECT_FALSE(ProcessLogin());
    expectNoSession();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(server_.backend().sessionCount(), 0u);
}

TEST_F(LoginTest, AServerThatIsDownShowsTheConnectivityMessage) {
    server_.setFault(services::Fault::Down);
    answerLogin("demo", "demo");
    EXPECT_FALSE(ProcessLogin());

    expectNoSession();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt, std::string(core::kConnectivityMessage));
    EXPECT_EQ(messages()[0].title, "Kavex");
    EXPECT_EQ(messages()[0].style, forms::vbCritical);
    EXPECT_TRUE(logHas("CONNECTIVITYLOST"));
    // Nothing of the stored configuration was written.
    EXPECT_EQ(configValue("USER_ID"), "demo");
    EXPECT_EQ(configValue("LAST_LOGIN_DATE"), "");
    EXPECT_EQ(configValue("AUTOUPDATE_MODE"), "0");
    EXPECT_EQ(configValue("DATA_REFRESH_INTERVAL"), "30");

    // The next attempt tells the user again, and succeeds once the server is back.
    answerLogin("demo", "demo");
    EXPECT_FALSE(ProcessLogin());
    EXPECT_EQ(messages().size(), 2u);
    server_.setFault(services::Fault::None);
    answerLogin("demo", "demo");
    EXPECT_TRUE(ProcessLogin());
}

TEST_F(LoginTest, AFirstRunWhileTheServerIsDownStopsBeforeTheDialog) {
    configure("USER_ID", "");
    server_.setFault(services::Fault::Down);
    EXPECT_FALSE(ProcessLogin());
    expectNoSession();
    EXPECT_FALSE(formShown("frmLogin"));
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(configValue("USER_ID"), "");
}

TEST_F(LoginTest, ASlowServerTimesOut) {
    server_.setFault(services::Fault::Slow);
    answerLogin("demo", "demo");
    EXPECT_FALSE(ProcessLogin());
    expectNoSession();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].style, forms::vbCritical);
    EXPECT_TRUE(logHas("TIMEOUT"));
}

TEST_F(LoginTest, ServerErrorsAndMalformedAnswersLeaveNoSession) {
    for (const auto fault : {services::Fault::Http500, services::Fault::BadXml}) {
        server_.setFault(fault);
        answerLogin("demo", "demo");
        EXPECT_FALSE(ProcessLogin());
        expectNoSession();
    }
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_TRUE(logHas("\tLoginUser\tError: FAIL"));
    EXPECT_TRUE(logHas("\tLoginUser\tError: invalid_xml"));
    // The configuration stayed as it was.
    EXPECT_EQ(configValue("USER_ID"), "demo");
    EXPECT_EQ(configValue("LAST_LOGIN_DATE"), "");
}

TEST_F(LoginTest, AMissingDatabaseStopsTheLogin) {
    std::filesystem::remove(folder_.path() / "Kavex.mdb");
    EXPECT_FALSE(ProcessLogin());
    expectNoSession();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].style, forms::vbCritical);
    EXPECT_NE(messages()[0].prompt.find("Kavex.mdb"), std::string::npos);
}

TEST_F(LoginTest, LogoutEndsTheSessionAndSavesTheSettings) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    const std::string loginDate = LoginDate;
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 45;
    core::TopPriceGainers = 11;
    core::TopPriceLosers = 12;
    core::TopVolLeaders = 13;

    ProcessLogoutUser(kLogoutNormal);

    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_TRUE(ExFeedReferrer.empty());
    EXPECT_EQ(refresh::Timers, nullptr);
    EXPECT_EQ(server_.backend().sessionCount(), 0u);
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string(kLogoutNormal)));
    EXPECT_EQ(configValue("AUTOUPDATE_MODE"), "1");
    EXPECT_EQ(configValue("DATA_REFRESH_INTERVAL"), "45");
    EXPECT_EQ(configValue("LAST_LOGIN_DATE"), loginDate);
    EXPECT_EQ(configValue("TOP_PRICE_GAINERS"), "11");
    EXPECT_EQ(configValue("TOP_PRICE_LOSERS"), "12");
    EXPECT_EQ(configValue("TOP_VOL_LEADERS"), "13");
}

TEST_F(LoginTest, LogoutWhileTheServerIsDownStillEndsTheSession) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    server_.setFault(services::Fault::Down);
    ProcessLogoutUser(kLogoutSessionTimeout);
    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_EQ(refresh::Timers, nullptr);
    EXPECT_EQ(messages().size(), 1u);  // the connectivity message
}

TEST_F(LoginTest, ShutdownLogsOutWithTheReasonAndResetsTheUninstallState) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    AddInState = "UnInstall";
    ShutdownAddIn(kUninstallAddin);
    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_TRUE(AddInState.empty());
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string(kUninstallAddin)));
    EXPECT_EQ(SymbolFunctionNames.Count(), 0u);
    // The start-up state is released, so the next login shows the deprecation notice again.
    EXPECT_TRUE(ShowDeprecatedMacroWarning);
    EXPECT_EQ(commandbars::KavexToolbar, nullptr);

    // Without a session there is nothing to log out; an empty reason means a normal logout.
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    ShutdownAddIn("");
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string(kLogoutNormal)));
}

TEST_F(LoginTest, AnExpiredSessionEndsAtTheNextRefresh) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    const std::string key = UserSessionKey;
    server_.setFault(services::Fault::InvalidSession);

    std::string description;
    EXPECT_EQ(RefreshData(key, "", marketdata::SymbolList{}, 0, "book1", "Watch List", "", "",
                          description),
              "invalid_session");
    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_EQ(refresh::Timers, nullptr);
    // The add-in told the service why it ended the session.
    bool loggedOut = false;
    for (const services::ServedRequest& request : server_.backend().requests()) {
        if (request.path == "/datafeeder/Logout.jsp") {
            const auto reason = request.params.find("Reason");
            loggedOut = reason != request.params.end() && reason->second == kLogoutSessionInvalid;
        }
    }
    EXPECT_TRUE(loggedOut);
    EXPECT_TRUE(messages().empty());
}

TEST_F(LoginTest, AnExpiredSessionFoundByAPoolJobEndsCleanlyAndTheNextLoginStartsAfresh) {
    os::machineClock().startSimulationUtc(1'700'000'000'000);
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    os::messageLoop().runFor(3);  // the login's first jobs
    const std::string expired = UserSessionKey;
    const std::string loginDate = LoginDate;
    core::DataRefreshInterval = 45;
    server_.setFault(services::Fault::InvalidSession);

    // The refresh job runs inside the pool timer's own tick and ends the session there, which
    // releases the very timers that run it.
    ASSERT_GT(refresh::FireDataFetchCommand(refresh::kCommandRefreshData, "",
                                            std::vector<std::string>{"MSFT"}, 0, "book1",
                                            "Watch List", "", ""),
              0);
    os::messageLoop().runFor(3);

    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_TRUE(ExFeedReferrer.empty());
    EXPECT_TRUE(LoginUserID.empty());
    EXPECT_EQ(refresh::Timers, nullptr);
    EXPECT_EQ(configValue("DATA_REFRESH_INTERVAL"), "45");
    EXPECT_EQ(configValue("LAST_LOGIN_DATE"), loginDate);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(logHas("Logout Session Invalid"));

    server_.setFault(services::Fault::None);
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    EXPECT_FALSE(UserSessionKey.empty());
    EXPECT_NE(UserSessionKey, expired);
    ASSERT_NE(refresh::Timers, nullptr);
    os::messageLoop().runFor(3);
    EXPECT_FALSE(UserSessionKey.empty());
}

TEST_F(LoginTest, RefreshDataChecksTheSessionThenFetches) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    std::string description;
    EXPECT_EQ(RefreshData(UserSessionKey, "", std::vector<std::string>{"MSFT"}, 0, "book1",
                          "Watch List", "", "", description),
              "OK")
        << description;

    server_.setFault(services::Fault::Down);
    EXPECT_EQ(RefreshData(UserSessionKey, "", std::vector<std::string>{"MSFT"}, 0, "book1",
                          "Watch List", "", "", description),
              "CONNECTIVITYLOST");
    EXPECT_FALSE(UserSessionKey.empty());  // a lost connection does not end the session
}

TEST_F(LoginTest, UserActionsReachTheWebService) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(ProcessLogin());
    EXPECT_EQ(
        AddUserAction(UserSessionKey, 11, "book1", "Watch List", "Portfolio", "Screen Refresh"),
        "OK");
    EXPECT_TRUE(server_.backend().hasAction("11", std::string("Screen Refresh")));
    EXPECT_EQ(AddUserAction("", 4, "", "", "", "Details Link"), "invalid_session");
}

}  // namespace
}  // namespace kavex::addin::session
