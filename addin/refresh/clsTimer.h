#pragma once

#include <functional>
#include <memory>

#include "platform/os/Timer.h"

namespace kavex::addin::refresh {

// A member that receives its timer's events: storing a timer object in it binds the timer's tick
// to the member's handler; reset() releases the timer. Reaching the timer of an empty member
// raises error 91, as an object variable that is Nothing does.
class TimerMember {
  public:
    explicit TimerMember(std::function<void()> handler) : handler_(std::move(handler)) {}
    TimerMember(const TimerMember&) = delete;
    TimerMember& operator=(const TimerMember&) = delete;

    TimerMember& operator=(std::unique_ptr<os::Timer> timer);
    void reset() noexcept;

    explicit operator bool() const { return timer_ != nullptr; }
    os::Timer& operator*() const;
    os::Timer* operator->() const { return &**this; }

  private:
    std::function<void()> handler_;
    std::unique_ptr<os::Timer> timer_;
};

// The seven timers of the add-in and their tick handlers: five fetch-job timers, the auto-refresh
// timer and the session idle timer. The timers are created and released from outside
// (InitializeTimerPool, DestroyTimerPool). Every handler ends with ResizeBrowserControl.
class clsTimer {
  public:
    clsTimer() = default;
    clsTimer(const clsTimer&) = delete;
    clsTimer& operator=(const clsTimer&) = delete;

    TimerMember tmrDataFetcherPool1{[] { tmrDataFetcherPool1_Timer(); }};
    TimerMember tmrDataFetcherPool2{[] { tmrDataFetcherPool2_Timer(); }};
    TimerMember tmrDataFetcherPool3{[] { tmrDataFetcherPool3_Timer(); }};
    TimerMember tmrDataFetcherPool4{[] { tmrDataFetcherPool4_Timer(); }};
    TimerMember tmrDataFetcherPool5{[] { tmrDataFetcherPool5_Timer(); }};
    TimerMember tmrAutoRefresh{[] { tmrAutoRefresh_Timer(); }};
    TimerMember tmrSessionTimeOut{[] { tmrSessionTimeOut_Timer(); }};

    // The fetch-job timer of pool entry 1 to 5; another index raises error 9.
    TimerMember& DataFetcherPool(short index);

    // The tick handlers. They reach nothing of the instance, so a handler whose work releases the
    // timers (a logout) finishes safely; none lets a failure escape into the message loop.
    static void tmrDataFetcherPool1_Timer();
    static void tmrDataFetcherPool2_Timer();
    static void tmrDataFetcherPool3_Timer();
    static void tmrDataFetcherPool4_Timer();
    static void tmrDataFetcherPool5_Timer();
    static void tmrAutoRefresh_Timer();
    static void tmrSessionTimeOut_Timer();
};

}  // namespace kavex::addin::refresh
