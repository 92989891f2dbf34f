#pragma once

namespace kavex::addin::refresh {

// Switches the auto-refresh timer on (at login when AutoUpdateMode is 1).
void StartAutoRefreshTimer();
// The toolbar's "auto update" and "stop update" commands.
void StartAutoUpdate();
void StopAutoUpdate();

}  // namespace kavex::addin::refresh
