#include <gtest/gtest.h>

#include <string>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/commandbars/Login.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/commandbars/frmDisplayMessage.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/browser/BrowserRecord.h"
#include "platform/office/CommandBarButton.h"
#include "tests/addin/session/SessionFixture.h"

namespace kavex::addin::commandbars {
namespace {

// The bars through a real login against the stand-in services.
class LoginFlowTest : public session::testing::SessionFixture {
  protected:
    void SetUp() override {
        core::ExcelCommandBars = office::CommandBars();
        SessionFixture::SetUp();
        app_.workbooks().add();
    }
    void TearDown() override {
        SessionFixture::TearDown();
        UnloadMessageWindow();
        core::ExcelCommandBars = office::CommandBars();
    }
    static bool barExists(const char* name) {
        try {
            core::ExcelCommandBars.Item(name);
            return true;
        } catch (const base::PlatformError&) {
            return false;
        }
    }
    static std::shared_ptr<office::CommandBarButton> buttonWithKey(const std::string& key) {
        for (const auto& control : core::ExcelCommandBars.FindControls("KavexButton")) {
            if (LowerCase(control->Parameter()) == key) {
                if (auto button = std::dynamic_pointer_cast<office::CommandBarButton>(control)) {
                    return button;
                }
            }
        }
        return nullptr;
    }
};

TEST_F(LoginFlowTest, ALoginBuildsTheSessionsBarsAndShutdownRemovesThem) {
    answerLogin("demo", "demo");
    bool unused = false;
    ProcessLoginIfRequired(app_.activeWorkbook(), unused);
    ASSERT_FALSE(session::UserSessionKey.empty());
    EXPECT_FALSE(LoginInProgress);
    EXPECT_FALSE(session::SplashVisible);

    EXPECT_TRUE(CheckToolbarExistence());
    EXPECT_TRUE(barExists("KavexMenuBar"));
    EXPECT_TRUE(barExists("KavexPromoToolbar"));
    EXPECT_FALSE(barExists("KavexLoginBar"));
    // The services' answer asks for 5 seconds at least.
    EXPECT_EQ(MinRefreshInterval, 5);
    EXPECT_EQ(RefreshIntervalCombo->List(1), "Every  5 Secs");
    EXPECT_EQ(
        core::ExcelCommandBars.Item("Cell")->Controls().Item("Set Kavex Attribute...")->Parameter(),
        "Set Kavex Attribute");

    connect_.AddinInstance_OnDisconnection();
    for (const char* name :
         {"KavexLoginBar", "KavexMenuBar", "KavexToolbar", "KavexPromoToolbar"}) {
        EXPECT_FALSE(barExists(name)) << name;
    }
    EXPECT_THROW(core::ExcelCommandBars.Item("Cell")->Controls().Item("Set Kavex Attribute..."),
                 base::PlatformError);
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string("Logout Normal")));
    // The fixture disconnects again; with nothing left that must be harmless.
    connect_.AddinInstance_Initialize();
    connect_.AddinInstance_OnConnection(app_, folder_.path().string());
}

TEST_F(LoginFlowTest, LogoutFromTheToolbarPutsTheLoginBarBack) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(DispatchCommand("login"));
    ASSERT_FALSE(session::UserSessionKey.empty());
    auto logout = buttonWithKey("logout");
    ASSERT_TRUE(logout);
    ASSERT_TRUE(logout->click());
    EXPECT_TRUE(session::UserSessionKey.empty());
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string("Logout Normal")));
    EXPECT_FALSE(CheckToolbarExistence());
    EXPECT_TRUE(barExists("KavexLoginBar"));

    // The Login button of the bar logs in again.
    answerLogin("demo", "demo");
    auto login = core::ExcelCommandBars.Item("KavexLoginBar")->Controls().Item(1);
    ASSERT_TRUE(std::dynamic_pointer_cast<office::CommandBarButton>(login)->click());
    EXPECT_FALSE(session::UserSessionKey.empty());
    EXPECT_TRUE(CheckToolbarExistence());
}

TEST_F(LoginFlowTest, AnUninstallLogsOutWithoutPuttingTheLoginBarBack) {
    answerLogin("demo", "demo");
    ASSERT_TRUE(DispatchCommand("login"));
    ASSERT_FALSE(session::UserSessionKey.empty());

    session::AddInState = "UnInstall";
    session::ProcessLogoutUser(session::kUninstallAddin);
    EXPECT_FALSE(barExists("KavexLoginBar"));
    EXPECT_TRUE(server_.backend().hasAction("logout", std::string("Uninstall Addin")));

    session::ShutdownAddIn(session::kUninstallAddin);
    EXPECT_TRUE(session::AddInState.empty());
    for (const char* name :
         {"KavexLoginBar", "KavexMenuBar", "KavexToolbar", "KavexPromoToolbar"}) {
        EXPECT_FALSE(barExists(name)) << name;
    }
}

TEST_F(LoginFlowTest, ARefusedLoginLeavesTheLoginBarAndNoToolbar) {
    answerLogin("demo", "wrong");
    bool unused = false;
    ProcessLoginIfRequired(app_.activeWorkbook(), unused);
    EXPECT_TRUE(session::UserSessionKey.empty());
    EXPECT_FALSE(LoginInProgress);
    EXPECT_FALSE(CheckToolbarExistence());
    EXPECT_TRUE(barExists("KavexLoginBar"));
    EXPECT_EQ(base::CStr(app_.statusBar()), "Ready");
    EXPECT_EQ(app_.cursor(), -4143);
}

TEST_F(LoginFlowTest, TheMessageWindowShowsItsPage) {
    DisplayMessageWindow("http://127.0.0.1:9/broadcast.html");
    ASSERT_NE(MessageWindow(), nullptr);
    EXPECT_EQ(browser::lastOpenedAddress(), "http://127.0.0.1:9/broadcast.html");
    MessageWindow()->control("cmdClose").click();
    EXPECT_EQ(MessageWindow(), nullptr);
}

}  // namespace
}  // namespace kavex::addin::commandbars
