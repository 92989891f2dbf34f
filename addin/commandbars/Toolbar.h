#pragma once

#include <memory>
#include <string_view>

#include "platform/office/CommandBar.h"
#include "platform/office/CommandBarButton.h"
#include "platform/office/CommandBarComboBox.h"

namespace kavex::addin::commandbars {

// The add-in's main toolbar and the controls other subsystems set; empty before the toolbar is
// built and after the bars are removed.
inline std::shared_ptr<office::CommandBar> KavexToolbar;
// The auto-update toggle: an icon-only button whose Parameter is the command its next click runs.
inline std::shared_ptr<office::CommandBarButton> AutoUpdateButton;
// The interval list (command key "lstautoupdate").
inline std::shared_ptr<office::CommandBarComboBox> RefreshIntervalCombo;
// "Create Visual Alert"; disabled until a sheet that can carry alerts is active.
inline std::shared_ptr<office::CommandBarButton> CreateAlertButton;

// The shortest interval the interval list offers (30, 15, 10 or 5 seconds).
inline short MinRefreshInterval = 30;
// The interval list's current position (1-based): the entry chosen when automatic refresh is
// switched on from "Off".
inline short RefreshListIndex = 1;

// The toggle's two states.
inline constexpr int kAutoUpdateOnFace = 343;
inline constexpr int kAutoUpdateOffFace = 342;
inline constexpr std::string_view kStopUpdateParameter = "Stop Update";
inline constexpr std::string_view kAutoUpdateParameter = "Auto Update";
inline constexpr std::string_view kAutoUpdateOnTip = "Set Auto Update mode Off";
inline constexpr std::string_view kAutoUpdateOffTip = "Set Auto Update mode On";
inline constexpr int kAutoUpdateButtonWidth = 20;

inline constexpr std::string_view kIntervalListParameter = "lstAutoUpdate";
inline constexpr std::string_view kCreateAlertCaption = "Create Visual Alert";

// The shortest interval to offer for the login answer's minimum refresh time (seconds): the
// smallest of 5, 10, 15 and 30 that is not below it; 30 when the answer gave none (0 or less) or
// asked for more than 15.
short ChooseMinRefreshInterval(short minRefreshTime);

// True when the host's command bars hold the add-in toolbar (its name compared in upper case).
bool CheckToolbarExistence();

// Sets the toggle to AutoUpdateMode: on -> face 343, caption and Parameter "Stop Update", tip
// "Set Auto Update mode Off", and the interval list shows DataRefreshInterval's entry (when the
// list has one); off -> face 342, "Auto Update", "Set Auto Update mode On". Nothing when the
// toolbar has not been built; a control deleted meanwhile is a platform error for the caller.
void SetAutoUpdateButton();

// Gives the toggle the face, caption, tip and Parameter of one of its two states; the interval
// list is left alone. Raises error 91 when the toolbar has not been built.
void SetAutoUpdateButtonState(bool on);

}  // namespace kavex::addin::commandbars
