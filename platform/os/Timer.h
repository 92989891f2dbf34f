#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace kavex::os {

// Shared between a Timer and the message loop, so that a timer released inside its own tick
// (a logout from the session timer's handler) finishes that tick safely.
class TimerState {
  public:
    bool enabled = false;
    std::int64_t intervalMillis = 0;
    std::int64_t dueMillis = 0;       // next tick, on the clock's tick count
    std::uint64_t armGeneration = 0;  // bumped whenever the interval restarts
    bool ticking = false;             // its handler is running: no re-entry
    std::uint64_t order = 0;          // creation order, breaks ties between equal due times
    bool registered = false;          // known to the message loop
    std::function<void()> onTimer;
};

// The timer control (program id "VBATimer.Timer"): Enabled, Interval in milliseconds and the
// Timer event. It ticks only inside DoEvents. A disabled timer, or one whose Interval is 0, never
// ticks; enabling it or changing its Interval restarts the interval.
class Timer {
  public:
    static constexpr std::string_view ProgId = "VBATimer.Timer";

    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return state_->enabled; }
    void setEnabled(bool enabled);
    long Interval() const { return static_cast<long>(state_->intervalMillis); }
    void setInterval(long milliseconds);

    // The Timer event's handler.
    void setOnTimer(std::function<void()> handler) { state_->onTimer = std::move(handler); }

  private:
    void arm();

    std::shared_ptr<TimerState> state_;
};

// CreateObject for the timer's program id; any other id fails with error 429 ("ActiveX component
// can't create object").
std::unique_ptr<Timer> CreateTimerObject(std::string_view progId);

}  // namespace kavex::os
