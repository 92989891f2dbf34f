#pragma once

#include <string>
#include <vector>

#include "addin/marketdata/SymbolList.h"

namespace kavex::addin::marketdata {

// The most symbols one quote request asks for.
inline constexpr std::size_t kQuoteBatchSize = 25;

// Fetches the quotes of the listed symbols into AQ_StockSymbolData, all of them whatever their
// age, in batches of 25: "OK", "PARTIALOK" (some symbols or batches failed), "FAIL" or
// "CONNECTIVITYLOST" (nothing was fetched); "OK" with nothing to do when the list is empty. The
// quotes of one batch are stored together or not at all; a symbol the service does not know is
// not stored. After a time-out or a lost connection the remaining batches are not tried.
// actionValue and text are not used. description tells what failed.
std::string AddSymbols(const std::string& sessionKey, const SymbolList& symbolList,
                       short actionValue, const std::string& text, std::string& description);

// The quote fetch of a sheet refresh: like AddSymbols, but only the symbols that are due -- no
// cached row, a row never checked, or one checked longer ago than SYMBOL_DATA_REFRESH_SECONDS.
// A fetched symbol without a row gets one. "OK" when nothing was due.
std::string FetchStockSymbolData(const SymbolList& symbolList, std::string& description);

// "DATAFETCHED" when the symbol's cached quote is due for fetching, "DATANOTFETCHED" when it is
// fresh.
std::string CheckStockSymbolDataStatus(const std::string& symbol);

// Stores one quote (the quote service's Stock element as XML) as the symbol's SymbolData, with
// LastCheckDate and LastFetchDate set to now; inserts the row when there is none. Raises the
// database's error.
void InsertUpdateStockSymbolData(const std::string& symbol, const std::string& stockXml);

}  // namespace kavex::addin::marketdata
