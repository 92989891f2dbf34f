#pragma once

namespace kavex::addin::refresh {

// Seconds counted by the auto-refresh timer towards DATA_REFRESH_INTERVAL.
inline double AutoRefreshTickCount = 0;

// The work of one auto-refresh tick.
void ProcessAutoRefresh();

}  // namespace kavex::addin::refresh
