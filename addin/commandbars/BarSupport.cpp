#include "addin/commandbars/BarSupport.h"

#include "addin/core/Globals.h"
#include "platform/base/Text.h"

namespace kavex::addin::commandbars {

std::shared_ptr<office::CommandBar> FindCommandBar(std::string_view name) {
    for (const auto& bar : core::ExcelCommandBars.All()) {
        if (!bar->isDeleted() && base::equalsIgnoringCase(bar->Name(), name)) {
            return bar;
        }
    }
    return nullptr;
}

std::string LowerCase(std::string_view text) {
    return base::toLowerAscii(text);
}

}  // namespace kavex::addin::commandbars
