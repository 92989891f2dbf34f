#pragma once

#include <string>
#include <vector>

namespace kavex::addin::marketdata {

// A dividend or split the web service reported for a symbol the cache holds.
struct DivSplitItem {
    std::string Symbol;
    std::string Type;           // "Dividend" or "Split"
    std::string EffectiveDate;  // as the service sends it
    std::string Value;          // amount per share, or the ratio "2:1"
};

// Fetches the dividends and splits since DIVSPL_LAST_EFFECTIVE_DATE for the symbols the cache
// follows and those of the open portfolios, records them in LastDivSplitItems and books them into
// the portfolios (each once, however often the service reports it): "OK", or a transport status or
// the service's error code.
std::string GetDivSPLData();

// What the last successful GetDivSPLData received.
inline std::vector<DivSplitItem> LastDivSplitItems;

}  // namespace kavex::addin::marketdata
