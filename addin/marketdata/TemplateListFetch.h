#pragma once

#include <string>
#include <string_view>

namespace kavex::addin::marketdata {

// The template code of a top-list sheet kind ("Vol Leaders" -> "VOL_LEADERS", "Price Gainers" ->
// "PRICE_GAINERS", "Price Losers" -> "PRICE_LOSERS"; compared exactly); empty for other kinds.
std::string_view TemplateCodeOfSheetKind(std::string_view sheetKind);

// Fetches the ranked list of the template code and exchange from the quote service unless the
// cached one is younger than TEMPLATE_LIST_REFRESH_SECONDS (AQ_TemplateListsUpdateDates), and
// replaces the list's rows of AQ_TemplateLists; the quotes that came with it are stored in
// AQ_StockSymbolData. All in one transaction. "OK", "FAIL" (a time-out included) or
// "CONNECTIVITYLOST"; a failure leaves the cached list as it was.
std::string FetchTemplateLists(const std::string& templateCode, const std::string& exchange,
                               std::string& description);

}  // namespace kavex::addin::marketdata
