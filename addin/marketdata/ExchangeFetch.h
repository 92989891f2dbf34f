#pragma once

#include <string>
#include <vector>

namespace kavex::addin::marketdata {

// The exchange codes of the statistics cache, in the order they are fetched. The "AMEX" row holds
// the S&P 500 index.
inline constexpr const char* kExchangeCodes[] = {"NSDQ", "NYSE", "AMEX"};

// The exchange codes named in a text ("NSDQ,NYSE,AMEX", blanks or semicolons also separate),
// upper-cased, known codes only, in order, without repeats.
std::vector<std::string> ExchangesOf(const std::string& exchanges);

// Fetches the statistics of the named exchanges that are due (no row, never checked, or checked
// longer ago than EXCHANGE_DATA_REFRESH_SECONDS) into AQ_StockExchangeData: per exchange, its
// index's Stock element with AdvIssue, DecIssue, NewHigh, NewLow and CuVol of its market breadth
// appended. One quote request for all of them; all rows are written in one transaction.
// "OK" (also when nothing was due), "PARTIALOK", "FAIL" (a time-out included) or
// "CONNECTIVITYLOST"; a failure leaves the rows as they were.
std::string FetchStockExchangeData(const std::string& exchanges, std::string& description);

}  // namespace kavex::addin::marketdata
