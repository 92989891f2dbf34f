#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "addin/marketdata/QuoteFetch.h"
#include "platform/base/Date.h"
#include "platform/db/Clock.h"
#include "services/Fault.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::marketdata {
namespace {

using testing::LiveServicesFixture;

// The first n symbols of the synthetic market (stocks of NSDQ, then NYSE).
std::vector<std::string> listedSymbols(std::size_t n) {
    static const std::vector<std::string> all{
        "AAPL", "MSFT", "INTC", "CSCO", "AMZN", "GOOG", "META", "NVDA", "ADBE", "QCOM",
        "AMGN", "COST", "PEP",  "SBUX", "NFLX", "PYPL", "TSLA", "AMD",  "GILD", "EBAY",
        "LCID", "NXTG", "IBM",  "GE",   "KO",   "T",    "JNJ",  "PG",   "XOM",  "WMT"};
    return {all.begin(), all.begin() + static_cast<long>(n)};
}

std::size_t symbolsAsked(const services::ServedRequest& request) {
    const auto found = request.params.find("symbols");
    if (found == request.params.end() || found->second.empty())
        return 0;
    std::size_t n = 1;
    for (const char c : found->second)
        n += c == ',' ? 1 : 0;
    return n;
}

class QuoteFetchTest : public LiveServicesFixture {
  protected:
    // A cached quote that a failed fetch must leave as it is.
    void cacheOldQuote(const std::string& symbol) {
        sql("INSERT INTO AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate, LastFetchDate) "
            "VALUES('" +
            symbol + "', '<Stock><Symbol>" + symbol +
            "</Symbol><Last>1.00</Last></Stock>', '2001-02-03 04:05:06', '2001-02-03 04:05:06')");
    }
    // The commits in the database's write-ahead log: the frames that end a transaction, from
    // the start of the log up to the first frame of an earlier use of it (whose salts differ
    // from the log header's).
    std::size_t commitsInLog() {
        std::ifstream file(folder_ / "Kavex.mdb-wal", std::ios::binary);
        const auto word = [](const std::array<unsigned char, 32>& bytes, std::size_t at) {
            return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
                   (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
        };
        std::array<unsigned char, 32> header{};
        if (!file.read(reinterpret_cast<char*>(header.data()), header.size()))
            return 0;
        const std::uint32_t pageSize = word(header, 8);
        std::size_t commits = 0;
        std::array<unsigned char, 32> frame{};
        while (file.read(reinterpret_cast<char*>(frame.data()), 24) &&
               word(frame, 8) == word(header, 16) && word(frame, 12) == word(header, 20)) {
            commits += word(frame, 4) != 0 ? 1 : 0;  // the database's size after a commit
            file.seekg(pageSize, std::ios::cur);
        }
        return commits;
    }
    // A symbol whose row the database refuses to write.
    void refuseToStore(const std::string& symbol) {
        sql("CREATE TRIGGER refuse_" + symbol + " BEFORE INSERT ON AQ_StockSymbolData WHEN " +
            "NEW.Symbol = '" + symbol + "' BEGIN SELECT RAISE(ABORT, 'refused " + symbol +
            "'); END");
    }
    std::vector<std::string> cacheSnapshot() {
        return column(
            "SELECT Symbol || '|' || IFNULL(SymbolData, '') || '|' || "
            "IFNULL(LastCheckDate, '') || '|' || IFNULL(LastFetchDate, '') FROM "
            "AQ_StockSymbolData ORDER BY Symbol");
    }
};

TEST_F(QuoteFetchTest, AddSymbolsAsksInBatchesOf25AndStoresEveryStockWithFreshDates) {
    std::string description;
    const std::vector<std::string> symbols = listedSymbols(30);
    EXPECT_EQ(AddSymbols(session::UserSessionKey, symbols, 0, "", description), "OK")
        << description;

    const auto requests = requestsTo("/tools/XM01");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(symbolsAsked(requests[0]), 25u);
    EXPECT_EQ(symbolsAsked(requests[1]), 5u);
    EXPECT_EQ(requests[0].referer, session::ExFeedReferrer);

    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData"), 30u);
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData WHERE LastCheckDate IS NULL OR "
                    "LastFetchDate IS NULL"),
              0u);
    const auto ibm = column("SELECT SymbolData FROM AQ_StockSymbolData WHERE Symbol = 'IBM'");
    ASSERT_EQ(ibm.size(), 1u);
    xml::Document stored;
    ASSERT_TRUE(stored.loadXML(ibm[0]));
    EXPECT_EQ(stored.selectSingleNode("Stock/Symbol").text(), "IBM");
    EXPECT_FALSE(stored.selectSingleNode("Stock/Last").text().empty());
}

TEST_F(QuoteFetchTest, TheQuotesOfEveryBatchReachTheFileInOneWrite) {
    std::string description;
    const std::size_t before = commitsInLog();
    EXPECT_EQ(AddSymbols("", listedSymbols(30), 0, "", description), "OK") << description;
    EXPECT_EQ(requestsTo("/tools/XM01").size(), 2u);
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData WHERE SymbolData IS NOT NULL"), 30u);
    EXPECT_EQ(commitsInLog(), before + 1);
}

TEST_F(QuoteFetchTest, ABatchThatCannotBeStoredCostsOnlyItsOwnQuotes) {
    // XOM is in the second batch, which is lost; the first is kept.
    refuseToStore("XOM");
    std::string description;
    EXPECT_EQ(AddSymbols("", listedSymbols(30), 0, "", description), "PARTIALOK");
    EXPECT_EQ(description, "Error while storing quotes: (-2147217873) refused XOM");
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData"), 25u);
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData WHERE Symbol IN ('T', 'JNJ', 'PG', "
                    "'XOM', 'WMT')"),
              0u);
    EXPECT_NE(log().find("Fetched 25 of 30 symbols. Status : PARTIALOK"), std::string::npos)
        << log();
}

TEST_F(QuoteFetchTest, TheDescriptionTellsTheLastBatchThatFailed) {
    // The first batch cannot be stored, the second answers without one of its symbols: the
    // description is the second's.
    std::vector<std::string> symbols = listedSymbols(30);
    symbols[27] = "NOSUCH";
    refuseToStore("AAPL");
    std::string description;
    EXPECT_EQ(AddSymbols("", symbols, 0, "", description), "PARTIALOK");
    EXPECT_EQ(description.rfind("NOSUCH", 0), 0u) << description;
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData"), 4u);

    // The other way round: the description is the failed store of the second batch.
    sql("DROP TRIGGER refuse_AAPL");
    sql("DELETE FROM AQ_StockSymbolData");
    symbols = listedSymbols(30);
    symbols[3] = "NOSUCH";
    refuseToStore("XOM");
    EXPECT_EQ(AddSymbols("", symbols, 0, "", description), "PARTIALOK");
    EXPECT_EQ(description, "Error while storing quotes: (-2147217873) refused XOM");
}

TEST_F(QuoteFetchTest, ExactlyTwentyFiveSymbolsTakeOneRequest) {
    std::string description;
    EXPECT_EQ(AddSymbols("", listedSymbols(25), 0, "", description), "OK");
    EXPECT_EQ(requestsTo("/tools/XM01").size(), 1u);
}

TEST_F(QuoteFetchTest, AnUnknownSymbolMakesThePartialResultAndGetsNoRow) {
    std::string description;
    EXPECT_EQ(AddSymbols("", std::vector<std::string>{"IBM", "NOSUCH"}, 0, "", description),
              "PARTIALOK");
    EXPECT_EQ(column("SELECT Symbol FROM AQ_StockSymbolData"), (std::vector<std::string>{"IBM"}));
    EXPECT_NE(description.find("NOSUCH"), std::string::npos);
}

TEST_F(QuoteFetchTest, ATextListIsSplitAtCommasAndKeysIgnoreLetterCase) {
    cacheOldQuote("MSFT");
    std::string description;
    EXPECT_EQ(AddSymbols("", base::Variant(" ibm , msft,,IBM "), 0, "", description), "OK");
    EXPECT_EQ(symbolsAsked(requestsTo("/tools/XM01").at(0)), 2u);
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData"), 2u);
    const auto msft = column("SELECT LastFetchDate FROM AQ_StockSymbolData WHERE Symbol = 'MSFT'");
    EXPECT_NE(msft.at(0), "<null>");
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData WHERE SymbolData LIKE "
                    "'%<Last>1.00</Last>%'"),
              0u);
}

TEST_F(QuoteFetchTest, NothingToFetchIsOKWithoutARequest) {
    std::string description;
    EXPECT_EQ(AddSymbols("", base::Variant(), 0, "", description), "OK");
    EXPECT_EQ(AddSymbols("", base::Variant::missing(), 0, "", description), "OK");
    EXPECT_EQ(AddSymbols("", std::vector<std::string>{}, 0, "", description), "OK");
    EXPECT_TRUE(requestsTo("/tools/XM01").empty());
}

TEST_F(QuoteFetchTest, AServerThatIsDownLeavesTheCacheAsItWas) {
    cacheOldQuote("IBM");
    const auto before = cacheSnapshot();
    server_->setFault(services::Fault::Down);
    std::string description;
    EXPECT_EQ(AddSymbols("", listedSymbols(30), 0, "", description), "CONNECTIVITYLOST");
    EXPECT_EQ(cacheSnapshot(), before);
}

TEST_F(QuoteFetchTest, ASlowServerTimesOutAndLeavesTheCacheAsItWas) {
    cacheOldQuote("IBM");
    const auto before = cacheSnapshot();
    core::WebRequestTimeout = std::chrono::milliseconds(300);
    server_->setFault(services::Fault::Slow);
    std::string description;
    EXPECT_EQ(AddSymbols("", listedSymbols(30), 0, "", description), "FAIL");
    EXPECT_NE(description.find("TIMEOUT"), std::string::npos) << description;
    // The service is not asked again for the second batch once it failed to answer.
    EXPECT_LE(requestsTo("/tools/XM01").size(), 1u);
    EXPECT_EQ(cacheSnapshot(), before);
}

TEST_F(QuoteFetchTest, AnHttpErrorLeavesTheCacheAsItWas) {
    cacheOldQuote("IBM");
    const auto before = cacheSnapshot();
    server_->setFault(services::Fault::Http500);
    std::string description;
    EXPECT_EQ(AddSymbols("", std::vector<std::string>{"IBM", "KO"}, 0, "", description), "FAIL");
    EXPECT_EQ(cacheSnapshot(), before);
}

TEST_F(QuoteFetchTest, MalformedXmlLeavesTheCacheAsItWas) {
    cacheOldQuote("IBM");
    const auto before = cacheSnapshot();
    server_->setFault(services::Fault::BadXml);
    std::string description;
    EXPECT_EQ(AddSymbols("", std::vector<std::string>{"IBM", "KO"}, 0, "", description), "FAIL");
    EXPECT_EQ(cacheSnapshot(), before);
}

TEST_F(QuoteFetchTest, ARefusedReferrerIsAFailure) {
    session::ExFeedReferrer = "someone-else";
    std::string description;
    EXPECT_EQ(AddSymbols("", std::vector<std::string>{"IBM"}, 0, "", description), "FAIL");
    EXPECT_NE(description.find("invalid_referrer"), std::string::npos) << description;
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData"), 0u);
}

TEST_F(QuoteFetchTest, AStampRoundedUpToTheNextSecondIsStillFresh) {
    // 10:00:00.6 is stored as 10:00:01, a little ahead of the clock that wrote it.
    const base::Date written{base::makeDate(2026, 12, 7, 10, 0, 0)->serial + 0.6 / 86400.0};
    db::setClock([written] { return written; });
    sql("INSERT INTO AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate, LastFetchDate) "
        "VALUES('IBM', '<Stock><Last>2</Last></Stock>', Now(), Now())");
    EXPECT_EQ(CheckStockSymbolDataStatus("IBM"), "DATANOTFETCHED");
    // A stamp well ahead of the clock (a clock set back) is due.
    db::setClock([written] { return base::addSeconds(written, -120); });
    EXPECT_EQ(CheckStockSymbolDataStatus("IBM"), "DATAFETCHED");
    db::setClock({});
}

TEST_F(QuoteFetchTest, TheRefreshFetchAsksOnlyForDueSymbols) {
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('KO')");  // registered, never fetched
    cacheOldQuote("GE");                                         // checked long ago
    sql("INSERT INTO AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate, LastFetchDate) "
        "VALUES('IBM', '<Stock><Last>2</Last></Stock>', Now(), Now())");  // fresh
    EXPECT_EQ(CheckStockSymbolDataStatus("KO"), "DATAFETCHED");
    EXPECT_EQ(CheckStockSymbolDataStatus("GE"), "DATAFETCHED");
    EXPECT_EQ(CheckStockSymbolDataStatus("ibm"), "DATANOTFETCHED");
    EXPECT_EQ(CheckStockSymbolDataStatus("PG"), "DATAFETCHED");

    std::string description;
    EXPECT_EQ(FetchStockSymbolData(std::vector<std::string>{"IBM", "KO", "GE", "PG"}, description),
              "OK");
    const auto requests = requestsTo("/tools/XM01");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].params.find("symbols")->second, "KO,GE,PG");
    EXPECT_EQ(column("SELECT SymbolData FROM AQ_StockSymbolData WHERE Symbol = 'IBM'").at(0),
              "<Stock><Last>2</Last></Stock>");

    // Everything is fresh now: no request at all.
    EXPECT_EQ(FetchStockSymbolData(std::vector<std::string>{"IBM", "KO", "GE", "PG"}, description),
              "OK");
    EXPECT_EQ(requestsTo("/tools/XM01").size(), 1u);
}

TEST_F(QuoteFetchTest, ALongListFindsItsDueSymbolsWhateverTheirLetterCase) {
    std::vector<std::string> symbols;
    for (int i = 0; i < 250; ++i) {
        const std::string symbol = "F" + std::to_string(1000 + i);
        sql("INSERT INTO AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate, LastFetchDate) "
            "VALUES('" +
            symbol + "', '<Stock><Last>2</Last></Stock>', Now(), Now())");
        symbols.push_back(i % 2 == 0 ? symbol : "f" + symbol.substr(1));
    }
    cacheOldQuote("IBM");
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('GE')");
    symbols.insert(symbols.begin(), "ibm");
    symbols.insert(symbols.begin() + 150, "KO");
    symbols.push_back("Ge");
    std::string description;
    EXPECT_EQ(FetchStockSymbolData(symbols, description), "OK") << description;
    const auto requests = requestsTo("/tools/XM01");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].params.find("symbols")->second, "ibm,KO,Ge");
}

TEST_F(QuoteFetchTest, SymbolsNeedingEncodingReachTheServiceIntact) {
    std::string description;
    EXPECT_EQ(AddSymbols("", std::vector<std::string>{"BRK.B", "%MSFTAD"}, 0, "", description),
              "OK")
        << description;
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolData WHERE Symbol IN ('BRK.B', "
                    "'%MSFTAD')"),
              2u);
}

}  // namespace
}  // namespace kavex::addin::marketdata
