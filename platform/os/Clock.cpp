#include "platform/os/Clock.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/os/MachineZone.h"

namespace kavex::os {

namespace {
constexpr double EpochSerial = 25569.0;  // 1970-01-01
constexpr double MillisPerDay = 86400000.0;

std::int64_t realEpochMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t realTickMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t wholeSeconds(std::int64_t millis) {
    // Floor, also before 1970.
    std::int64_t seconds = millis / 1000;
    if (millis % 1000 < 0) {
        --seconds;
    }
    return seconds * 1000;
}
}  // namespace

base::Date dateFromEpochMillis(std::int64_t epochMillis) {
    return base::Date{EpochSerial + static_cast<double>(epochMillis) / MillisPerDay};
}

std::int64_t epochMillisFromDate(base::Date date) {
    return std::llround((date.serial - EpochSerial) * MillisPerDay);
}

void Clock::startSimulation(base::Date localTime) {
    startSimulationUtc(utcFromZoneLocal(machineTimeZone(), epochMillisFromDate(localTime)));
}

void Clock::startSimulationUtc(std::int64_t epochMillis) {
    if (!simulated_) {
        simulatedTicks_ = realTickMillis();
        simulated_ = true;
    }
    wallOffset_ = epochMillis - simulatedTicks_;
}

void Clock::useRealTime() {
    simulated_ = false;
}

std::int64_t Clock::epochMillis() const {
    return simulated_ ? simulatedTicks_ + wallOffset_ : realEpochMillis();
}

std::int64_t Clock::tickMillis() const {
    return simulated_ ? simulatedTicks_ : realTickMillis();
}

void Clock::advance(std::int64_t millis) {
    if (simulated_ && millis > 0) {
        simulatedTicks_ += millis;
    }
}

void Clock::advanceTo(std::int64_t epochMillis) {
    advance(epochMillis - this->epochMillis());
}

void Clock::advanceTicksTo(std::int64_t tickMillis) {
    advance(tickMillis - simulatedTicks_);
}

Clock& machineClock() {
    static Clock instance;
    return instance;
}

base::Date Now() {
    const std::int64_t utc = wholeSeconds(machineClock().epochMillis());
    return dateFromEpochMillis(utc + zoneOffsetAtUtc(machineTimeZone(), utc));
}

base::Date NowUtc() {
    return dateFromEpochMillis(wholeSeconds(machineClock().epochMillis()));
}

void Sleep(std::int64_t milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    if (machineClock().isSimulated()) {
        machineClock().advance(milliseconds);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

}  // namespace kavex::os
