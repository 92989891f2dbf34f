#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Date.h"

namespace kavex::os {

// The machine's clock: real, or simulated (a test or a scenario sets the time and the message
// loop moves it). Wall-clock instants are milliseconds since 1970-01-01 UTC; Now() is the machine's
// local time in its own zone (MachineZone.h), as the runtime's Now returns it. Timers run on the
// tick count, which only moves forward: setting the wall clock does not make timers fire or wait.
class Clock {
  public:
    bool isSimulated() const { return simulated_; }

    // Simulated time, the wall clock set to a local date-time of the machine's zone / to a UTC
    // instant. The tick count carries on from where it was.
    void startSimulation(base::Date localTime);
    void startSimulationUtc(std::int64_t epochMillis);
    // Back to the real clock.
    void useRealTime();

    std::int64_t epochMillis() const;
    // Milliseconds on the tick count (GetTickCount's timeline).
    std::int64_t tickMillis() const;

    // Moves simulated time forward (no effect on real time; negative amounts are ignored).
    void advance(std::int64_t millis);
    // Moves simulated time forward to a wall-clock instant / a tick count; never backwards.
    void advanceTo(std::int64_t epochMillis);
    void advanceTicksTo(std::int64_t tickMillis);

  private:
    bool simulated_ = false;
    std::int64_t simulatedTicks_ = 0;
    std::int64_t wallOffset_ = 0;  // wall clock = ticks + offset, in simulated time
};

// The process-wide clock.
Clock& machineClock();
// The same clock under its first name; machineClock() does not clash with the C library's clock()
// where a using-directive brings this namespace in.
inline Clock& clock() {
    return machineClock();
}

// The runtime's Now: local date and time in whole seconds.
base::Date Now();
// The same instant in UTC.
base::Date NowUtc();

// Windows Sleep: advances simulated time, blocks the thread in real time. Runs no events.
void Sleep(std::int64_t milliseconds);

// 1970-01-01T00:00:00Z is serial 25569 of the calendar's dates.
base::Date dateFromEpochMillis(std::int64_t epochMillis);
std::int64_t epochMillisFromDate(base::Date date);

}  // namespace kavex::os
