#pragma once

#include <optional>
#include <string_view>

namespace kavex::addin::refresh {

// Automatic refresh is a mode the user switches with the toolbar's toggle and its interval list
// (or the refresh-interval dialog). The mode lives in AutoUpdateMode, the interval in
// DataRefreshInterval; both reach the configuration at logout. Switching the mode turns the
// toggle, reports the change to the web service and starts or stops the auto-refresh timer.

// The seconds of an interval-list text, compared after lower-casing ("every  2 mins" -> 120);
// "0" gives MinRefreshInterval; nullopt for any other text (the interval stays as it was).
std::optional<short> IntervalSeconds(std::string_view listText);

// "auto update": the toggle shows "on", a first switch on is reported (user action 7, "Auto
// update on"), the interval becomes the list's, and the auto-refresh timer starts. An unexpected
// failure is logged at level 1 and leaves the steps before it done.
void StartAutoUpdate();

// "stop update": the toggle shows "off", a first switch off is reported ("Auto update off"), the
// list shows "Off" and the timer stops.
void StopAutoUpdate();

// The interval list's change ("lstautoupdate", and the automation method KavexAutoUpdate): "Off"
// switches the mode off; any other entry sets the interval, reports it (user action 8 with the
// seconds) and switches the mode on. Failing steps are skipped.
void ProcessAutoUpdateListChange();

// "update now" (and the options dialog's apply): one refresh of the active sheet at once, with
// its data fetched and waited for, under the wait cursor. Failing steps are skipped.
void UpdateData();
// "toolbarupdatenow" (the menu's Update Now): UpdateData.
void ToolbarUpdateNow();

}  // namespace kavex::addin::refresh
