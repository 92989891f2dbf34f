#include "addin/refresh/AutoRefresh.h"

#include "addin/refresh/TimerPool.h"

namespace kavex::addin::refresh {

// Automatic refresh is not built yet: a tick of the auto-refresh timer counts nothing and queues
// nothing. The timer itself, its handler and AutoRefreshTickCount are in place for it.
void ProcessAutoRefresh() {}

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
