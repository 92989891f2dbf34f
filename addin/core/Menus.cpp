#include "addin/core/Menus.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/office/CommandBarPopup.h"

namespace kavex::addin::core {

namespace {

using ControlPtr = std::shared_ptr<office::CommandBarControl>;

std::string plainCaption(std::string_view caption) {
    std::string result;
    for (const char c : caption) {
        if (c != '&') {
            result += base::toLowerAscii(c);
        }
    }
    return result;
}

void collect(const std::vector<ControlPtr>& controls, std::vector<ControlPtr>& all) {
    for (const ControlPtr& control : controls) {
        all.push_back(control);
        if (auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(control)) {
            collect(popup->Controls().All(), all);
        }
    }
}

// Every control of the bar, popups included; none when the bar does not exist.
std::vector<ControlPtr> controlsOf(std::string_view barName) {
    std::vector<ControlPtr> all;
    try {
        collect(ExcelCommandBars.Item(barName)->Controls().All(), all);
    } catch (const base::PlatformError&) {
    }
    return all;
}

void enableByCaption(const std::vector<ControlPtr>& controls, std::string_view caption,
                     bool enabled) {
    const std::string wanted = plainCaption(caption);
    for (const ControlPtr& control : controls) {
        if (!control->isDeleted() && plainCaption(control->Caption()) == wanted) {
            control->setEnabled(enabled);
        }
    }
}

void enableByParameter(const std::vector<ControlPtr>& controls, std::string_view parameter,
                       bool enabled) {
    for (const ControlPtr& control : controls) {
        if (!control->isDeleted() && plainCaption(control->Parameter()) == parameter) {
            control->setEnabled(enabled);
        }
    }
}

void setToolbar(bool enabled) {
    const std::vector<ControlPtr> toolbar = controlsOf(kToolbarName);
    enableByParameter(toolbar, kGetQuoteKey, enabled);
    enableByCaption(toolbar, kAlertsGroup, enabled);
    enableByCaption(toolbar, kWatchListGroup, enabled);
    enableByCaption(toolbar, kPortfolioGroup, enabled);
}

void setCellMenu(bool alerts, bool deleteTransaction) {
    const std::vector<ControlPtr> cell = controlsOf("Cell");
    enableByCaption(cell, kVisualAlertDetails, alerts);
    enableByCaption(cell, kRemoveVisualAlert, alerts);
    enableByCaption(cell, kDeleteTransaction, deleteTransaction);
}

}  // namespace

void EnableDisableMenusForKavexWorkbook(bool& result, const sheet::Worksheet& sheet) {
    result = false;
    try {
        setToolbar(true);
        bool alerts = false;
        bool deleteTransaction = false;
        const std::string kind = GetTheSheetType(sheet);
        std::int32_t symbolRow = 0;
        std::int16_t symbolColumn = 0;
        if (ExcelApp != nullptr && GetSymbolRowColumn(sheet, symbolRow, symbolColumn)) {
            const sheet::Range active = ExcelApp->activeCell();
            const bool onDataRow =
                !active.isNothing() && active.worksheet() == sheet && active.row() > symbolRow;
            if (onDataRow && (kind == kWatchList || kind == kPortfolio)) {
                std::string alertKind = kind;
                const short alertColumn = GetTheColumnWheretheAlertFormulaColumnIs(alertKind);
                if (alertColumn > 0) {
                    const std::string formula = sheet.cells(active.row(), alertColumn).formula();
                    alerts = formula.rfind("=CreateAlert(", 0) == 0;
                }
            } else if (onDataRow && kind == kPortfolioHistory) {
                deleteTransaction = !sheet.cells(active.row(), symbolColumn).text().empty();
            }
        }
        setCellMenu(alerts, deleteTransaction);
        result = true;
    } catch (const std::exception& e) {
        WriteLog("EnableDisableMenusForKavexWorkbook", 1, "Error: " + ErrorText(e));
    }
}

void DisableMenusForNonKavexWorkbook(bool& result) {
    result = false;
    try {
        setToolbar(false);
        setCellMenu(false, false);
        result = true;
    } catch (const std::exception& e) {
        WriteLog("DisableMenusForNonKavexWorkbook", 1, "Error: " + ErrorText(e));
    }
}

}  // namespace kavex::addin::core
