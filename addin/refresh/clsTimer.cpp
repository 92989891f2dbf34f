#include "addin/refresh/clsTimer.h"

#include <exception>
#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/AutoRefresh.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Login.h"
#include "addin/session/Session.h"
#include "platform/base/PlatformError.h"

namespace kavex::addin::refresh {

TimerMember& TimerMember::operator=(std::unique_ptr<os::Timer> timer) {
    timer_ = std::move(timer);
    if (timer_)
        timer_->setOnTimer(handler_);
    return *this;
}

void TimerMember::reset() noexcept {
    timer_.reset();
}

os::Timer& TimerMember::operator*() const {
    if (!timer_)
        throw base::PlatformError(91, "Object variable or With block variable not set");
    return *timer_;
}

TimerMember& clsTimer::DataFetcherPool(short index) {
    switch (index) {
        case 1:
            return tmrDataFetcherPool1;
        case 2:
            return tmrDataFetcherPool2;
        case 3:
            return tmrDataFetcherPool3;
        case 4:
            return tmrDataFetcherPool4;
        case 5:
            return tmrDataFetcherPool5;
        default:
            throw base::PlatformError(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
}

namespace {

// A tick handler's own work, then ResizeBrowserControl. A failure the work lets through is
// logged under the handler's name instead of reaching the message loop.
template <typename Work>
void tick(const char* handlerName, Work work) noexcept {
    try {
        work();
    } catch (const base::PlatformError& error) {
        core::WriteLog(handlerName, 1,
                       "Error : (" + std::to_string(error.number()) + ") " + error.description());
    } catch (const std::exception& error) {
        core::WriteLog(handlerName, 1, std::string("Error : ") + error.what());
    }
    try {
        core::ResizeBrowserControl();
    } catch (...) {
    }
}

}  // namespace

void clsTimer::tmrDataFetcherPool1_Timer() {
    tick("tmrDataFetcherPool1_Timer", [] { ProcessTimerInPool(1); });
}

void clsTimer::tmrDataFetcherPool2_Timer() {
    tick("tmrDataFetcherPool2_Timer", [] { ProcessTimerInPool(2); });
}

void clsTimer::tmrDataFetcherPool3_Timer() {
    tick("tmrDataFetcherPool3_Timer", [] { ProcessTimerInPool(3); });
}

void clsTimer::tmrDataFetcherPool4_Timer() {
    tick("tmrDataFetcherPool4_Timer", [] { ProcessTimerInPool(4); });
}

void clsTimer::tmrDataFetcherPool5_Timer() {
    tick("tmrDataFetcherPool5_Timer", [] { ProcessTimerInPool(5); });
}

void clsTimer::tmrAutoRefresh_Timer() {
    tick("tmrAutoRefresh_Timer", [] { ProcessAutoRefresh(); });
}

// Once a minute: counts the idle minutes. The tick that finds 60 logs the user out when automatic
// refresh is on (the 61st tick after the last activity); with it off the count starts again, so
// such a user is never logged out for idleness.
void clsTimer::tmrSessionTimeOut_Timer() {
    tick("tmrSessionTimeOut_Timer", [] {
        if (IdleTickCount < 60) {
            IdleTickCount = static_cast<short>(IdleTickCount + 1);
        } else if (core::AutoUpdateMode == 1) {
            // The logout switches the timers off and releases them, this one included.
            session::ProcessLogoutUser(session::kLogoutSessionTimeout);
        } else {
            IdleTickCount = 0;
        }
    });
}

}  // namespace kavex::addin::refresh
