#include "addin/commandbars/BarSupport.h"

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/forms/DialogDriver.h"

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

void RunStep(std::string_view procedure, std::string_view what,
             const std::function<void()>& action) {
    try {
        action();
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        core::WriteLog(
            procedure, 1,
            "Error while " + std::string(what) + " Error description : " + ErrorText(error));
    }
}

}  // namespace kavex::addin::commandbars
