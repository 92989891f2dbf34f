#include "addin/marketdata/DivSplit.h"

#include <algorithm>
#include <exception>

#include "addin/core/Strings.h"

#include "addin/core/Database.h"
#include "addin/core/Log.h"
#include "addin/core/WebTransport.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/marketdata/QuoteRequest.h"
#include "addin/portfolio/DividendsAndSplits.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"
#include "platform/xml/Document.h"

namespace kavex::addin::marketdata {

namespace {

// The symbols the cache follows, then those of the open portfolios it does not, comma-separated.
std::string followedSymbols() {
    std::vector<std::string> symbols;
    db::Recordset rows;
    rows.Open("SELECT Symbol FROM AQ_StockSymbolData ORDER BY Symbol", CacheConnection());
    for (; !rows.Eof(); rows.MoveNext()) {
        const base::Variant symbol = rows.Fields(0);
        if (symbol.isText() && !symbol.text().empty())
            symbols.push_back(symbol.text());
    }
    rows.Close();
    for (const std::string& held : portfolio::PortfolioSymbols()) {
        if (std::none_of(symbols.begin(), symbols.end(), [&](const std::string& symbol) {
                return base::equalsIgnoringCase(symbol, held);
            }))
            symbols.push_back(held);
    }
    std::string list;
    for (const std::string& symbol : symbols) {
        if (!list.empty())
            list += ',';
        list += symbol;
    }
    return list;
}

// Books what the service reported into the portfolios; each item once, however often it comes.
void bookIntoPortfolios(const std::vector<DivSplitItem>& items) {
    std::vector<portfolio::CorporateAction> actions;
    for (const DivSplitItem& item : items) {
        const auto date = base::parseDate(item.EffectiveDate);
        if (!date) {
            core::WriteLog("GetDivSPLData", 1,
                           "Error: the effective date " + item.EffectiveDate + " of " + item.Type +
                               " " + item.Symbol + " is not a date");
            continue;
        }
        actions.push_back({item.Symbol, item.Type, *date, item.Value});
    }
    portfolio::BookDividendsAndSplits(actions);
}

}  // namespace

std::string GetDivSPLData() {
    std::string status;
    std::string description;
    try {
        core::WriteLog("GetDivSPLData", 3, "Entering GetDivSPLData");
        const std::string symbols = followedSymbols();
        if (symbols.empty()) {
            // Nothing followed, nothing to ask for (an empty list would ask for every symbol).
            LastDivSplitItems.clear();
            core::WriteLog("GetDivSPLData", 3, "Exiting GetDivSPLData");
            return std::string(kOK);
        }
        const std::string fromDate = core::GetConfigSetting("DIVSPL_LAST_EFFECTIVE_DATE");
        xml::Document answer;
        status = core::CallWebService("GetDivSplData.jsp",
                                      "SessionKey=" + core::URLEncode(session::UserSessionKey) +
                                          "&FromDate=" + core::URLEncode(fromDate) +
                                          "&Symbols=" + core::URLEncode(symbols),
                                      answer, description);
        if (status == kOK) {
            std::vector<DivSplitItem> items;
            for (const xml::Node& item : answer.selectNodes("zurovizout/Items/Item")) {
                items.push_back({ChildText(item, "Symbol"), ChildText(item, "Type"),
                                 ChildText(item, "EffectiveDate"), ChildText(item, "Value")});
                core::WriteLog("GetDivSPLData", 2,
                               items.back().Type + " " + items.back().Symbol + " " +
                                   items.back().EffectiveDate + " " + items.back().Value);
            }
            LastDivSplitItems = std::move(items);
            bookIntoPortfolios(LastDivSplitItems);
        }
    } catch (const std::exception& error) {
        status = kFail;
        description = "Error while fetching dividends and splits: " + ErrorText(error);
    }
    if (status != kOK)
        core::WriteLog("GetDivSPLData", 1,
                       "Error Code : " + status + " Error Description : " + description);
    core::WriteLog("GetDivSPLData", 3, "Exiting GetDivSPLData");
    return status;
}

}  // namespace kavex::addin::marketdata
