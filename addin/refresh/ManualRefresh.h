#pragma once

#include <string>

namespace kavex::addin::refresh {

// The messages of a refresh that could not fetch (critical, titled "Kavex").
inline constexpr const char* kTooManyActionsMessage =
    "Cannot update as a result of too many actions. Please try later.";
inline constexpr const char* kTimedOutMessage =
    "Cannot update. Data retrieval operation has timed out.";
// How long a refresh waits for its fetch job, in whole seconds.
inline constexpr int kRefreshWaitSeconds = 30;

// Brings the active sheet up to date: works out what it shows (its formulas' symbols and
// exchanges, or its top list), queues the fetch (when FetchData is True, or for an automatic
// refresh with auto update on), waits for it up to 30 seconds while the message loop runs
// (unless WaitForData is False), reports the user action ActionType (when not 0) with OldSheet
// and Reason, then rebuilds the sheet if the user is still on a sheet of the same kind. Nothing
// without a session; nothing but the timer restart while the host is minimized. A failing step is
// skipped and the last failure logged at the end; the auto-refresh timer is off meanwhile and
// switched on again when auto update is on.
void ProcessManualRefresh(bool IsAutoRefresh, bool WaitForData, short ActionType,
                          const std::string& OldSheet, const std::string& Reason, bool FetchData);

}  // namespace kavex::addin::refresh
