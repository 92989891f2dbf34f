#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/browser/Browser.h"
#include "platform/db/Connection.h"
#include "platform/office/CommandBars.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::core {

// The host application, kept when the add-in connects (not owned).
inline sheet::Application* ExcelApp = nullptr;
// The host's command bars (Excel's Application.CommandBars), kept with ExcelApp.
inline office::CommandBars ExcelCommandBars;

// The one shared connection to Kavex.mdb; created and opened by OpenDBConnection on first need.
inline std::unique_ptr<db::Connection> DBConnection;

// The add-in's folder, ending in the path separator ("/"); where Kavex.mdb, Kavex.xla and the
// log file live. Empty until the add-in connects or a test sets it.
inline std::string AddInPath;
// The folder the add-in was loaded from (the runtime's App.Path, ending in "/"), set at
// connection; AddKavexReference records it in AddInPath.
inline std::string AppPath;
// The value of KavexVersion read from the last add-in workbook IsKavexWorkbook recognised.
inline std::string KavexVersion;

// Configuration mirrors, loaded by FetchConfigSettings at login.
// WEBSITE_URL: the web service's base address ("http://host:port", no trailing path).
inline std::string WebsiteURL;
// DECIMAL_PLACE: the decimals of prices.
inline short DecimalPlaces = 2;
// The currency pattern prices are shown with, rebuilt from DecimalPlaces whenever it changes;
// the value below holds until the configuration is read.
inline std::string PriceFormat = "$###,###,##0.00";
// AUTOUPDATE_MODE (1 on, 0 off) and DATA_REFRESH_INTERVAL (seconds); written back at logout.
inline short AutoUpdateMode = 0;
inline short DataRefreshInterval = 0;
// LAST_LOGIN_DATE: symbol-list changes are fetched since this date; written back at logout.
inline std::string LastLoginDate;
// TOP_VOL_LEADERS, TOP_PRICE_GAINERS, TOP_PRICE_LOSERS: the lengths of the top lists.
inline short TopVolLeaders = 0;
inline short TopPriceGainers = 0;
inline short TopPriceLosers = 0;
// LOG_LEVEL: 0 until the configuration is read, so nothing is logged before login.
inline short LogLevel = 0;

// Re-entry guards shared by every subsystem.
// True while the add-in itself changes cells (around switching calculation back to automatic).
inline bool InternalSheetUpdate = false;
// True while a watch-list or portfolio dialog builds or rebuilds a managed sheet.
inline bool SheetBuildInProgress = false;
// Set by the portfolio engine after it rewrote a portfolio row; cleared by the sheet-change
// handler.
inline bool PortfolioRowRewritten = false;
// Set by the portfolio engine after it rewrote a portfolio-history sheet; cleared once sorted.
inline bool PortfolioHistoryChanged = false;

// The shared browser window OpenURLInBrowser reuses while it still answers.
inline std::optional<browser::Browser> IEBrowser;

// Empties every global of this folder back to its start-up value (tests; the add-in's shutdown).
// The host's command bars and ExcelApp are kept.
void ResetCoreGlobals();

}  // namespace kavex::addin::core
