#pragma once

namespace kavex::addin::refresh {

// Seconds counted by the auto-refresh timer towards DATA_REFRESH_INTERVAL.
inline double AutoRefreshTickCount = 0;
// True while a manual refresh runs; an auto-refresh tick then only counts.
inline bool ManualRefreshInProgress = false;

// The work of one auto-refresh tick.
void ProcessAutoRefresh();

// Switch the auto-refresh timer on or off, counting from 0 again; errors are ignored.
void StartAutoRefreshTimer();
void StopAutoRefreshTimer();

}  // namespace kavex::addin::refresh
