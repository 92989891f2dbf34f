#include "addin/refresh/frmSetRefreshInterval.h"

#include <string>
#include <vector>

#include "addin/commandbars/RefreshIntervals.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/ExcelHost.h"
#include "addin/refresh/IdleTime.h"
#include "platform/base/Conversions.h"

namespace kavex::addin::refresh {

namespace {

using forms::ControlKind;

// The dialog offers the toolbar's intervals from 30 seconds up; shorter ones only the toolbar
// offers, when the server allows them.
constexpr short kShortestOffered = 30;
// Chosen when OK finds no interval selected: "Every 35 Secs".
constexpr int kDefaultIndex = 1;

std::vector<commandbars::RefreshInterval> offeredIntervals() {
    std::vector<commandbars::RefreshInterval> offered;
    for (const commandbars::RefreshInterval& interval : commandbars::kRefreshIntervals) {
        if (interval.seconds >= kShortestOffered) {
            offered.push_back(interval);
        }
    }
    return offered;
}

forms::Control& place(forms::Control& control, double left, double top, double width,
                      double height) {
    control.layout().Left = left;
    control.layout().Top = top;
    control.layout().Width = width;
    control.layout().Height = height;
    return control;
}

}  // namespace

frmSetRefreshInterval::frmSetRefreshInterval()
    : forms::Form("frmSetRefreshInterval", "Auto Update") {
    // The dialog and every control on it are in Tahoma 8.
    Font().setName("Tahoma");
    Font().setSize(8);
    place(add(ControlKind::Label, "lblHeading", "Auto Update"), 12, 6, 180, 18);
    add(ControlKind::Line, "Line1").layout().Y1 = 28;
    add(ControlKind::Line, "Line2").layout().Y1 = 132;
    place(add(ControlKind::OptionButton, "optSetAutoUpdateOn", "Set AutoUpdate ON"), 18, 36, 160,
          18)
        .setOnClick([this] { optSetAutoUpdateOn_Click(); });
    place(add(ControlKind::Label, "lblAutoUpdate", "Auto Update:"), 36, 60, 70, 18);
    place(add(ControlKind::ComboBox, "cmbAutoUpdateInterval"), 108, 58, 90, 18);
    place(add(ControlKind::OptionButton, "optSetAutoUpdateOff", "Set AutoUpdate OFF"), 18, 96, 160,
          18)
        .setOnClick([this] { optSetAutoUpdateOff_Click(); });
    place(add(ControlKind::CommandButton, "cmdUpdate", "&OK"), 60, 140, 60, 22).setOnClick([this] {
        cmdUpdate_Click();
    });
    place(add(ControlKind::CommandButton, "CommandButton1", "&Cancel"), 128, 140, 60, 22)
        .setOnClick([this] { CommandButton1_Click(); });
}

void frmSetRefreshInterval::Form_Activate() {
    try {
        // The separator lines run under the heading and above the buttons, as wide as it.
        const forms::ControlLayout& heading = control("lblHeading").layout();
        for (const char* name : {"Line1", "Line2"}) {
            forms::ControlLayout& line = control(name).layout();
            line.X1 = heading.Left;
            line.X2 = heading.Left + heading.Width;
            line.Y2 = line.Y1;
        }

        forms::Control& list = control("cmbAutoUpdateInterval");
        list.Clear();
        const std::vector<commandbars::RefreshInterval> offered = offeredIntervals();
        for (const commandbars::RefreshInterval& interval : offered) {
            list.AddItem(std::string(interval.text));
        }
        list.AddItem(std::string(commandbars::kIntervalOff));

        if (core::AutoUpdateMode == 1) {
            control("optSetAutoUpdateOn").setValue(true);
            control("optSetAutoUpdateOff").setValue(false);
            if (core::DataRefreshInterval == 0) {
                list.setListIndex(commandbars::RefreshListIndex - 1);
            } else {
                for (std::size_t index = 0; index < offered.size(); ++index) {
                    if (offered[index].seconds == core::DataRefreshInterval) {
                        list.setListIndex(static_cast<int>(index));
                    }
                }
            }
            list.setEnabled(true);
        } else {
            list.setListIndex(list.ListCount() - 1);
            control("optSetAutoUpdateOff").setValue(true);
            control("optSetAutoUpdateOn").setValue(false);
            list.setEnabled(false);
        }
    } catch (const std::exception& error) {
        core::WriteLog("UserForm_Activate", 1,
                       "Error while set refresh interval..." + core::Trapped(error).description);
    }
}

void frmSetRefreshInterval::cmdUpdate_Click() {
    try {
        IdleTickCount = 0;
        if (base::CBool(control("optSetAutoUpdateOff").Value())) {
            core::AutoUpdateMode = 0;
        } else {
            forms::Control& list = control("cmbAutoUpdateInterval");
            if (list.ListIndex() == -1) {
                list.setListIndex(kDefaultIndex);
            }
            core::AutoUpdateMode = 1;
            const std::vector<commandbars::RefreshInterval> offered = offeredIntervals();
            const int chosen = list.ListIndex();
            // "Off" chosen with the ON option kept: the interval stays as it was.
            if (chosen >= 0 && chosen < static_cast<int>(offered.size())) {
                core::DataRefreshInterval = offered[static_cast<std::size_t>(chosen)].seconds;
            }
        }
        if (core::AutoUpdateMode == 1) {
            StartAutoRefreshTimer();
        } else {
            StopAutoRefreshTimer();
        }
        if (commandbars::CheckToolbarExistence()) {
            commandbars::SetAutoUpdateButton();
        }
        Unload();
    } catch (const std::exception& error) {
        core::WriteLog("cmdUpdate_Click", 1,
                       "Error while Updating... " + core::Trapped(error).description);
    }
}

void frmSetRefreshInterval::CommandButton1_Click() {
    core::StepTrap step;
    IdleTickCount = 0;
    step([this] { Unload(); });
}

void frmSetRefreshInterval::optSetAutoUpdateOn_Click() {
    core::StepTrap step;
    IdleTickCount = 0;
    step([this] { control("cmbAutoUpdateInterval").setEnabled(true); });
}

void frmSetRefreshInterval::optSetAutoUpdateOff_Click() {
    core::StepTrap step;
    IdleTickCount = 0;
    step([this] { control("cmbAutoUpdateInterval").setEnabled(false); });
}

void ShowRefreshIntervalDialog() {
    frmSetRefreshInterval dialog;
    dialog.Show(forms::vbModal);
    if (dialog.isLoaded()) {
        dialog.Unload();
    }
}

}  // namespace kavex::addin::refresh
