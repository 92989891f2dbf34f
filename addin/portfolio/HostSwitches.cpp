#include "addin/portfolio/HostSwitches.h"

#include "addin/core/Globals.h"

namespace kavex::addin::portfolio {

HostSwitches::HostSwitches(sheet::Application& app) : app_(app) {
    app_.setEnableEvents(false);
    if (app_.cutCopyMode() == 0) {
        app_.setCalculation(sheet::xlCalculationManual);
        calculationSwitched_ = true;
    }
    app_.setScreenUpdating(false);
}

HostSwitches::~HostSwitches() {
    try {
        if (calculationSwitched_) {
            core::InternalSheetUpdate = true;
            app_.setCalculation(sheet::xlCalculationAutomatic);
        }
    } catch (...) {
        // A recalculation that fails leaves the cells to show their errors; the writes stand.
    }
    core::InternalSheetUpdate = false;
    app_.setScreenUpdating(true);
    app_.setEnableEvents(true);
}

}  // namespace kavex::addin::portfolio
