#include "addin/core/Promo.h"

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/refresh/TimerPool.h"
#include "platform/base/Variant.h"

namespace kavex::addin::core {

void ProcessPromoButtonClick(const std::string& caption, const std::string& address) {
    try {
        // The report names where the user was; a host without a workbook sends empty names.
        std::string workbookName;
        std::string sheetName;
        if (ExcelApp != nullptr) {
            try {
                if (const sheet::Workbook active = ExcelApp->activeWorkbook()) {
                    workbookName = active.name();
                    sheetName = ExcelApp->activeSheet().name();
                }
            } catch (const std::exception&) {
            }
        }
        refresh::FireDataFetchCommand(refresh::kCommandUserAction, "", base::Variant::missing(),
                                      refresh::kUserActionPromotionButton, workbookName, sheetName,
                                      "", caption + " - " + address);
    } catch (const std::exception& e) {
        WriteLog("ProcessPromoButtonClick", 1, std::string("Error: ") + e.what());
    }
}

}  // namespace kavex::addin::core
