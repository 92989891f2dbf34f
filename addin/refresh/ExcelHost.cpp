#include "addin/refresh/ExcelHost.h"

#include "addin/core/Globals.h"
#include "platform/base/PlatformError.h"

namespace kavex::addin::refresh {

sheet::Application& Excel() {
    if (core::ExcelApp == nullptr) {
        throw base::PlatformError(91, "Object variable or With block variable not set");
    }
    return *core::ExcelApp;
}

}  // namespace kavex::addin::refresh
