#include "addin/commandbars/CommandDispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CellMenu.h"
#include "addin/commandbars/DeInit.h"
#include "addin/commandbars/Login.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Globals.h"
#include "addin/refresh/IdleTime.h"
#include "addin/session/Session.h"
#include "platform/office/CommandBarButton.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/commandbars/BarsFixture.h"

namespace kavex::addin::commandbars {
namespace {

using forms::FormAction;
using testing::BarsFixture;

class DispatcherTest : public BarsFixture {
  protected:
    void SetUp() override {
        BarsFixture::SetUp();
        host_.workbooks().add();
        core::ExcelApp = &host_;
    }
    void TearDown() override {
        core::ExcelApp = nullptr;
        BarsFixture::TearDown();
    }
    static void cancelAttributeDialog() {
        forms::scriptedDriver().queueFormActions("frmAttr",
                                                 {{FormAction::Kind::Click, "cmdCancel", "", ""}});
    }

    sheet::Application host_;
};

TEST_F(DispatcherTest, TheCommandsOfThisBuildAreKnownInAnyCase) {
    const std::vector<std::string> keys = CommandKeys();
    for (const char* key : {"login", "logout", "options", "set kavex attribute", "auto update",
                            "stop update", "lstautoupdate", "toolbarupdatefrom"}) {
        EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key;
    }
    for (const std::string& key : keys) {
        EXPECT_TRUE(IsCommandKey(key));
        std::string upper = key;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_TRUE(IsCommandKey(upper)) << upper;
    }
    EXPECT_FALSE(IsCommandKey(""));
    EXPECT_FALSE(IsCommandKey("no such command"));
}

TEST_F(DispatcherTest, AnUnknownKeyRunsNothingButCountsAsActivity) {
    refresh::IdleTickCount = 12;
    EXPECT_FALSE(DispatchCommand("no such command"));
    EXPECT_EQ(refresh::IdleTickCount, 0);
    EXPECT_TRUE(formsShown().empty());
}

TEST_F(DispatcherTest, TheCellMenuEntryOpensTheAttributeDialog) {
    CreateKavexMenu();
    auto entry = std::dynamic_pointer_cast<office::CommandBarButton>(
        core::ExcelCommandBars.Item("Cell")->Controls().Item("Set Kavex Attribute..."));
    ASSERT_TRUE(entry);
    refresh::IdleTickCount = 3;
    cancelAttributeDialog();
    ASSERT_TRUE(entry->click());
    EXPECT_EQ(formsShown(), (std::vector<std::string>{"frmAttr"}));
    EXPECT_EQ(refresh::IdleTickCount, 0);
}

TEST_F(DispatcherTest, AButtonRunsItsParameterLowerCased) {
    auto bar = core::ExcelCommandBars.Add("Scratch");
    bar->setVisible(true);
    auto button = bar->Controls().AddButton();
    button->setTag("KavexButton");
    button->setParameter("SET Kavex ATTRIBUTE");
    BindCommandBarEvents();
    cancelAttributeDialog();
    ASSERT_TRUE(button->click());
    EXPECT_EQ(formsShown(), (std::vector<std::string>{"frmAttr"}));

    // A disabled control cannot be clicked: nothing runs.
    button->setEnabled(false);
    EXPECT_FALSE(button->click());
    EXPECT_EQ(formsShown().size(), 1U);
}

TEST_F(DispatcherTest, LoginAndLogoutDoNothingWhereTheyDoNotApply) {
    // A session exists: Login starts no second one.
    session::UserSessionKey = "KEY";
    EXPECT_TRUE(DispatchCommand("Login"));
    EXPECT_TRUE(formsShown().empty());
    EXPECT_EQ(session::UserSessionKey, "KEY");
    EXPECT_FALSE(LoginInProgress);

    // A login under way: pressing Login again starts nothing.
    session::UserSessionKey.clear();
    LoginInProgress = true;
    EXPECT_TRUE(DispatchCommand("login"));
    EXPECT_TRUE(formsShown().empty());
    EXPECT_TRUE(LoginInProgress);
    LoginInProgress = false;

    // No session: Logout has nothing to end.
    EXPECT_TRUE(DispatchCommand("logout"));
    EXPECT_TRUE(session::UserSessionKey.empty());
}

TEST_F(DispatcherTest, ProcessLoginIfRequiredDoesNothingWithASession) {
    session::UserSessionKey = "KEY";
    bool unused = false;
    ProcessLoginIfRequired(host_.activeWorkbook(), unused);
    EXPECT_FALSE(LoginInProgress);
    EXPECT_TRUE(formsShown().empty());
}

TEST_F(DispatcherTest, ChoosingAnIntervalRemembersItsPosition) {
    session::MinRefreshTime = 5;
    core::AutoUpdateMode = 0;
    CreateKavexToolbar();
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Off");
    refresh::IdleTickCount = 4;
    ASSERT_TRUE(RefreshIntervalCombo->setListIndexByUser(3));
    EXPECT_EQ(RefreshListIndex, 3);
    EXPECT_EQ(refresh::IdleTickCount, 0);
    // "Off" is no interval to come back to.
    ASSERT_TRUE(RefreshIntervalCombo->setListIndexByUser(RefreshIntervalCombo->ListCount()));
    EXPECT_EQ(RefreshListIndex, 3);
}

TEST_F(DispatcherTest, DeInitResetsTheCommandBarState) {
    CreateKavexToolbar();
    LoginInProgress = true;
    refresh::IdleTickCount = 9;
    session::ShowDeprecatedMacroWarning = false;
    DeInitAddInVariables();
    EXPECT_FALSE(LoginInProgress);
    EXPECT_EQ(refresh::IdleTickCount, 0);
    EXPECT_TRUE(session::ShowDeprecatedMacroWarning);
    EXPECT_FALSE(KavexToolbar);
    EXPECT_FALSE(AutoUpdateButton);
    EXPECT_EQ(MinRefreshInterval, 30);
    EXPECT_EQ(RefreshListIndex, 1);
}

}  // namespace
}  // namespace kavex::addin::commandbars
