#pragma once

#include <string>

namespace kavex::addin::marketdata {

// Registers a symbol typed into a sheet: when AQ_StockSymbolData has no row for it, inserts one
// holding only the symbol, so that the next refresh that covers it fetches it. Opens the shared
// connection when needed; failures are logged. The symbol is not changed; the second text is not
// used.
void AddNewExistingSymbol(std::string& symbol, std::string& unused);

}  // namespace kavex::addin::marketdata
