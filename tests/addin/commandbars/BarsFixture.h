#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "addin/commandbars/DeInit.h"
#include "addin/core/Globals.h"
#include "addin/refresh/IdleTime.h"
#include "addin/session/Session.h"
#include "platform/browser/BrowserRecord.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/office/CommandBarControl.h"

namespace kavex::addin::commandbars::testing {

// A fresh host's command bars, no session, and the scripted driver answering dialogs.
class BarsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        core::ResetCoreGlobals();
        core::ExcelCommandBars = office::CommandBars();
        session::ClearSession();
        DeInitAddInVariables();
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
        browser::resetBrowserRecord();
    }
    void TearDown() override {
        if (forms::scriptedDriver().failure()) {
            ADD_FAILURE() << forms::scriptedDriver().failure()->what();
        }
        forms::scriptedDriver().reset();
        DeInitAddInVariables();
        session::ClearSession();
        core::ExcelCommandBars = office::CommandBars();
        core::ResetCoreGlobals();
    }

    // The controls of the "Cell" menu that are not the host's own.
    static std::vector<std::string> addedCellEntries() {
        std::vector<std::string> captions;
        for (const auto& control : core::ExcelCommandBars.Item("Cell")->Controls().All()) {
            if (!control->BuiltIn()) {
                captions.push_back(control->Caption());
            }
        }
        return captions;
    }

    static std::vector<std::string> formsShown() {
        std::vector<std::string> names;
        for (const auto& form : forms::scriptedDriver().formsShown()) {
            names.push_back(form.name);
        }
        return names;
    }
};

}  // namespace kavex::addin::commandbars::testing
