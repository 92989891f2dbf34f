#include <gtest/gtest.h>

#include "addin/session/frmSplash.h"
#include "platform/forms/ScriptedDriver.h"

namespace kavex::addin::session {
namespace {

TEST(frmSplashTest, ProgressAdvancesUpToItsMaximum) {
    forms::useScriptedDriver();
    frmSplash& splash = SplashWindow();
    splash.Show(forms::vbModeless);
    EXPECT_DOUBLE_EQ(splash.Progress(), 0);
    splash.IncrementProgressBar(2);
    splash.IncrementProgressBar(5);
    EXPECT_DOUBLE_EQ(splash.Progress(), 7);
    splash.IncrementProgressBar(100);
    EXPECT_DOUBLE_EQ(splash.Progress(), 100);

    splash.ChangeLabel("Fetching data from the exchange...");
    EXPECT_EQ(splash.Label(), "Fetching data from the exchange...");

    UnloadSplash();
    // A new login starts a new window.
    EXPECT_DOUBLE_EQ(SplashWindow().Progress(), 0);
    UnloadSplash();
    UnloadSplash();
    forms::scriptedDriver().reset();
}

}  // namespace
}  // namespace kavex::addin::session
