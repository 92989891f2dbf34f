#include "addin/alerts/CreateAlert.h"

#include <string>

#include "addin/core/Globals.h"

namespace kavex::addin::alerts {

// The alert conditions are not evaluated yet: an alert cell keeps showing nothing. While the
// add-in switches calculation back on around its own writes the formula must not act at all.
base::Variant CreateAlert(const std::vector<base::Variant>& /*arguments*/) {
    if (core::InternalSheetUpdate)
        return base::Variant();
    return base::Variant(std::string());
}

}  // namespace kavex::addin::alerts
