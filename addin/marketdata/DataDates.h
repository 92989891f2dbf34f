#pragma once

#include <string>

namespace kavex::addin::marketdata {

// The text form of the LastFetchDate of the symbol's AQ_StockSymbolData row; the empty text when
// there is no row. Opens the shared connection when it is closed; logs its failures and returns
// what it had. Shows no notice.
std::string GetSymbolDate(const std::string& symbol);

// The same for the exchange's AQ_StockExchangeData row. With newMacro False it first shows the
// one-time deprecation notice when ShowDeprecatedMacroWarning is set.
std::string GetExchangeDate(const std::string& exchange, bool newMacro);

}  // namespace kavex::addin::marketdata
