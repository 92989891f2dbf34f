#include "addin/refresh/AutoRefresh.h"

#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/MarketHours.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/os/MessageLoop.h"

namespace kavex::addin::refresh {

// A count that ran away (a long time without a session) starts again from 0.
constexpr double kTickCountCeiling = 2000;

// Each second: counts up to DATA_REFRESH_INTERVAL, then refreshes the active sheet from the
// cache and queues its fetch without waiting for it, but only inside market hours; outside them
// the count starts again. Only counts while there is no session or a refresh runs.
void ProcessAutoRefresh() {
    // 1.
    os::DoEvents();
    // 2.
    if (AutoRefreshTickCount < 0 || AutoRefreshTickCount > kTickCountCeiling) {
        AutoRefreshTickCount = 0;
    }
    // 3.
    if (session::UserSessionKey.empty() || AutoRefreshTickCount < core::DataRefreshInterval ||
        ManualRefreshInProgress) {
        AutoRefreshTickCount += 1;
        return;
    }
    // 4.
    std::string message;
    const bool withinMarketTime = IsWithinMarketTime(message);
    if (!message.empty()) {
        core::WriteLog("ProcessAutoRefresh", 3, "Not WithinMarketTiming");
    }
    // 5.
    if (!withinMarketTime) {
        AutoRefreshTickCount = 0;
    } else {
        ProcessManualRefresh(true, false, 0, "", "", false);
    }
}

namespace {

void switchAutoRefreshTimer(bool enabled) {
    AutoRefreshTickCount = 0;
    ManualRefreshInProgress = false;
    try {
        if (Timers && Timers->tmrAutoRefresh)
            Timers->tmrAutoRefresh->setEnabled(enabled);
    } catch (...) {
        // Switching a timer that is being released: nothing to switch.
    }
}

}  // namespace

void StartAutoRefreshTimer() {
    switchAutoRefreshTimer(true);
}

void StopAutoRefreshTimer() {
    switchAutoRefreshTimer(false);
}

}  // namespace kavex::addin::refresh
