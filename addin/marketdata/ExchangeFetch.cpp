#include "addin/marketdata/ExchangeFetch.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "addin/core/Log.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/marketdata/QuoteRequest.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::marketdata {

namespace {

constexpr long kDefaultExchangeFreshSeconds = 15;

// The quote service's symbols of an exchange's index (the S&P 500 for "AMEX") and market breadth.
std::string indexSymbol(const std::string& exchange) {
    return "$IDX." + exchange;
}
std::string breadthSymbol(const std::string& exchange) {
    return "$BRD." + exchange;
}

// The market-breadth elements appended to the index's quote.
const std::vector<std::string_view> kBreadthElements{"AdvIssue", "DecIssue", "NewHigh", "NewLow",
                                                     "CuVol"};

bool isDue(db::Connection& connection, const std::string& exchange, long fresh) {
    db::Recordset rows;
    rows.Open(
        "SELECT LastCheckDate FROM AQ_StockExchangeData WHERE Exchange = " + SqlQuoted(exchange),
        connection);
    const base::Variant lastCheck = rows.Eof() ? base::Variant::null() : rows.Fields(0);
    rows.Close();
    return IsDue(lastCheck, fresh);
}

void storeExchange(db::Connection& connection, const std::string& exchange,
                   const std::string& data) {
    const long updated = connection.Execute(
        "UPDATE AQ_StockExchangeData SET ExchangeData = " + SqlQuoted(data) +
        ", LastCheckDate = Now(), LastFetchDate = Now() WHERE Exchange = " + SqlQuoted(exchange));
    if (updated == 0)
        connection.Execute(
            "INSERT INTO AQ_StockExchangeData(Exchange, ExchangeData, LastCheckDate, "
            "LastFetchDate) VALUES(" +
            SqlQuoted(exchange) + ", " + SqlQuoted(data) + ", Now(), Now())");
}

xml::Node stockOf(const QuoteAnswer& answer, const std::string& symbol) {
    for (const xml::Node& stock : answer.stocks) {
        if (base::toUpperAscii(ChildText(stock, "Symbol")) == symbol &&
            !stock.selectSingleNode("Error"))
            return stock;
    }
    return {};
}

}  // namespace

std::vector<std::string> ExchangesOf(const std::string& exchanges) {
    std::vector<std::string> codes;
    std::string word;
    const auto flush = [&] {
        const std::string code = base::toUpperAscii(word);
        word.clear();
        const bool known = std::any_of(std::begin(kExchangeCodes), std::end(kExchangeCodes),
                                       [&](const char* c) { return code == c; });
        if (known && std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(code);
    };
    for (const char c : exchanges) {
        if (c == ',' || c == ';' || c == ' ' || c == '\t')
            flush();
        else
            word += c;
    }
    flush();
    return codes;
}

std::string FetchStockExchangeData(const std::string& exchanges, std::string& description) {
    std::vector<std::string> due;
    try {
        db::Connection& connection = CacheConnection();
        const long fresh =
            FreshnessSeconds("EXCHANGE_DATA_REFRESH_SECONDS", kDefaultExchangeFreshSeconds);
        for (const std::string& exchange : ExchangesOf(exchanges)) {
            if (isDue(connection, exchange, fresh))
                due.push_back(exchange);
        }
    } catch (const std::exception& error) {
        description = "Error while checking the exchange statistics: " + ErrorText(error);
        core::WriteLog("FetchStockExchangeData", 1, description);
        return std::string(kFail);
    }
    if (due.empty())
        return std::string(kOK);

    std::vector<std::string> symbols;
    for (const std::string& exchange : due) {
        symbols.push_back(indexSymbol(exchange));
        symbols.push_back(breadthSymbol(exchange));
    }
    const QuoteAnswer answer = RequestQuotes(symbols);
    std::size_t stored = 0;
    if (answer.status != kOK) {
        description = answer.status + ": " + answer.description;
    } else {
        std::vector<std::pair<std::string, std::string>> rows;
        for (const std::string& exchange : due) {
            const xml::Node index = stockOf(answer, indexSymbol(exchange));
            const xml::Node breadth = stockOf(answer, breadthSymbol(exchange));
            if (!index || !breadth) {
                description = "The quote service sent no statistics for " + exchange + ".";
                continue;
            }
            rows.emplace_back(exchange,
                              StockXml(index, kBreadthElements, breadth, kBreadthElements));
        }
        try {
            db::Connection& connection = CacheConnection();
            CacheTransaction transaction(connection);
            for (const auto& [exchange, data] : rows)
                storeExchange(connection, exchange, data);
            transaction.commit();
            stored = rows.size();
        } catch (const std::exception& error) {
            description = "Error while storing the exchange statistics: " + ErrorText(error);
        }
    }
    const std::string status =
        CombinedStatus(stored, due.size(), answer.status == kConnectivityLost);
    if (status != kOK)
        core::WriteLog("FetchStockExchangeData", 1,
                       "Status : " + status + " Error Description : " + description);
    return status;
}

}  // namespace kavex::addin::marketdata
