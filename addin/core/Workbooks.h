#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::core {

// The kinds of managed sheets (GetTheSheetType).
inline constexpr const char* kWatchList = "Watch List";
inline constexpr const char* kPortfolio = "Portfolio";
inline constexpr const char* kPortfolioHistory = "Portfolio History";
inline constexpr const char* kVolLeaders = "Vol Leaders";
inline constexpr const char* kPriceGainers = "Price Gainers";
inline constexpr const char* kPriceLosers = "Price Losers";
inline constexpr const char* kDetails = "Details";
inline constexpr const char* kExchangeStats = "Exchange Stats";

// The size of an advert browser control, as IsKavexWorkbook records it.
struct BrowserControlSize {
    std::string sheetName;
    std::string controlName;
    double left = 0, top = 0, width = 0, height = 0;
};
// What the last IsKavexWorkbook with recordSizes True found.
inline std::vector<BrowserControlSize> BrowserControlSizes;

// True when the workbook is one of the add-in's own: its sheet KavexInfo holds the range
// KavexVersion (whose value becomes KavexVersion). With recordSizes True it also records the
// advert browser controls' sizes. Any failure, a Nothing workbook included, gives False.
bool IsKavexWorkbook(const sheet::Workbook& workbook, bool recordSizes);

// The sheet's kind: the empty text unless the active workbook is an add-in workbook, else the
// value of the first kind name (WSName_Watchlist, ..., WS_ExchangeStats) that resolves on the
// sheet; the empty text for any other sheet. Never fails. A managed sheet carries its kind as a
// sheet-level name holding a text constant (WSName_Watchlist refers to ="Watch List"); a name
// that refers to a cell gives that cell's value.
std::string GetTheSheetType(const sheet::Worksheet& sheet);

// The value of a name as the sheet resolves it (its own name first, then the workbook's), as text:
// a text constant's text (="Portfolio" gives Portfolio), else the value of the range it refers to.
// Raises the host's error when the name does not resolve.
std::string NameValueOnSheet(const sheet::Worksheet& sheet, std::string_view name);

// Row and column of the sheet's symbol header (by kind: VolLeadersSymbol, PriceGainersSymbol,
// PriceLosersSymbol, WatchListSymbol, PortfolioSymbol, PortfolioHistorySymbol); True when found.
// Other kinds give False with 0 and 0. A failure is logged at level 1 ("Error: (" number ") "
// description) and gives False, row and column keeping what was read before it.
bool GetSymbolRowColumn(const sheet::Worksheet& sheet, std::int32_t& row, std::int16_t& column);

// Row and column of the sheet's WatchlistSecurityName (0 and 0 when it has none) with True, only
// when the active workbook is an add-in workbook; False with 0 and 0 otherwise.
bool GetSecurityNameRowColumn(const sheet::Worksheet& sheet, std::int32_t& row,
                              std::int16_t& column);

// Row and column of the sheet's attribute header WatchlistAttribHeader; 0 and 0 when absent.
void GetAttributeRowColumn(const sheet::Worksheet& sheet, std::int32_t& row, std::int16_t& column);

// The column count of the region around the range WatchlistAttribHeader refers to; 0 when the
// name does not resolve.
short GetNoofColumns(const sheet::Worksheet& sheet);

// The column of the alert-formula column of the active sheet for that kind (PortFolioAlert for
// "Portfolio", WatchlistAlert for "Watch List"); 0 when the kind has none or the name does not
// resolve.
short GetTheColumnWheretheAlertFormulaColumnIs(std::string& sheetKind);

// With flag True: records the add-in's folder in AddInPath and, when the active workbook's macro
// project has no reference named kavexservice, installs the Kavex.xla add-in and adds the
// reference. Nothing with False. Errors are trapped and logged.
void AddKavexReference(bool flag);

// The advert browser controls. The add-in shows no adverts in this version: both leave the
// sheet as it is; CreateBrowserObjects returns 0.
short CreateBrowserObjects(const std::string& sheetKind, sheet::Worksheet& sheet);
void ResizeBrowserControl();

}  // namespace kavex::addin::core
