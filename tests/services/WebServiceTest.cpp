#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ServiceFixture.h"

namespace kavex::services::testing {
namespace {

using WebServiceTest = ServiceFixture;

std::vector<std::string> texts(const pugi::xml_document& document, const char* xpath) {
    std::vector<std::string> values;
    for (const auto& node : document.select_nodes(xpath)) {
        values.emplace_back(node.node().text().as_string());
    }
    return values;
}

TEST_F(WebServiceTest, LoginAnswersSessionReferrerAndSettings) {
    const auto document =
        askXml("/datafeeder/Login.jsp", {{"UserID", "DEMO"}, {"Password", "demo"}});
    EXPECT_EQ(text(document, "/zurovizout/Status"), "OK");
    EXPECT_FALSE(text(document, "/zurovizout/SessionKey").empty());
    EXPECT_FALSE(text(document, "/zurovizout/Referrer").empty());
    EXPECT_EQ(text(document, "/zurovizout/UserID"), "demo");
    EXPECT_EQ(text(document, "/zurovizout/DivSplitProcessFlag"), "1");
    EXPECT_EQ(text(document, "/zurovizout/MinRefreshTime"), "5");
    EXPECT_EQ(text(document, "/zurovizout/LoginDate"), "2024-06-12 15:30:00");
    EXPECT_TRUE(backend.hasAction("login"));
}

TEST_F(WebServiceTest, TwoLoginsGetDifferentSessions) {
    const auto first = login();
    const auto second = login();
    EXPECT_NE(first.sessionKey, second.sessionKey);
    EXPECT_NE(first.referrer, second.referrer);
    EXPECT_EQ(backend.sessionCount(), 2U);
}

TEST_F(WebServiceTest, WrongPasswordOrUnknownUserFailsWithoutSession) {
    for (const auto& [user, password] :
         {std::pair{"demo", "DEMO"}, std::pair{"nobody", "demo"}, std::pair{"demo", ""}}) {
        const auto document =
            askXml("/datafeeder/Login.jsp", {{"UserID", user}, {"Password", password}});
        EXPECT_EQ(text(document, "/zurovizout/Status"), "FAIL");
        EXPECT_EQ(text(document, "/zurovizout/ErrorCode"), "invalid_login");
        EXPECT_TRUE(text(document, "/zurovizout/SessionKey").empty());
    }
    EXPECT_EQ(backend.sessionCount(), 0U);
}

TEST_F(WebServiceTest, LoginWithoutCredentialsIsMalformed) {
    const auto document = askXml("/datafeeder/Login.jsp", {{"UserID", "demo"}});
    EXPECT_EQ(text(document, "/zurovizout/ErrorCode"), "invalid_xml");
}

TEST_F(WebServiceTest, SessionCheckAndLogout) {
    const auto session = login();
    auto check =
        askXml("/datafeeder/AuthenticateSession.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(check, "/zurovizout/Status"), "OK");
    EXPECT_EQ(text(check, "/zurovizout/UserID"), "demo");

    const auto logout = askXml("/datafeeder/Logout.jsp",
                               {{"SessionKey", session.sessionKey}, {"Reason", "Logout Normal"}});
    EXPECT_EQ(text(logout, "/zurovizout/Status"), "OK");
    EXPECT_TRUE(backend.hasAction("logout", "Logout Normal"));

    check = askXml("/datafeeder/AuthenticateSession.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(check, "/zurovizout/Status"), "FAIL");
    EXPECT_EQ(text(check, "/zurovizout/ErrorCode"), "invalid_session");
    // A second logout of the same session is refused the same way.
    const auto again = askXml("/datafeeder/Logout.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(again, "/zurovizout/ErrorCode"), "invalid_session");
}

TEST_F(WebServiceTest, EveryPageThatNeedsASessionRefusesAMissingOrUnknownOne) {
    for (const char* page :
         {"Logout.jsp", "AuthenticateSession.jsp", "UserActionInfo.jsp", "GetNewSymbols2.jsp",
          "GetChangedSymbols2.jsp", "GetDelistedSymbols2.jsp", "GetDivSplData.jsp",
          "SyncAlerts.jsp", "ProcessAlert.jsp", "referrer.jsp"}) {
        const std::string path = std::string("/datafeeder/") + page;
        EXPECT_EQ(text(askXml(path), "/zurovizout/ErrorCode"), "invalid_session") << page;
        EXPECT_EQ(text(askXml(path, {{"SessionKey", "KVSnothing"}}), "/zurovizout/ErrorCode"),
                  "invalid_session")
            << page;
    }
}

TEST_F(WebServiceTest, UserActionsAreLoggedWithTheirFields) {
    const auto session = login();
    const auto document =
        askXml("/datafeeder/UserActionInfo.jsp", {{"SessionKey", session.sessionKey},
                                                  {"ActionType", "11"},
                                                  {"ActiveSheet", "Watch List"},
                                                  {"PreviousSheet", "Portfolio"},
                                                  {"Reason", "Screen Refresh"}});
    EXPECT_EQ(text(document, "/zurovizout/Status"), "OK");
    EXPECT_TRUE(backend.hasAction("11", "Screen Refresh"));
    EXPECT_TRUE(backend.hasAction("11"));
    EXPECT_FALSE(backend.hasAction("11", "Auto update on"));
    const auto actions = backend.actions();
    const auto& last = actions.back();
    EXPECT_EQ(last.activeSheet, "Watch List");
    EXPECT_EQ(last.previousSheet, "Portfolio");
    EXPECT_EQ(last.userId, "demo");
    backend.clearActions();
    EXPECT_TRUE(backend.actions().empty());
}

TEST_F(WebServiceTest, UserActionWithoutANumericTypeIsMalformedAndNotLogged) {
    const auto session = login();
    backend.clearActions();
    for (const char* type : {"", "eleven", "1x", "123456"}) {
        const auto document = askXml("/datafeeder/UserActionInfo.jsp",
                                     {{"SessionKey", session.sessionKey}, {"ActionType", type}});
        EXPECT_EQ(text(document, "/zurovizout/ErrorCode"), "invalid_xml") << type;
    }
    EXPECT_TRUE(backend.actions().empty());
}

TEST_F(WebServiceTest, FirstRunAccountCanLogIn) {
    const auto document = askXml("/datafeeder/RegisterDummyUser.jsp");
    const std::string user = text(document, "/zurovizout/UserID");
    const std::string password = text(document, "/zurovizout/Password");
    ASSERT_FALSE(user.empty());
    ASSERT_FALSE(password.empty());
    EXPECT_FALSE(login(user, password).sessionKey.empty());
    const auto second = askXml("/datafeeder/RegisterDummyUser.jsp");
    EXPECT_NE(text(second, "/zurovizout/UserID"), user);
}

TEST_F(WebServiceTest, NewSymbolsSinceNeverListsTheWholeMarket) {
    const auto session = login();
    const auto document = askXml("/datafeeder/GetNewSymbols2.jsp",
                                 {{"SessionKey", session.sessionKey}, {"LastLoginDate", ""}});
    const auto symbols = texts(document, "/zurovizout/Symbols/Item/Symbol");
    EXPECT_EQ(symbols.size(), backend.market().seeds().symbols.size() - 2)
        << "the two options listed in 2025 are not yet listed on the fixed day";
    EXPECT_NE(std::find(symbols.begin(), symbols.end(), "MSFT"), symbols.end());
    EXPECT_EQ(text(document, "/zurovizout/Symbols/Item[Symbol='T']/Description"), "AT%26T Inc.");
    EXPECT_EQ(text(document, "/zurovizout/Symbols/Item[Symbol='T']/Exchange"), "NYSE");
}

TEST_F(WebServiceTest, SymbolListChangesSinceADate) {
    const auto session = login();
    // Both date forms the client may keep are understood; the time of day is ignored.
    for (const char* since : {"2024-04-30 09:15:00", "4/30/2024 9:15:00 AM", "4/30/2024"}) {
        const auto added = askXml("/datafeeder/GetNewSymbols2.jsp",
                                  {{"SessionKey", session.sessionKey}, {"LastLoginDate", since}});
        EXPECT_EQ(texts(added, "/zurovizout/Symbols/Item/Symbol"), std::vector<std::string>{"NXTG"})
            << since;
    }
    const auto delisted =
        askXml("/datafeeder/GetDelistedSymbols2.jsp",
               {{"SessionKey", session.sessionKey}, {"LastLoginDate", "2022-01-01"}});
    EXPECT_EQ(texts(delisted, "/zurovizout/Symbols/Item/Symbol"), std::vector<std::string>{"TWTR"})
        << "ATVI is delisted only after the fixed day";
    const auto changed =
        askXml("/datafeeder/GetChangedSymbols2.jsp",
               {{"SessionKey", session.sessionKey}, {"LastLoginDate", "2022-01-01"}});
    EXPECT_EQ(texts(changed, "/zurovizout/Symbols/Item/Symbol"), std::vector<std::string>{"META"});
    EXPECT_EQ(text(changed, "/zurovizout/Symbols/Item/OldSymbol"), "FB");

    now += std::chrono::days(365);
    const auto later =
        askXml("/datafeeder/GetDelistedSymbols2.jsp",
               {{"SessionKey", session.sessionKey}, {"LastLoginDate", "2022-01-01"}});
    EXPECT_EQ(texts(later, "/zurovizout/Symbols/Item/Symbol"),
              (std::vector<std::string>{"TWTR", "ATVI"}));
}

TEST_F(WebServiceTest, ADateThatDoesNotReadIsMalformed) {
    const auto session = login();
    for (const char* page :
         {"GetNewSymbols2.jsp", "GetChangedSymbols2.jsp", "GetDelistedSymbols2.jsp"}) {
        for (const char* date : {"yesterday", "2024-13-01", "2/30/2024", "2024-06-01 25:99"}) {
            const auto document =
                askXml(std::string("/datafeeder/") + page,
                       {{"SessionKey", session.sessionKey}, {"LastLoginDate", date}});
            EXPECT_EQ(text(document, "/zurovizout/ErrorCode"), "invalid_xml")
                << page << " " << date;
        }
    }
    const auto document = askXml("/datafeeder/GetDivSplData.jsp",
                                 {{"SessionKey", session.sessionKey}, {"FromDate", "soon"}});
    EXPECT_EQ(text(document, "/zurovizout/ErrorCode"), "invalid_xml");
}

TEST_F(WebServiceTest, DividendsAndSplitsSinceADateForChosenSymbols) {
    const auto session = login();
    const auto all = askXml("/datafeeder/GetDivSplData.jsp",
                            {{"SessionKey", session.sessionKey}, {"FromDate", "2024-05-01"}});
    EXPECT_EQ(texts(all, "/zurovizout/Items/Item/Symbol"),
              (std::vector<std::string>{"MSFT", "JNJ", "NVDA"}))
        << "the KO dividend of 2024-06-14 is after the fixed day";
    EXPECT_EQ(text(all, "/zurovizout/Items/Item[Symbol='NVDA']/Type"), "Split");
    EXPECT_EQ(text(all, "/zurovizout/Items/Item[Symbol='NVDA']/Value"), "10:1");
    EXPECT_EQ(text(all, "/zurovizout/Items/Item[Symbol='MSFT']/EffectiveDate"), "2024-05-16");

    const auto chosen =
        askXml("/datafeeder/GetDivSplData.jsp",
               {{"SessionKey", session.sessionKey}, {"FromDate", ""}, {"Symbols", "msft, aapl"}});
    EXPECT_EQ(texts(chosen, "/zurovizout/Items/Item/Type"),
              (std::vector<std::string>{"Split", "Dividend"}));
}

TEST_F(WebServiceTest, AlertsAreCreatedEditedSyncedAndDeleted) {
    const auto session = login();
    const auto created = askXml("/datafeeder/ProcessAlert.jsp", {{"SessionKey", session.sessionKey},
                                                                 {"Action", "Create"},
                                                                 {"Symbol", "msft"},
                                                                 {"NotifyVisuallyFlag", "1"},
                                                                 {"NotifyEmailFlag", "0"},
                                                                 {"Condition1", "Last > 500"}});
    const std::string id = text(created, "/zurovizout/AlertID");
    ASSERT_FALSE(id.empty());

    askXml("/datafeeder/ProcessAlert.jsp", {{"SessionKey", session.sessionKey},
                                            {"Action", "edit"},
                                            {"AlertID", id},
                                            {"NotifyEmailFlag", "1"}});
    auto synced = askXml("/datafeeder/SyncAlerts.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/AlertID"), id);
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/Symbol"), "MSFT");
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/NotifyVisuallyFlag"), "1");
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/NotifyEmailFlag"), "1");
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/Condition1"), "Last > 500");

    // Another account does not see them.
    const auto other = askXml("/datafeeder/RegisterDummyUser.jsp");
    const auto guest =
        login(text(other, "/zurovizout/UserID"), text(other, "/zurovizout/Password"));
    const auto theirs = askXml("/datafeeder/SyncAlerts.jsp", {{"SessionKey", guest.sessionKey}});
    EXPECT_TRUE(theirs.select_nodes("/zurovizout/Alerts/Alert").empty());

    askXml("/datafeeder/ProcessAlert.jsp",
           {{"SessionKey", session.sessionKey}, {"Action", "Delete"}, {"AlertID", id}});
    synced = askXml("/datafeeder/SyncAlerts.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(synced, "/zurovizout/Status"), "OK");
    EXPECT_TRUE(synced.select_nodes("/zurovizout/Alerts/Alert").empty());
}

TEST_F(WebServiceTest, BadAlertRequestsAreRefused) {
    const auto session = login();
    const auto expectCode = [&](Params params, const char* code) {
        const auto document = askXml("/datafeeder/ProcessAlert.jsp", params);
        EXPECT_EQ(text(document, "/zurovizout/ErrorCode"), code);
    };
    expectCode({{"SessionKey", session.sessionKey}, {"Action", "Create"}}, "invalid_xml");
    expectCode({{"SessionKey", session.sessionKey}, {"Action", "Explode"}}, "invalid_xml");
    expectCode({{"SessionKey", session.sessionKey}, {"Action", "Delete"}, {"AlertID", "9"}},
               "invalid_alert");
    expectCode({{"SessionKey", session.sessionKey}, {"Action", "Edit"}, {"AlertID", "9"}},
               "invalid_alert");
    expectCode({{"SessionKey", session.sessionKey},
                {"Action", "Create"},
                {"Symbol", "IBM"},
                {"<bad>", "1"}},
               "invalid_xml");
}

TEST_F(WebServiceTest, ReferrerPageAnswersTheSessionsReferrer) {
    const auto session = login();
    const auto document = askXml("/datafeeder/referrer.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(document, "/zurovizout/Referrer"), session.referrer);
}

TEST_F(WebServiceTest, AdvertIsAnHtmlPage) {
    const ServiceAnswer answer = ask("/datafeeder/DisplayAdvert.jsp", {{"Sheet", "Watch List"}});
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType.rfind("text/html", 0), 0U);
    EXPECT_NE(answer.body.find("<html>"), std::string::npos);
    EXPECT_NE(answer.body.find("Watch List"), std::string::npos);
}

TEST_F(WebServiceTest, UnknownPagesAreNotFound) {
    for (const char* path : {"/datafeeder/Nothing.jsp", "/datafeeder/login.jsp", "/datafeeder/",
                             "/", "/tools/XM02", "/datafeeder/Login.jsp/extra"}) {
        EXPECT_EQ(ask(path).status, 404) << path;
    }
}

TEST_F(WebServiceTest, ValuesWithMarkupCharactersComeBackEscaped) {
    const auto session = login();
    askXml("/datafeeder/UserActionInfo.jsp",
           {{"SessionKey", session.sessionKey}, {"ActionType", "6"}, {"Reason", "<b>&\"'</b>"}});
    EXPECT_TRUE(backend.hasAction("6", "<b>&\"'</b>"));
    const auto created = askXml("/datafeeder/ProcessAlert.jsp", {{"SessionKey", session.sessionKey},
                                                                 {"Action", "Create"},
                                                                 {"Symbol", "A&B<"},
                                                                 {"Note", "x</Note><Evil/>"}});
    const auto synced = askXml("/datafeeder/SyncAlerts.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/Symbol"), "A&B<");
    EXPECT_EQ(text(synced, "/zurovizout/Alerts/Alert/Note"), "x</Note><Evil/>");
    EXPECT_TRUE(synced.select_nodes("//Evil").empty());
}

}  // namespace
}  // namespace kavex::services::testing
