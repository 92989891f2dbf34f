#pragma once

#include "platform/base/PlatformError.h"

namespace kavex::base::testing {

// Runs the action and returns the number of the PlatformError it raised (0 when none), so that a
// test can check the number the add-in's error traps would see.
template <typename Action>
long errorNumber(Action&& action) {
    try {
        action();
    } catch (const PlatformError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace kavex::base::testing
