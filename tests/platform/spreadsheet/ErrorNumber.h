#pragma once

#include <functional>

#include "platform/base/PlatformError.h"

namespace kavex::sheet {

// The number of the platform error an action raises, 0 when it raises none.
inline long errorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::PlatformError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace kavex::sheet
