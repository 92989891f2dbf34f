#pragma once

#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::core {

// Captions of the controls whose state follows the active workbook and cell. The controls are
// built by the command bars at login; a control that does not exist is skipped.
inline constexpr const char* kToolbarName = "KavexToolbar";
inline constexpr const char* kGetQuoteKey = "get quote";  // Parameter of the Get Quote button
inline constexpr const char* kAlertsGroup = "Alerts";
inline constexpr const char* kWatchListGroup = "Watch List";
inline constexpr const char* kPortfolioGroup = "Portfolio";
inline constexpr const char* kVisualAlertDetails = "Visual Alert Details...";
inline constexpr const char* kRemoveVisualAlert = "Remove Visual Alert...";
inline constexpr const char* kDeleteTransaction = "Delete Transaction...";

// For an add-in workbook's sheet: enables the Get Quote button and the Alerts, Watch List and
// Portfolio toolbar groups, and enables each cell context-menu entry when the active cell allows
// it: the alert entries on a data row of a watch list or portfolio whose alert cell holds a
// "=CreateAlert(" formula, "Delete Transaction..." on a data row of a portfolio history that has
// a symbol. result is True when the switch ran to its end. Errors are trapped and logged.
void EnableDisableMenusForKavexWorkbook(bool& result, const sheet::Worksheet& sheet);

// True when the row of the portfolio history holds a transaction that may be deleted: booked (not
// voided by an edit), of a known type, and, for a transaction that opened a lot, a lot no sale has
// used any of (the adjustment). A ledger that cannot be read allows nothing.
bool DeletableHistoryRow(const sheet::Worksheet& history, int row);

// Disables the same entries (outside add-in workbooks).
void DisableMenusForNonKavexWorkbook(bool& result);

}  // namespace kavex::addin::core
