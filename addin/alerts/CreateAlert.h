#pragma once

#include <vector>

#include "platform/base/Variant.h"

namespace kavex::addin::alerts {

// The alert formula method of the add-in class (=CreateAlert(...) in an alert cell). While the
// add-in itself changes cells (InternalSheetUpdate) it does nothing and returns Empty; otherwise
// it returns the empty text, so that the alert cell shows nothing.
base::Variant CreateAlert(const std::vector<base::Variant>& arguments);

}  // namespace kavex::addin::alerts
