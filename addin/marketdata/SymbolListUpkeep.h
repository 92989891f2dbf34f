#pragma once

#include <string>

namespace kavex::addin::marketdata {

// The upkeep of the local symbol list (AQ_StockSymbolList) from the web service: the symbols new,
// changed or delisted since the date (the last login; empty for "since ever"). Each returns the
// empty text on success, else an error code -- a transport status ("FAIL", "TIMEOUT",
// "CONNECTIVITYLOST") or the service's code ("invalid_session", "invalid_xml") -- and fills the
// description. A failed call leaves the list as it was.
std::string GetNewSymbols(const std::string& sessionKey, const std::string& lastLoginDate,
                          std::string& description);
std::string GetChangedSymbols(const std::string& sessionKey, const std::string& lastLoginDate,
                              std::string& description);
std::string GetDelistedSymbols(const std::string& sessionKey, const std::string& lastLoginDate,
                               std::string& description);

}  // namespace kavex::addin::marketdata
