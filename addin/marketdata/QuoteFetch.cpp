#include "addin/marketdata/QuoteFetch.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "addin/core/Log.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/marketdata/QuoteRequest.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/db/Recordset.h"

namespace kavex::addin::marketdata {

namespace {

constexpr long kDefaultSymbolFreshSeconds = 15;

// What the answer to one request for up to 25 symbols gave: the quotes to store (a symbol the
// service does not know, a Stock element with an Error, or one it leaves out is not stored), and
// what it wrote into the description, if anything.
struct BatchAnswer {
    bool answered = false;  // the service answered the request with quotes
    std::vector<std::pair<std::string, std::string>> quotes;
    std::optional<std::string> description;
    bool connectivityLost = false;
    bool stop = false;  // the service cannot be reached: the remaining batches are not tried
};

// Whether the service could not be reached at all, so that no further batch is tried.
bool unreachable(const QuoteAnswer& answer) {
    return answer.status == kConnectivityLost || answer.status == kTimeout;
}

BatchAnswer readBatch(const std::vector<std::string>& batch, const QuoteAnswer& answer) {
    BatchAnswer outcome;
    if (answer.status != kOK) {
        outcome.description = answer.status + ": " + answer.description;
        outcome.connectivityLost = answer.status == kConnectivityLost;
        outcome.stop = unreachable(answer);
        return outcome;
    }
    outcome.answered = true;
    // Each Stock's symbol read once, not once for every symbol asked for.
    std::vector<std::string> answeredSymbols;
    answeredSymbols.reserve(answer.stocks.size());
    for (const xml::Node& stock : answer.stocks)
        answeredSymbols.push_back(ChildText(stock, "Symbol"));
    for (const std::string& symbol : batch) {
        const auto found = std::find_if(answeredSymbols.begin(), answeredSymbols.end(),
                                        [&](const std::string& answered) {
                                            return base::equalsIgnoringCase(answered, symbol);
                                        });
        const auto stock = answer.stocks.begin() + (found - answeredSymbols.begin());
        if (stock == answer.stocks.end()) {
            outcome.description = "The quote service did not answer for " + symbol + ".";
        } else if (stock->selectSingleNode("Error")) {
            outcome.description = symbol + ": " + ChildText(*stock, "Error");
        } else {
            outcome.quotes.emplace_back(symbol, StockXml(*stock));
        }
    }
    return outcome;
}

void storeQuotes(const std::vector<std::pair<std::string, std::string>>& quotes) {
    for (const auto& [symbol, stockXml] : quotes)
        InsertUpdateStockSymbolData(symbol, stockXml);
}

// Stores every answered batch in one transaction, so that a fetch of many batches waits for the
// disk once. Raises the database's error, having kept nothing.
std::size_t storeTogether(const std::vector<BatchAnswer>& answers) {
    if (std::none_of(answers.begin(), answers.end(),
                     [](const BatchAnswer& answer) { return answer.answered; }))
        return 0;
    CacheTransaction transaction(CacheConnection());
    std::size_t stored = 0;
    for (const BatchAnswer& answer : answers) {
        storeQuotes(answer.quotes);
        stored += answer.quotes.size();
    }
    transaction.commit();
    return stored;
}

// Stores each answered batch in a transaction of its own, so that a batch that cannot be stored
// costs only its own quotes; the description ends as the batches, in their order, left it.
std::size_t storeEach(const std::vector<BatchAnswer>& answers, std::string& description) {
    std::size_t stored = 0;
    for (const BatchAnswer& answer : answers) {
        if (answer.description)
            description = *answer.description;
        if (!answer.answered)
            continue;
        try {
            CacheTransaction transaction(CacheConnection());
            storeQuotes(answer.quotes);
            transaction.commit();
            stored += answer.quotes.size();
        } catch (const std::exception& error) {
            description = "Error while storing quotes: " + ErrorText(error);
        }
    }
    return stored;
}

// Whether the symbol's cached quote is due, with quotes younger than fresh seconds not due.
std::string statusOf(const std::string& symbol, long fresh) {
    db::Recordset rows;
    rows.Open("SELECT LastCheckDate FROM AQ_StockSymbolData WHERE Symbol = " + SqlQuoted(symbol),
              CacheConnection());
    const base::Variant lastCheck = rows.Eof() ? base::Variant::null() : rows.Fields(0);
    rows.Close();
    return std::string(IsDue(lastCheck, fresh) ? kDataFetched : kDataNotFetched);
}

// The symbols whose cached quote is due, in list order. Their rows are looked up a hundred at a
// time, by one query whose marks stand for the symbols (unused marks for Null, which matches no
// row), rather than by a statement each.
std::vector<std::string> dueSymbols(const std::vector<std::string>& symbols, long fresh) {
    constexpr std::size_t kSymbolsPerQuery = 100;
    static const std::string query = [] {
        std::string text =
            "SELECT Symbol, LastCheckDate FROM AQ_StockSymbolData WHERE Symbol IN (?";
        for (std::size_t i = 1; i < kSymbolsPerQuery; ++i)
            text += ", ?";
        return text + ")";
    }();
    // Keys compare as the table's do: without regard to the case of ASCII letters.
    std::unordered_map<std::string, base::Variant> lastChecks;
    for (std::size_t start = 0; start < symbols.size(); start += kSymbolsPerQuery) {
        std::vector<base::Variant> values(kSymbolsPerQuery, base::Variant::null());
        for (std::size_t i = start; i < std::min(symbols.size(), start + kSymbolsPerQuery); ++i)
            values[i - start] = base::Variant(symbols[i]);
        db::Recordset rows;
        rows.Open(query, CacheConnection(), values);
        for (; !rows.Eof(); rows.MoveNext())
            lastChecks[base::toUpperAscii(base::CStr(rows.Fields(0)))] = rows.Fields(1);
        rows.Close();
    }
    std::vector<std::string> due;
    for (const std::string& symbol : symbols) {
        const auto found = lastChecks.find(base::toUpperAscii(symbol));
        if (IsDue(found == lastChecks.end() ? base::Variant::null() : found->second, fresh))
            due.push_back(symbol);
    }
    return due;
}

// Fetches the symbols in batches of 25, one request after the other, and stores the quotes once
// every batch has answered. The next batch is asked for as soon as the one before has answered,
// and that answer is read while the service works on the next.
std::string fetchSymbols(const char* procedure, const std::vector<std::string>& symbols,
                         std::string& description) {
    const auto batchAt = [&](std::size_t start) {
        const std::size_t end = std::min(symbols.size(), start + kQuoteBatchSize);
        return std::vector<std::string>(symbols.begin() + static_cast<long>(start),
                                        symbols.begin() + static_cast<long>(end));
    };
    std::vector<BatchAnswer> answers;
    bool connectivityLost = false;
    std::optional<PendingQuotes> pending;
    if (!symbols.empty())
        pending.emplace(batchAt(0));
    for (std::size_t start = 0; start < symbols.size(); start += kQuoteBatchSize) {
        const QuoteAnswer answer = pending->wait();
        pending.reset();
        if (!unreachable(answer) && start + kQuoteBatchSize < symbols.size())
            pending.emplace(batchAt(start + kQuoteBatchSize));
        answers.push_back(readBatch(batchAt(start), answer));
        connectivityLost = connectivityLost || answers.back().connectivityLost;
        if (answers.back().stop)
            break;
    }
    std::size_t stored = 0;
    try {
        stored = storeTogether(answers);
        for (const BatchAnswer& answer : answers) {
            if (answer.description)
                description = *answer.description;
        }
    } catch (const std::exception&) {
        // Nothing was kept: each batch on its own then keeps what can be kept.
        stored = storeEach(answers, description);
    }
    const std::string status = CombinedStatus(stored, symbols.size(), connectivityLost);
    if (status != kOK)
        core::WriteLog(procedure, 1,
                       "Fetched " + std::to_string(stored) + " of " +
                           std::to_string(symbols.size()) + " symbols. Status : " + status +
                           " Error Description : " + description);
    return status;
}

}  // namespace

std::string AddSymbols(const std::string& /*sessionKey*/, const SymbolList& symbolList,
                       short /*actionValue*/, const std::string& /*text*/,
                       std::string& description) {
    if (!HasSymbols(symbolList))
        return std::string(kOK);
    return fetchSymbols("AddSymbols", SymbolsOf(symbolList), description);
}

std::string FetchStockSymbolData(const SymbolList& symbolList, std::string& description) {
    std::vector<std::string> due;
    try {
        // One reading of the freshness serves the whole list.
        const long fresh =
            FreshnessSeconds("SYMBOL_DATA_REFRESH_SECONDS", kDefaultSymbolFreshSeconds);
        due = dueSymbols(SymbolsOf(symbolList), fresh);
    } catch (const std::exception& error) {
        description = "Error while checking the cached quotes: " + ErrorText(error);
        core::WriteLog("FetchStockSymbolData", 1, description);
        return std::string(kFail);
    }
    if (due.empty())
        return std::string(kOK);
    return fetchSymbols("FetchStockSymbolData", due, description);
}

std::string CheckStockSymbolDataStatus(const std::string& symbol) {
    return statusOf(symbol,
                    FreshnessSeconds("SYMBOL_DATA_REFRESH_SECONDS", kDefaultSymbolFreshSeconds));
}

void InsertUpdateStockSymbolData(const std::string& symbol, const std::string& stockXml) {
    db::Connection& connection = CacheConnection();
    // The document goes in as a value of its own: a statement of its text would be parsed anew
    // for every quote stored.
    const long updated = connection.Execute(
        "UPDATE AQ_StockSymbolData SET SymbolData = ?, LastCheckDate = Now(), LastFetchDate = "
        "Now() WHERE Symbol = ?",
        {base::Variant(stockXml), base::Variant(symbol)});
    if (updated == 0)
        connection.Execute(
            "INSERT INTO AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate, LastFetchDate) "
            "VALUES(?, ?, Now(), Now())",
            {base::Variant(symbol), base::Variant(stockXml)});
}

}  // namespace kavex::addin::marketdata
