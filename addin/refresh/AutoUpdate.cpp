#include "addin/refresh/AutoUpdate.h"

#include <string>

#include "addin/commandbars/RefreshIntervals.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/TimerPool.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/Constants.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::refresh {

namespace {

// User-action types of the two reports.
constexpr short kActionAutoUpdateSwitched = 7;
constexpr short kActionIntervalChosen = 8;

// The toolbar's interval list; error 91 before the toolbar is built.
office::CommandBarComboBox& intervalList() {
    if (!commandbars::RefreshIntervalCombo) {
        throw base::PlatformError(91, "Object variable or With block variable not set");
    }
    return *commandbars::RefreshIntervalCombo;
}

bool showsOff(office::CommandBarComboBox& list) {
    return list.ListIndex() == list.ListCount();
}

// Queues the report of a mode or interval change for the web service.
void reportUserAction(short actionType, const std::string& first, const std::string& reason) {
    FireDataFetchCommand(kCommandUserAction, "", base::Variant::missing(), actionType, first,
                         Excel().activeSheet().name(), "", reason);
}

void reportModeSwitch(const std::string& reason) {
    reportUserAction(kActionAutoUpdateSwitched, Excel().activeWorkbook().name(), reason);
}

void logUnexpectedFailure(std::string_view procedure, const std::exception& error) {
    const core::TrappedError trapped = core::Trapped(error);
    core::WriteLog(
        procedure, 1,
        "Exiting with error :(" + std::to_string(trapped.number) + ") " + trapped.description);
}

}  // namespace

std::optional<short> IntervalSeconds(std::string_view listText) {
    const std::string text = base::toLowerAscii(listText);
    for (const commandbars::RefreshInterval& interval : commandbars::kRefreshIntervals) {
        if (base::toLowerAscii(interval.text) == text) {
            return interval.seconds;
        }
    }
    if (text == "0") {
        return commandbars::MinRefreshInterval;
    }
    return std::nullopt;
}

void StartAutoUpdate() {
    static constexpr std::string_view kProcedure = "StartAutoUpDate";
    try {
        core::WriteLog(kProcedure, 3, "Entering");
        // Switched on from "Off": back to the interval chosen last.
        if (showsOff(intervalList())) {
            intervalList().setListIndex(commandbars::RefreshListIndex);
        }
        IdleTickCount = 0;
        commandbars::SetAutoUpdateButtonState(true);
        if (core::AutoUpdateMode != 1) {
            core::AutoUpdateMode = 1;
            reportModeSwitch("Auto update on");
        }
        if (const auto seconds = IntervalSeconds(intervalList().Text())) {
            core::DataRefreshInterval = *seconds;
        }
        if (core::AutoUpdateMode == 1) {
            StartAutoRefreshTimer();
        }
    } catch (const std::exception& error) {
        logUnexpectedFailure(kProcedure, error);
    }
}

void StopAutoUpdate() {
    static constexpr std::string_view kProcedure = "StopAutoUpdate";
    try {
        core::WriteLog(kProcedure, 3, "Entering");
        IdleTickCount = 0;
        commandbars::SetAutoUpdateButtonState(false);
        if (core::AutoUpdateMode != 0) {
            core::AutoUpdateMode = 0;
            reportModeSwitch("Auto update off");
        }
        intervalList().setListIndex(intervalList().ListCount());
        if (core::AutoUpdateMode == 0) {
            StopAutoRefreshTimer();
        }
    } catch (const std::exception& error) {
        logUnexpectedFailure(kProcedure, error);
    }
}

void ProcessAutoUpdateListChange() {
    static constexpr std::string_view kProcedure = "ProcessAutoUpdateListChange ";
    core::StepTrap step;
    core::WriteLog(kProcedure, 3, "Entering");

    bool off = false;
    step([&] { off = showsOff(intervalList()); });
    if (off) {
        core::WriteLog(kProcedure, 3, "Time interval - Off");
        StopAutoUpdate();
        return;
    }

    std::string shown;
    step([&] {
        shown = intervalList().Text();
        if (const auto seconds = IntervalSeconds(shown)) {
            core::DataRefreshInterval = *seconds;
        }
    });
    core::WriteLog(kProcedure, 3, "Time interval - " + std::to_string(core::DataRefreshInterval));

    step([&] {
        reportUserAction(kActionIntervalChosen, shown, std::to_string(core::DataRefreshInterval));
    });

    StartAutoUpdate();
}

void UpdateData() {
    static constexpr std::string_view kProcedure = "UpdateData";
    core::StepTrap step;
    core::WriteLog(kProcedure, 3, "Entering");
    IdleTickCount = 0;
    step([] { Excel().setCursor(sheet::xlWait); });
    step([] { ProcessManualRefresh(false, true, 0, "", "", true); });
    step([] { Excel().setCursor(sheet::xlDefault); });
    core::WriteLog(kProcedure, 3, "Exiting");
}

void ToolbarUpdateNow() {
    core::StepTrap step;
    step([] { UpdateData(); });
}

}  // namespace kavex::addin::refresh
