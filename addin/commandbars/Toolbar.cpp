#include "addin/commandbars/Toolbar.h"

#include <array>
#include <string>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/commandbars/RefreshIntervals.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/session/Session.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"

namespace kavex::addin::commandbars {

namespace {

// Buttons of the toolbar besides the named controls; one is added only when its command is
// available in this build.
struct ToolbarEntry {
    std::string_view caption;
    std::string_view parameter;
    std::string_view tooltip;
};

constexpr std::array<ToolbarEntry, 1> kUpdateEntries{{
    {"Update Now", "Update Now", "Refresh the data of the active sheet now"},
}};

std::shared_ptr<office::CommandBarButton> addButton(office::CommandBar& bar,
                                                    std::string_view caption,
                                                    std::string_view parameter) {
    auto button = bar.Controls().AddButton(0, true);
    button->setCaption(std::string(caption));
    button->setStyle(office::MsoButtonStyle::Caption);
    button->setTag(std::string(kButtonTag));
    button->setParameter(std::string(parameter));
    return button;
}

// The 1-based position of the interval's entry in the list, 0 when the list has none.
int positionOf(const office::CommandBarComboBox& combo, short seconds) {
    const auto text = RefreshIntervalText(seconds);
    if (!text) {
        return 0;
    }
    for (int index = 1; index <= combo.ListCount(); ++index) {
        if (combo.List(index) == *text) {
            return index;
        }
    }
    return 0;
}

}  // namespace

short ChooseMinRefreshInterval(short minRefreshTime) {
    if (minRefreshTime <= 0) {
        return 30;
    }
    for (short offered : {5, 10, 15, 30}) {
        if (minRefreshTime <= offered) {
            return offered;
        }
    }
    return 30;
}

void CreateKavexToolbar() {
    core::WriteLog("CreateKavexToolbar", 3, "Entering");
    BindCommandBarEvents();
    DeleteCommandBar(kToolbarName);
    auto bar =
        core::ExcelCommandBars.Add(std::string(kToolbarName), office::MsoBarPosition::Top, true);
    KavexToolbar = bar;

    auto logout = addButton(*bar, "Logout", "Logout");
    logout->setTooltipText("Logout from Kavex");

    // The toggle: icon only; SetAutoUpdateButton gives it its face, tip and command.
    AutoUpdateButton = bar->Controls().AddButton(0, true);
    AutoUpdateButton->setStyle(office::MsoButtonStyle::Icon);
    AutoUpdateButton->setWidth(kAutoUpdateButtonWidth);
    AutoUpdateButton->setTag(std::string(kButtonTag));
    AutoUpdateButton->setBeginGroup(true);

    // The list offers nothing shorter than the server allows.
    MinRefreshInterval = ChooseMinRefreshInterval(session::MinRefreshTime);
    if (core::DataRefreshInterval > 0 && core::DataRefreshInterval < MinRefreshInterval) {
        core::WriteLog("CreateKavexToolbar", 2,
                       "Refresh interval raised to the minimum of " +
                           std::to_string(MinRefreshInterval) + " seconds");
        core::DataRefreshInterval = MinRefreshInterval;
    }
    RefreshIntervalCombo = bar->Controls().AddComboBox(office::MsoControlType::DropDown, 0, true);
    RefreshIntervalCombo->setCaption("Auto Update Interval");
    RefreshIntervalCombo->setTooltipText("Auto Update Interval");
    RefreshIntervalCombo->setTag(std::string(kButtonTag));
    RefreshIntervalCombo->setParameter(std::string(kIntervalListParameter));
    for (const RefreshInterval& interval : kRefreshIntervals) {
        if (interval.seconds >= MinRefreshInterval) {
            RefreshIntervalCombo->AddItem(std::string(interval.text));
        }
    }
    RefreshIntervalCombo->AddItem(std::string(kIntervalOff));
    const int configured = positionOf(*RefreshIntervalCombo, core::DataRefreshInterval);
    RefreshListIndex = static_cast<short>(configured > 0 ? configured : 1);
    if (core::AutoUpdateMode != 1) {
        RefreshIntervalCombo->setListIndex(RefreshIntervalCombo->ListCount());
    }
    SetAutoUpdateButton();

    for (const ToolbarEntry& entry : kUpdateEntries) {
        if (IsCommandKey(entry.parameter)) {
            addButton(*bar, entry.caption, entry.parameter)
                ->setTooltipText(std::string(entry.tooltip));
        }
    }

    CreateAlertButton = addButton(*bar, kCreateAlertCaption, kCreateAlertCaption);
    CreateAlertButton->setTooltipText(std::string(kCreateAlertCaption));
    CreateAlertButton->setBeginGroup(true);
    CreateAlertButton->setEnabled(false);

    bar->setVisible(true);
    // The session's toolbar replaces the login bar.
    DeleteCommandBar(kLoginBarName);
    core::WriteLog("CreateKavexToolbar", 3, "Exiting");
}

bool CheckToolbarExistence() {
    for (const auto& bar : core::ExcelCommandBars.All()) {
        if (!bar->isDeleted() && base::equalsIgnoringCase(bar->Name(), kToolbarName)) {
            return true;
        }
    }
    return false;
}

void SetAutoUpdateButton() {
    if (!AutoUpdateButton) {
        return;
    }
    SetAutoUpdateButtonState(core::AutoUpdateMode == 1);
    if (core::AutoUpdateMode == 1 && RefreshIntervalCombo) {
        const int position = positionOf(*RefreshIntervalCombo, core::DataRefreshInterval);
        if (position > 0) {
            RefreshIntervalCombo->setListIndex(position);
            RefreshListIndex = static_cast<short>(position);
        }
    }
}

void SetAutoUpdateButtonState(bool on) {
    if (!AutoUpdateButton) {
        throw base::PlatformError(91, "Object variable or With block variable not set");
    }
    const std::string_view parameter = on ? kStopUpdateParameter : kAutoUpdateParameter;
    AutoUpdateButton->setFaceId(on ? kAutoUpdateOnFace : kAutoUpdateOffFace);
    AutoUpdateButton->setCaption(std::string(parameter));
    AutoUpdateButton->setParameter(std::string(parameter));
    AutoUpdateButton->setTooltipText(std::string(on ? kAutoUpdateOnTip : kAutoUpdateOffTip));
}

}  // namespace kavex::addin::commandbars
