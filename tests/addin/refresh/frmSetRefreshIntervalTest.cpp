#include "addin/refresh/frmSetRefreshInterval.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/commandbars/CommandDispatcher.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Globals.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "platform/base/Conversions.h"
#include "tests/addin/refresh/ToolbarSessionFixture.h"

namespace kavex::addin::refresh {
namespace {

using commandbars::RefreshIntervalCombo;
using forms::FormAction;

class frmSetRefreshIntervalTest : public testing::ToolbarSessionFixture {
  protected:
    // The dialog as it opens, shown without waiting so that the test can act on it.
    void open() { dialog_.Show(forms::vbModeless); }
    forms::Control& list() { return dialog_.control("cmbAutoUpdateInterval"); }
    bool optionOn() { return base::CBool(dialog_.control("optSetAutoUpdateOn").Value()); }
    bool optionOff() { return base::CBool(dialog_.control("optSetAutoUpdateOff").Value()); }

    frmSetRefreshInterval dialog_;
};

TEST_F(frmSetRefreshIntervalTest, OffersTheIntervalsFromThirtySecondsWithItsCaptions) {
    open();
    EXPECT_EQ(dialog_.Caption(), "Auto Update");
    EXPECT_EQ(list().items(),
              (std::vector<std::string>{"Every 30 Secs", "Every 35 Secs", "Every 40 Secs",
                                        "Every 45 Secs", "Every 60 Secs", "Every  2 Mins",
                                        "Every  5 Mins", "Every 10 Mins", "Off"}));
    EXPECT_EQ(dialog_.control("lblHeading").Caption(), "Auto Update");
    EXPECT_EQ(dialog_.control("lblAutoUpdate").Caption(), "Auto Update:");
    EXPECT_EQ(dialog_.control("optSetAutoUpdateOn").Caption(), "Set AutoUpdate ON");
    EXPECT_EQ(dialog_.control("optSetAutoUpdateOff").Caption(), "Set AutoUpdate OFF");
    EXPECT_EQ(dialog_.control("cmdUpdate").Caption(), "&OK");
    EXPECT_EQ(dialog_.control("CommandButton1").Caption(), "&Cancel");
    // The separator lines span the heading.
    const forms::ControlLayout& heading = dialog_.control("lblHeading").layout();
    for (const char* name : {"Line1", "Line2"}) {
        EXPECT_EQ(dialog_.control(name).layout().X1, heading.Left) << name;
        EXPECT_EQ(dialog_.control(name).layout().X2, heading.Left + heading.Width) << name;
    }
    // Shown twice, the list is filled once.
    dialog_.Hide();
    open();
    EXPECT_EQ(list().ListCount(), 9);
}

TEST_F(frmSetRefreshIntervalTest, TheDialogAndEveryControlAreInTahoma8) {
    EXPECT_EQ(dialog_.Font().Name(), "Tahoma");
    EXPECT_EQ(dialog_.Font().Size(), 8);
    ASSERT_FALSE(dialog_.controls().empty());
    for (const auto& control : dialog_.controls()) {
        EXPECT_EQ(control->Font().Name(), "Tahoma") << control->Name();
        EXPECT_EQ(control->Font().Size(), 8) << control->Name();
        EXPECT_FALSE(control->Font().Bold()) << control->Name();
    }
}

TEST_F(frmSetRefreshIntervalTest, OpensOnTheCurrentMode) {
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 120;
    open();
    EXPECT_TRUE(optionOn());
    EXPECT_FALSE(optionOff());
    EXPECT_EQ(list().ListIndex(), 5);
    EXPECT_TRUE(list().Enabled());

    dialog_.Unload();
    core::DataRefreshInterval = 0;
    commandbars::RefreshListIndex = 3;
    open();
    EXPECT_EQ(list().ListIndex(), 2);

    dialog_.Unload();
    core::AutoUpdateMode = 0;
    open();
    EXPECT_TRUE(optionOff());
    EXPECT_FALSE(optionOn());
    EXPECT_EQ(list().Text(), "Off");
    EXPECT_FALSE(list().Enabled());
    // The options switch the list.
    dialog_.control("optSetAutoUpdateOn").setValue(true);
    EXPECT_TRUE(list().Enabled());
    dialog_.control("optSetAutoUpdateOff").setValue(true);
    EXPECT_FALSE(list().Enabled());
}

TEST_F(frmSetRefreshIntervalTest, AnIntervalOnlyTheToolbarOffersOpensWithNoSelectionAndOkGives35) {
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 5;
    open();
    EXPECT_EQ(list().ListIndex(), -1);
    EXPECT_TRUE(list().Enabled());
    IdleTickCount = 9;
    dialog_.control("cmdUpdate").click();
    EXPECT_EQ(core::DataRefreshInterval, 35);
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_EQ(IdleTickCount, 0);
    EXPECT_TRUE(Timers->tmrAutoRefresh->Enabled());
    EXPECT_FALSE(dialog_.isLoaded());
    // The toolbar follows.
    EXPECT_EQ(commandbars::AutoUpdateButton->FaceId(), 343);
    EXPECT_EQ(RefreshIntervalCombo->Text(), "Every 35 Secs");
}

TEST_F(frmSetRefreshIntervalTest, OffKeptWithTheOnOptionKeepsTheInterval) {
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 45;
    open();
    list().setListIndex(8);
    dialog_.control("cmdUpdate").click();
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_EQ(core::DataRefreshInterval, 45);
    EXPECT_TRUE(Timers->tmrAutoRefresh->Enabled());
}

TEST_F(frmSetRefreshIntervalTest, OffStopsTheTimerAndKeepsTheIntervalForLater) {
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 300;
    StartAutoRefreshTimer();
    open();
    dialog_.control("optSetAutoUpdateOff").setValue(true);
    dialog_.control("cmdUpdate").click();
    EXPECT_EQ(core::AutoUpdateMode, 0);
    EXPECT_EQ(core::DataRefreshInterval, 300);
    EXPECT_FALSE(Timers->tmrAutoRefresh->Enabled());
    EXPECT_EQ(commandbars::AutoUpdateButton->FaceId(), 342);
    EXPECT_EQ(commandbars::AutoUpdateButton->Parameter(), "Auto Update");
}

TEST_F(frmSetRefreshIntervalTest, ChoosingAnIntervalSwitchesOnWithIt) {
    open();
    dialog_.control("optSetAutoUpdateOn").setValue(true);
    list().setListIndex(7);
    dialog_.control("cmdUpdate").click();
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_EQ(core::DataRefreshInterval, 600);
    EXPECT_TRUE(Timers->tmrAutoRefresh->Enabled());
    // The dialog reports nothing to the web service.
    for (short index = 1; index <= TimerPoolEntries::kSize; ++index) {
        EXPECT_EQ(TimerPool(index).Status, kEntryFree);
    }
}

TEST_F(frmSetRefreshIntervalTest, CancelChangesNothingButTheIdleCounter) {
    core::AutoUpdateMode = 1;
    core::DataRefreshInterval = 40;
    open();
    list().setListIndex(0);
    IdleTickCount = 11;
    dialog_.control("CommandButton1").click();
    EXPECT_EQ(IdleTickCount, 0);
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_EQ(core::DataRefreshInterval, 40);
    EXPECT_FALSE(Timers->tmrAutoRefresh->Enabled());
    EXPECT_FALSE(dialog_.isLoaded());
}

TEST_F(frmSetRefreshIntervalTest, TheMenuCommandShowsItModally) {
    forms::scriptedDriver().queueFormActions(
        "frmSetRefreshInterval", {{FormAction::Kind::Option, "optSetAutoUpdateOn", "", ""},
                                  {FormAction::Kind::Choose, "cmbAutoUpdateInterval", "3", ""},
                                  {FormAction::Kind::Click, "cmdUpdate", "", ""}});
    ASSERT_TRUE(commandbars::DispatchCommand("ToolbarUpdateFrom"));
    const auto& shown = forms::scriptedDriver().formsShown();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].name, "frmSetRefreshInterval");
    EXPECT_TRUE(shown[0].modal);
    EXPECT_EQ(core::AutoUpdateMode, 1);
    EXPECT_EQ(core::DataRefreshInterval, 45);
}

}  // namespace
}  // namespace kavex::addin::refresh
