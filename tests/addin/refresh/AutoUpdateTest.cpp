#include "addin/refresh/AutoUpdate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Globals.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/KavexConnect.h"
#include "platform/office/CommandBarButton.h"
#include "platform/spreadsheet/Constants.h"
#include "tests/addin/refresh/ToolbarSessionFixture.h"

namespace kavex::addin::refresh {
namespace {

using commandbars::AutoUpdateButton;
using commandbars::RefreshIntervalCombo;
using AutoUpdateTest = testing::ToolbarSessionFixture;

std::shared_ptr<office::CommandBarButton> KavexToolbarButton(const std::string& caption) {
    for (const auto& control : commandbars::KavexToolbar->Controls().All()) {
        if (control->Caption() == caption) {
            return std::dynamic_pointer_cast<office::CommandBarButton>(control);
        }
    }
    return nullptr;
}

TEST(IntervalSecondsTest, ListTextsGiveTheirSecondsWhateverTheirCase) {
    const std::vector<std::pair<std::string, short>> cases{
        {"every  5 secs", 5},   {"Every 10 Secs", 10}, {"EVERY 15 SECS", 15},
        {"every 30 secs", 30},  {"every 35 secs", 35}, {"every 40 secs", 40},
        {"every 45 secs", 45},  {"every 60 secs", 60}, {"every  2 mins", 120},
        {"Every  5 Mins", 300}, {"every 10 mins", 600}};
    for (const auto& [text, seconds] : cases) {
        EXPECT_EQ(IntervalSeconds(text), seconds) << text;
    }
    commandbars::MinRefreshInterval = 15;
    EXPECT_EQ(IntervalSeconds("0"), 15);
    commandbars::MinRefreshInterval = 30;
    // One blank before a one-digit number, "Off" and the empty text are no intervals.
    for (const char* text : {"every 5 secs", "Off", "", " every 10 secs", "every 10 secs ", "10"}) {
        EXPECT_FALSE(IntervalSeconds(text).has_value()) << text;
    }
}

TEST_F(AutoUpdateTest, SwitchingOnTurnsTheToggleStartsTheTimerAndReportsOnce) {
    AutoRefreshTickCount = 9;
    ManualRefreshInProgress = true;
    IdleTickCount = 7;
    ASSERT_TRUE(commandbars::DispatchCommand("Auto Update"));

    EXPECT_EQ(core::AutoUpdateMode, 1);
    // From "Off" the list comes back to the configured interval.
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every 60 Secs");
    EXPECT_EQ(core::DataRefreshInterval, 60);
    EXPECT_EQ(AutoUpdateButton->FaceId(), 343);
    EXPECT_EQ(AutoUpdateButton->TooltipText(), "Set Auto Update mode Off");
    EXPECT_EQ(AutoUpdateButton->Parameter(), "Stop Update");
    EXPECT_TRUE(timerOn());
    EXPECT_EQ(AutoRefreshTickCount, 0);
    EXPECT_FALSE(ManualRefreshInProgress);
    EXPECT_EQ(IdleTickCount, 0);
    auto queued = reports();
    ASSERT_EQ(queued.size(), 1U);
    EXPECT_EQ(queued[0].ActionValue, 7);
    EXPECT_EQ(queued[0].Arg1, "Book1");
    EXPECT_EQ(queued[0].Arg2, "Watch List");
    EXPECT_EQ(queued[0].Arg3, "");
    EXPECT_EQ(queued[0].Arg4, "Auto update on");
    EXPECT_TRUE(logHas("\tStartAutoUpDate\tEntering"));

    // On again: the toggle and the interval are set again, but nothing more is reported.
    RefreshIntervalCombo->setListIndex(positionOf("Every 45 Secs"));
    StartAutoUpdate();
    EXPECT_EQ(core::DataRefreshInterval, 45);
    EXPECT_EQ(reports().size(), 1U);
    EXPECT_TRUE(timerOn());
}

TEST_F(AutoUpdateTest, SwitchingOffShowsOffStopsTheTimerAndReportsOnce) {
    StartAutoUpdate();
    ASSERT_EQ(reports().size(), 1U);
    ASSERT_TRUE(commandbars::DispatchCommand("stop update"));
    EXPECT_EQ(core::AutoUpdateMode, 0);
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Off");
    EXPECT_EQ(AutoUpdateButton->FaceId(), 342);
    EXPECT_EQ(AutoUpdateButton->TooltipText(), "Set Auto Update mode On");
    EXPECT_EQ(AutoUpdateButton->Parameter(), "Auto Update");
    EXPECT_FALSE(timerOn());
    // The interval is kept for the next switch on.
    EXPECT_EQ(core::DataRefreshInterval, 60);
    auto queued = reports();
    ASSERT_EQ(queued.size(), 2U);
    EXPECT_EQ(queued[1].ActionValue, 7);
    EXPECT_EQ(queued[1].Arg4, "Auto update off");

    // The toggle's next click runs the other command.
    ASSERT_TRUE(AutoUpdateButton->click());
    EXPECT_EQ(core::AutoUpdateMode, 1);
    ASSERT_TRUE(AutoUpdateButton->click());
    EXPECT_EQ(core::AutoUpdateMode, 0);
}

TEST_F(AutoUpdateTest, ChoosingTenMinutesReportsTheIntervalAndSwitchesOn) {
    AutoRefreshTickCount = 5;
    choose(positionOf("Every 10 Mins"));
    EXPECT_EQ(core::DataRefreshInterval, 600);
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_TRUE(timerOn());
    EXPECT_EQ(AutoRefreshTickCount, 0);
    auto queued = reports();
    ASSERT_EQ(queued.size(), 2U);
    EXPECT_EQ(queued[0].ActionValue, 8);
    EXPECT_EQ(queued[0].Arg1, "Every 10 Mins");
    EXPECT_EQ(queued[0].Arg2, "Watch List");
    EXPECT_EQ(queued[0].Arg4, "600");
    EXPECT_EQ(queued[1].Arg4, "Auto update on");
    EXPECT_TRUE(logHas("\tProcessAutoUpdateListChange \tTime interval - 600"));

    // Another interval while on: one more report, of the interval only.
    choose(positionOf("Every  2 Mins"));
    EXPECT_EQ(core::DataRefreshInterval, 120);
    queued = reports();
    ASSERT_EQ(queued.size(), 3U);
    EXPECT_EQ(queued[2].ActionValue, 8);
    EXPECT_EQ(queued[2].Arg4, "120");
}

TEST_F(AutoUpdateTest, ChoosingOffWhileOffOnlyResetsTheToggleAndTheList) {
    Timers->tmrAutoRefresh->setEnabled(true);
    ASSERT_EQ(RefreshIntervalCombo->Text(), "Off");
    ASSERT_TRUE(commandbars::DispatchCommand("lstautoupdate"));
    EXPECT_EQ(core::AutoUpdateMode, 0);
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Off");
    EXPECT_EQ(AutoUpdateButton->FaceId(), 342);
    EXPECT_FALSE(timerOn());
    EXPECT_TRUE(reports().empty());
    EXPECT_TRUE(logHas("\tProcessAutoUpdateListChange \tTime interval - Off"));
}

TEST_F(AutoUpdateTest, AListTextThatIsNoIntervalKeepsTheIntervalButSwitchesOn) {
    RefreshIntervalCombo->setList(2, "Every 11 Secs");
    choose(2);
    EXPECT_EQ(core::DataRefreshInterval, 60);
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_TRUE(timerOn());
    auto queued = reports();
    ASSERT_EQ(queued.size(), 2U);
    EXPECT_EQ(queued[0].Arg1, "Every 11 Secs");
    EXPECT_EQ(queued[0].Arg4, "60");
}

TEST_F(AutoUpdateTest, TheAutomationMethodAppliesTheListsEntry) {
    session::KavexConnect connect;
    RefreshIntervalCombo->setListIndex(positionOf("Every 30 Secs"));
    connect.KavexAutoUpdate();
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_EQ(core::DataRefreshInterval, 30);
    RefreshIntervalCombo->setListIndex(RefreshIntervalCombo->ListCount());
    connect.KavexAutoUpdate();
    EXPECT_EQ(core::AutoUpdateMode, 0);
}

TEST_F(AutoUpdateTest, WithoutTheToolbarTheSwitchesLogTheirFailure) {
    commandbars::RemoveKavexCommandBars();
    StartAutoUpdate();
    EXPECT_TRUE(
        logHas("\tStartAutoUpDate\tExiting with error :(91) Object variable or With block variable "
               "not set"));
    EXPECT_EQ(core::AutoUpdateMode, 0);
    StopAutoUpdate();
    EXPECT_TRUE(
        logHas("\tStopAutoUpdate\tExiting with error :(91) Object variable or With block variable "
               "not set"));
    EXPECT_FALSE(timerOn());
    // The list change carries on past its failing steps: the interval is kept, its report still
    // goes out, and the switch on fails as above.
    ProcessAutoUpdateListChange();
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(core::DataRefreshInterval, 60);
    const auto queued = reports();
    ASSERT_EQ(queued.size(), 1U);
    EXPECT_EQ(queued[0].ActionValue, 8);
    EXPECT_EQ(queued[0].Arg4, "60");
}

TEST_F(AutoUpdateTest, UpdateNowIsOnTheToolbarAndTheMenuAndLeavesTheDefaultCursor) {
    auto button = KavexToolbarButton("Update Now");
    ASSERT_TRUE(button);
    app_.setCursor(sheet::xlWait);
    IdleTickCount = 5;
    ASSERT_TRUE(button->click());
    EXPECT_EQ(app_.cursor(), sheet::xlDefault);
    EXPECT_EQ(IdleTickCount, 0);
    EXPECT_TRUE(logHas("\tUpdateData\tEntering"));
    EXPECT_TRUE(logHas("\tUpdateData\tExiting"));

    // The menu's entries run the same refresh and show the dialog.
    EXPECT_TRUE(commandbars::IsCommandKey("ToolbarUpdateNow"));
    EXPECT_TRUE(commandbars::IsCommandKey("ToolbarUpdateFrom"));
}

}  // namespace
}  // namespace kavex::addin::refresh
