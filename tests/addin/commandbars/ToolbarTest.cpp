#include "addin/commandbars/Toolbar.h"
#include "platform/base/PlatformError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/commandbars/Bars.h"
#include "addin/core/Globals.h"
#include "addin/session/Session.h"
#include "tests/addin/commandbars/BarsFixture.h"

namespace kavex::addin::commandbars {
namespace {

using testing::BarsFixture;

class ToolbarTest : public BarsFixture {
  protected:
    static std::vector<std::string> intervalItems() {
        std::vector<std::string> items;
        for (int index = 1; index <= RefreshIntervalCombo->ListCount(); ++index) {
            items.push_back(RefreshIntervalCombo->List(index));
        }
        return items;
    }
};

TEST(MinRefreshIntervalTest, TheShortestOfferedIntervalFollowsTheServersMinimum) {
    const std::vector<std::pair<short, short>> cases{
        {1, 5},
        {5, 5},
        {6, 10},
        {10, 10},
        {11, 15},
        {15, 15},
        {16, 30},
        {30, 30},
        {600, 30},
        // No minimum in the answer: the most careful choice.
        {0, 30},
        {-5, 30}};
    for (const auto& [minimum, offered] : cases) {
        EXPECT_EQ(ChooseMinRefreshInterval(minimum), offered) << "minimum " << minimum;
    }
}

TEST_F(ToolbarTest, TheToolbarIsBuiltVisibleWithItsNamedControls) {
    session::MinRefreshTime = 5;
    CreateLoginBar();
    CreateKavexToolbar();

    ASSERT_TRUE(KavexToolbar);
    EXPECT_TRUE(KavexToolbar->Visible());
    EXPECT_EQ(KavexToolbar->Name(), "KavexToolbar");
    EXPECT_TRUE(CheckToolbarExistence());
    // The session's toolbar takes the login bar's place.
    EXPECT_THROW(core::ExcelCommandBars.Item("KavexLoginBar"), base::PlatformError);

    ASSERT_TRUE(AutoUpdateButton);
    EXPECT_EQ(AutoUpdateButton->Style(), office::MsoButtonStyle::Icon);
    EXPECT_EQ(AutoUpdateButton->Width(), 20);
    EXPECT_EQ(AutoUpdateButton->Tag(), "KavexButton");

    ASSERT_TRUE(RefreshIntervalCombo);
    EXPECT_EQ(RefreshIntervalCombo->Tag(), "KavexButton");
    EXPECT_EQ(RefreshIntervalCombo->Parameter(), "lstAutoUpdate");

    ASSERT_TRUE(CreateAlertButton);
    EXPECT_EQ(CreateAlertButton->Caption(), "Create Visual Alert");
    EXPECT_EQ(CreateAlertButton->Tag(), "KavexButton");
    EXPECT_FALSE(CreateAlertButton->Enabled());
    EXPECT_EQ(KavexToolbar->FindControl("KavexButton")->Parameter(), "Logout");
}

TEST_F(ToolbarTest, TheIntervalListStartsAtTheServersMinimumAndEndsWithOff) {
    session::MinRefreshTime = 5;
    CreateKavexToolbar();
    EXPECT_EQ(MinRefreshInterval, 5);
    EXPECT_EQ(intervalItems(),
              (std::vector<std::string>{"Every  5 Secs", "Every 10 Secs", "Every 15 Secs",
                                        "Every 30 Secs", "Every 35 Secs", "Every 40 Secs",
                                        "Every 45 Secs", "Every 60 Secs", "Every  2 Mins",
                                        "Every  5 Mins", "Every 10 Mins", "Off"}));

    session::MinRefreshTime = 12;
    CreateKavexToolbar();
    EXPECT_EQ(MinRefreshInterval, 15);
    EXPECT_EQ(intervalItems().front(), "Every 15 Secs");
    EXPECT_EQ(intervalItems().size(), 10U);

    session::MinRefreshTime = 0;
    CreateKavexToolbar();
    EXPECT_EQ(MinRefreshInterval, 30);
    EXPECT_EQ(intervalItems().front(), "Every 30 Secs");
    EXPECT_EQ(intervalItems().back(), "Off");
    // Built twice, the toolbar is there once.
    int toolbars = 0;
    for (const auto& bar : core::ExcelCommandBars.All()) {
        toolbars += bar->Name() == "KavexToolbar" ? 1 : 0;
    }
    EXPECT_EQ(toolbars, 1);
}

TEST_F(ToolbarTest, AutoUpdateOffAtLoginShowsOffAndTheSwitchOnState) {
    session::MinRefreshTime = 5;
    core::AutoUpdateMode = 0;
    core::DataRefreshInterval = 60;
    CreateKavexToolbar();
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Off");
    EXPECT_EQ(AutoUpdateButton->FaceId(), 342);
    EXPECT_EQ(AutoUpdateButton->Parameter(), "Auto Update");
    EXPECT_EQ(AutoUpdateButton->TooltipText(), "Set Auto Update mode On");
    // Switching on from "Off" comes back to the configured interval.
    EXPECT_EQ(RefreshListIndex, 8);
    EXPECT_EQ(RefreshIntervalCombo->List(RefreshListIndex), "Every 60 Secs");
}

TEST_F(ToolbarTest, AutoUpdateOnAtLoginShowsTheIntervalAndTheSwitchOffState) {
    session::MinRefreshTime = 10;
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 120;
    CreateKavexToolbar();
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every  2 Mins");
    EXPECT_EQ(AutoUpdateButton->FaceId(), 343);
    EXPECT_EQ(AutoUpdateButton->Parameter(), "Stop Update");
    EXPECT_EQ(AutoUpdateButton->TooltipText(), "Set Auto Update mode Off");
    EXPECT_EQ(RefreshListIndex, RefreshIntervalCombo->ListIndex());
}

TEST_F(ToolbarTest, AnIntervalBelowTheServersMinimumIsRaisedToIt) {
    session::MinRefreshTime = 30;
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 5;
    CreateKavexToolbar();
    EXPECT_EQ(core::DataRefreshInterval, 30);
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every 30 Secs");

    // An interval the list does not know is kept; the first entry is where "on" starts.
    core::DataRefreshInterval = 50;
    CreateKavexToolbar();
    EXPECT_EQ(core::DataRefreshInterval, 50);
    EXPECT_EQ(RefreshListIndex, 1);
}

TEST_F(ToolbarTest, SetAutoUpdateButtonFollowsTheMode) {
    // Without a toolbar there is nothing to set.
    SetAutoUpdateButton();
    EXPECT_FALSE(AutoUpdateButton);

    session::MinRefreshTime = 5;
    core::AutoUpdateMode = 0;
    core::DataRefreshInterval = 15;
    CreateKavexToolbar();

    core::AutoUpdateMode = 1;
    SetAutoUpdateButton();
    EXPECT_EQ(AutoUpdateButton->FaceId(), 343);
    EXPECT_EQ(AutoUpdateButton->Caption(), "Stop Update");
    EXPECT_EQ(AutoUpdateButton->Parameter(), "Stop Update");
    EXPECT_EQ(AutoUpdateButton->TooltipText(), "Set Auto Update mode Off");
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every 15 Secs");

    core::DataRefreshInterval = 600;
    SetAutoUpdateButton();
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every 10 Mins");

    core::AutoUpdateMode = 0;
    SetAutoUpdateButton();
    EXPECT_EQ(AutoUpdateButton->FaceId(), 342);
    EXPECT_EQ(AutoUpdateButton->Caption(), "Auto Update");
    EXPECT_EQ(AutoUpdateButton->Parameter(), "Auto Update");
    EXPECT_EQ(AutoUpdateButton->TooltipText(), "Set Auto Update mode On");
    // Off leaves the list to the caller (StopAutoUpdate selects "Off" itself).
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every 10 Mins");
    // The style and width do not change with the state.
    EXPECT_EQ(AutoUpdateButton->Style(), office::MsoButtonStyle::Icon);
    EXPECT_EQ(AutoUpdateButton->Width(), 20);
}

TEST_F(ToolbarTest, TheToolbarIsFoundByItsNameInAnyCase) {
    EXPECT_FALSE(CheckToolbarExistence());
    core::ExcelCommandBars.Add("kavextoolbar");
    EXPECT_TRUE(CheckToolbarExistence());
    core::ExcelCommandBars.Item("kavextoolbar")->Delete();
    EXPECT_FALSE(CheckToolbarExistence());
    core::ExcelCommandBars.Add("KavexToolbar2");
    EXPECT_FALSE(CheckToolbarExistence());
}

TEST_F(ToolbarTest, RemovingTheBarsForgetsTheControls) {
    CreateKavexToolbar();
    CreatePromoToolbar();
    RemoveKavexCommandBars();
    EXPECT_FALSE(CheckToolbarExistence());
    EXPECT_FALSE(KavexToolbar);
    EXPECT_FALSE(AutoUpdateButton);
    EXPECT_FALSE(RefreshIntervalCombo);
    EXPECT_FALSE(CreateAlertButton);
    // The add-in's state follows the toolbar: nothing to set, nothing thrown.
    core::AutoUpdateMode = 1;
    EXPECT_NO_THROW(SetAutoUpdateButton());
    EXPECT_EQ(core::ExcelCommandBars.Count(), 1);  // the host's "Cell" menu
}

}  // namespace
}  // namespace kavex::addin::commandbars
