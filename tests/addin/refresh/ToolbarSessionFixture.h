#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/commandbars/Bars.h"
#include "addin/commandbars/DeInit.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Globals.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::addin::refresh::testing {

using commandbars::RefreshIntervalCombo;

// A session's toolbar (intervals from 5 seconds) over a workbook "Book1" on "Watch List", with the
// timer pool in place; queued jobs stay queued, since no time passes.
class ToolbarSessionFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        core::ResetCoreGlobals();
        core::ExcelCommandBars = office::CommandBars();
        commandbars::DeInitAddInVariables();
        resetTimerPool();
        core::AddInPath = folder_.withSeparator();
        core::LogLevel = 3;
        core::ExcelApp = &app_;
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
        app_.workbooks().add().worksheets().item(1).setName("Watch List");
        session::MinRefreshTime = 5;
        core::AutoUpdateMode = 0;
        core::DataRefreshInterval = 60;
        InitializeTimerPool();
        commandbars::CreateKavexToolbar();
    }
    void TearDown() override {
        if (forms::scriptedDriver().failure()) {
            ADD_FAILURE() << forms::scriptedDriver().failure()->what();
        }
        forms::scriptedDriver().reset();
        resetTimerPool();
        commandbars::DeInitAddInVariables();
        core::ExcelCommandBars = office::CommandBars();
        core::ExcelApp = nullptr;
        core::ResetCoreGlobals();
    }

    // The user-action reports queued so far, in pool order.
    static std::vector<TimerPoolEntry> reports() {
        std::vector<TimerPoolEntry> queued;
        for (short index = 1; index <= TimerPoolEntries::kSize; ++index) {
            if (TimerPool(index).Status == kEntryBooked &&
                TimerPool(index).CommandCode == kCommandUserAction) {
                queued.push_back(TimerPool(index));
            }
        }
        return queued;
    }
    static bool timerOn() { return Timers->tmrAutoRefresh->Enabled(); }
    // Chooses a list entry as the user does (1-based; the last is "Off").
    static void choose(int position) {
        ASSERT_TRUE(RefreshIntervalCombo->setListIndexByUser(position));
    }
    static int positionOf(const std::string& text) {
        for (int index = 1; index <= RefreshIntervalCombo->ListCount(); ++index) {
            if (RefreshIntervalCombo->List(index) == text) {
                return index;
            }
        }
        return 0;
    }
    bool logHas(const std::string& tail) const {
        for (const std::string& line : folder_.lines("KavexLog.txt")) {
            if (line.size() >= tail.size() &&
                line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
                return true;
            }
        }
        return false;
    }

    addin::testing::TempFolder folder_{"kavex-autoupdate"};
    sheet::Application app_;
};

}  // namespace kavex::addin::refresh::testing
