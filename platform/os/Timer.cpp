#include "platform/os/Timer.h"

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"

namespace kavex::os {

namespace {
std::uint64_t nextOrder = 1;
}

Timer::Timer() : state_(std::make_shared<TimerState>()) {
    state_->order = nextOrder++;
}

Timer::~Timer() {
    // The loop may still hold the state while this timer's own tick runs; it must not tick again.
    state_->enabled = false;
}

void Timer::setEnabled(bool enabled) {
    if (enabled == state_->enabled) {
        return;
    }
    state_->enabled = enabled;
    if (enabled) {
        arm();
    }
}

void Timer::setInterval(long milliseconds) {
    if (milliseconds < 0) {
        throw base::PlatformError(380, "Invalid property value");
    }
    state_->intervalMillis = milliseconds;
    if (state_->enabled) {
        arm();
    }
}

void Timer::arm() {
    state_->dueMillis = machineClock().tickMillis() + state_->intervalMillis;
    ++state_->armGeneration;
    messageLoop().registerTimer(state_);
}

std::unique_ptr<Timer> CreateTimerObject(std::string_view progId) {
    // Program ids compare without regard to case.
    if (!base::equalsIgnoringCase(progId, Timer::ProgId)) {
        throw base::PlatformError(429, "ActiveX component can't create object");
    }
    return std::make_unique<Timer>();
}

}  // namespace kavex::os
