#include "addin/marketdata/TemplateListFetch.h"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>
#include <vector>

#include "addin/core/Log.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/marketdata/ExchangeFetch.h"
#include "addin/marketdata/QuoteFetch.h"
#include "addin/marketdata/QuoteRequest.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::marketdata {

namespace {

constexpr long kDefaultTemplateFreshSeconds = 60;

struct TemplateKind {
    std::string_view sheetKind;
    std::string_view templateCode;
};

constexpr std::array<TemplateKind, 3> kTemplateKinds{{
    {"Vol Leaders", "VOL_LEADERS"},
    {"Price Gainers", "PRICE_GAINERS"},
    {"Price Losers", "PRICE_LOSERS"},
}};

// The elements the quote service adds to each quote of a ranked list.
const std::vector<std::string_view> kListElements{"List", "Rank"};

bool isDue(db::Connection& connection, const std::string& code, const std::string& exchange) {
    db::Recordset rows;
    rows.Open("SELECT LastCheckDate FROM AQ_TemplateListsUpdateDates WHERE TemplateCode = " +
                  SqlQuoted(code) + " AND Exchange = " + SqlQuoted(exchange),
              connection);
    const base::Variant lastCheck = rows.Eof() ? base::Variant::null() : rows.Fields(0);
    rows.Close();
    return IsDue(lastCheck,
                 FreshnessSeconds("TEMPLATE_LIST_REFRESH_SECONDS", kDefaultTemplateFreshSeconds));
}

// The rank the service gave a quote, when it is a whole number a list can hold; otherwise the
// quote's place in the answer.
int rankOf(const std::string& rankText, std::size_t place) {
    constexpr double kHighestRank = 100000;
    const auto rank = base::parseNumber(rankText);
    if (rank && *rank >= 1 && *rank <= kHighestRank && *rank == static_cast<int>(*rank))
        return static_cast<int>(*rank);
    return static_cast<int>(place);
}

struct RankedQuote {
    int rank = 0;
    std::string symbol;
    std::string stockXml;
};

// Replaces the list's rows and stamps its update dates; the quotes go to the symbol cache.
void storeList(const std::string& code, const std::string& exchange,
               const std::vector<RankedQuote>& list) {
    db::Connection& connection = CacheConnection();
    CacheTransaction transaction(connection);
    connection.Execute("DELETE FROM AQ_TemplateLists WHERE TemplateCode = " + SqlQuoted(code) +
                       " AND Exchange = " + SqlQuoted(exchange));
    for (const RankedQuote& quote : list) {
        connection.Execute(
            "INSERT INTO AQ_TemplateLists(TemplateCode, Exchange, DisplayOrder, Symbol) VALUES(" +
            SqlQuoted(code) + ", " + SqlQuoted(exchange) + ", " + std::to_string(quote.rank) +
            ", " + SqlQuoted(quote.symbol) + ")");
        InsertUpdateStockSymbolData(quote.symbol, quote.stockXml);
    }
    const long updated = connection.Execute(
        "UPDATE AQ_TemplateListsUpdateDates SET LastCheckDate = Now(), LastFetchDate = Now() "
        "WHERE TemplateCode = " +
        SqlQuoted(code) + " AND Exchange = " + SqlQuoted(exchange));
    if (updated == 0)
        connection.Execute(
            "INSERT INTO AQ_TemplateListsUpdateDates(TemplateCode, Exchange, LastCheckDate, "
            "LastFetchDate) VALUES(" +
            SqlQuoted(code) + ", " + SqlQuoted(exchange) + ", Now(), Now())");
    transaction.commit();
}

}  // namespace

std::string_view TemplateCodeOfSheetKind(std::string_view sheetKind) {
    for (const TemplateKind& kind : kTemplateKinds) {
        if (kind.sheetKind == sheetKind)
            return kind.templateCode;
    }
    return {};
}

std::string FetchTemplateLists(const std::string& templateCode, const std::string& exchange,
                               std::string& description) {
    const std::string code = base::toUpperAscii(templateCode);
    const std::vector<std::string> exchanges = ExchangesOf(exchange);
    const bool knownCode =
        std::any_of(kTemplateKinds.begin(), kTemplateKinds.end(),
                    [&](const TemplateKind& kind) { return kind.templateCode == code; });
    if (!knownCode || exchanges.size() != 1) {
        description = "No ranked list " + templateCode + " for exchange " + exchange + ".";
        core::WriteLog("FetchTemplateLists", 1, description);
        return std::string(kFail);
    }
    const std::string& market = exchanges.front();
    std::string status;
    try {
        if (!isDue(CacheConnection(), code, market))
            return std::string(kOK);
        const QuoteAnswer answer = RequestQuotes({"$TOP." + code + "." + market});
        status = answer.status;
        description = answer.description;
        if (status == kOK) {
            std::vector<RankedQuote> list;
            for (const xml::Node& stock : answer.stocks) {
                const std::string symbol = ChildText(stock, "Symbol");
                if (symbol.empty() || stock.selectSingleNode("Error"))
                    continue;
                list.push_back({rankOf(ChildText(stock, "Rank"), list.size() + 1), symbol,
                                StockXml(stock, kListElements)});
            }
            storeList(code, market, list);
        } else if (status == kTimeout) {
            status = kFail;
        }
    } catch (const std::exception& error) {
        status = kFail;
        description = "Error while storing the ranked list: " + ErrorText(error);
    }
    if (status != kOK)
        core::WriteLog("FetchTemplateLists", 1,
                       "Error Code : " + status + " Error Description : " + description);
    return status;
}

}  // namespace kavex::addin::marketdata
