#include "addin/refresh/CancelKey.h"

#include "addin/core/Errors.h"
#include "addin/refresh/ExcelHost.h"

namespace kavex::addin::refresh {

namespace {
constexpr int xlDisabled = 0;
constexpr int xlInterrupt = 1;
}  // namespace

void DisableCancelKey() {
    core::StepTrap ignore;
    ignore([] { Excel().setEnableCancelKey(xlDisabled); });
}

void EnableCancelKeyInterrupt() {
    core::StepTrap ignore;
    ignore([] { Excel().setEnableCancelKey(xlInterrupt); });
}

}  // namespace kavex::addin::refresh
