#include "addin/core/Menus.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/portfolio/Ledger.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "addin/portfolio/TransactionCodes.h"
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

// A lot-opening transaction whose lot a sale has used up, in part or whole, is adjusted: its
// deletion would leave the sale without its shares.
bool adjusted(const std::vector<portfolio::LedgerEntry>& entries, long id) {
    const auto replayed = portfolio::Replay(entries);
    const auto* books = std::get_if<portfolio::Books>(&replayed);
    if (books == nullptr) {
        return true;
    }
    for (const portfolio::Lot& lot : books->lots) {
        if (lot.id == id) {
            return lot.adjusted();
        }
    }
    return true;  // no longer open: used up
}

}  // namespace

bool DeletableHistoryRow(const sheet::Worksheet& history, int row) {
    portfolio::HistoryLayout layout;
    portfolio::LedgerRows ledger;
    try {
        layout = portfolio::HistoryLayoutOf(history);
        if (row < layout.firstRow()) {
            return false;
        }
        ledger = portfolio::ReadLedger(history, layout);
    } catch (const std::exception&) {
        return false;  // a damaged ledger is refused by the deletion itself, with its message
    }
    for (const portfolio::LedgerRow& entry : ledger.rows) {
        if (entry.row != row) {
            continue;
        }
        if (entry.voided) {
            return false;
        }
        const auto type = portfolio::TypeOfCode(entry.entry.code);
        if (!type) {
            return false;
        }
        return type->effect != portfolio::Effect::Open ||
               !adjusted(ledger.entries(), entry.entry.id);
    }
    return false;
}

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
                deleteTransaction = DeletableHistoryRow(sheet, active.row());
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
