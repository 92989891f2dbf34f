#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "addin/marketdata/ExchangeFetch.h"
#include "addin/marketdata/TemplateListFetch.h"
#include "services/Fault.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::marketdata {
namespace {

using testing::LiveServicesFixture;

class ExchangeAndTopListTest : public LiveServicesFixture {
  protected:
    std::string element(const std::string& document, const std::string& path) {
        xml::Document parsed;
        if (!parsed.loadXML(document))
            return "<not xml>";
        const xml::Node node = parsed.selectSingleNode(path);
        return node ? node.text() : "<none>";
    }
    std::string exchangeData(const std::string& exchange) {
        const auto rows = column(
            "SELECT ExchangeData FROM AQ_StockExchangeData WHERE Exchange = '" + exchange + "'");
        return rows.empty() ? "<no row>" : rows[0];
    }
};

TEST_F(ExchangeAndTopListTest, ExchangeCodesAreReadFromAnyListOfKnownCodes) {
    EXPECT_EQ(ExchangesOf("NSDQ,NYSE,AMEX"), (std::vector<std::string>{"NSDQ", "NYSE", "AMEX"}));
    EXPECT_EQ(ExchangesOf(" nyse; NSDQ nyse "), (std::vector<std::string>{"NYSE", "NSDQ"}));
    EXPECT_TRUE(ExchangesOf("NASDAQ, ,").empty());
}

TEST_F(ExchangeAndTopListTest, EachExchangeStoresItsIndexWithTheMarketBreadthAppended) {
    // Fixed figures, so that what is stored can be told apart from chance.
    server_->backend().overrideQuote("$IDX.NYSE", {{"Last", "9123.45"}});
    server_->backend().overrideQuote("$BRD.NYSE", {{"AdvIssue", "1234"},
                                                   {"DecIssue", "2345"},
                                                   {"NewHigh", "56"},
                                                   {"NewLow", "78"},
                                                   {"CuVol", "987654321"}});
    std::string description;
    EXPECT_EQ(FetchStockExchangeData("NSDQ,NYSE,AMEX", description), "OK") << description;
    ASSERT_EQ(requestsTo("/tools/XM01").size(), 1u);

    const std::string nyse = exchangeData("NYSE");
    EXPECT_EQ(element(nyse, "Stock/Last"), "9123.45");
    EXPECT_EQ(element(nyse, "Stock/AdvIssue"), "1234");
    EXPECT_EQ(element(nyse, "Stock/DecIssue"), "2345");
    EXPECT_EQ(element(nyse, "Stock/NewHigh"), "56");
    EXPECT_EQ(element(nyse, "Stock/NewLow"), "78");
    EXPECT_EQ(element(nyse, "Stock/CuVol"), "987654321");
    // The AMEX row carries the S&P 500 index.
    EXPECT_EQ(element(exchangeData("AMEX"), "Stock/Symbol"), "$IDX.AMEX");
    EXPECT_NE(element(exchangeData("NSDQ"), "Stock/AdvIssue"), "<none>");
    EXPECT_EQ(count("SELECT Exchange FROM AQ_StockExchangeData WHERE LastCheckDate IS NULL OR "
                    "LastFetchDate IS NULL"),
              0u);

    // Fresh rows are not asked for again.
    EXPECT_EQ(FetchStockExchangeData("NSDQ,NYSE,AMEX", description), "OK");
    EXPECT_EQ(requestsTo("/tools/XM01").size(), 1u);
}

TEST_F(ExchangeAndTopListTest, AFailedExchangeFetchLeavesTheRowsAsTheyWere) {
    sql("INSERT INTO AQ_StockExchangeData(Exchange, ExchangeData, LastCheckDate) VALUES('NYSE', "
        "'<Stock><Last>1</Last></Stock>', '2001-01-01 00:00:00')");
    server_->setFault(services::Fault::BadXml);
    std::string description;
    EXPECT_EQ(FetchStockExchangeData("NYSE,AMEX", description), "FAIL");
    EXPECT_EQ(exchangeData("NYSE"), "<Stock><Last>1</Last></Stock>");
    EXPECT_EQ(exchangeData("AMEX"), "<no row>");

    server_->setFault(services::Fault::Down);
    EXPECT_EQ(FetchStockExchangeData("NYSE", description), "CONNECTIVITYLOST");
    EXPECT_EQ(exchangeData("NYSE"), "<Stock><Last>1</Last></Stock>");
}

TEST_F(ExchangeAndTopListTest, ARankedListReplacesOnlyItsOwnRows) {
    sql("INSERT INTO AQ_TemplateLists VALUES('PRICE_GAINERS', 'NYSE', 99, 'OLD')");
    sql("INSERT INTO AQ_TemplateLists VALUES('PRICE_GAINERS', 'NSDQ', 1, 'KEEP1')");
    sql("INSERT INTO AQ_TemplateLists VALUES('VOL_LEADERS', 'NYSE', 1, 'KEEP2')");
    std::string description;
    EXPECT_EQ(FetchTemplateLists("VOL_LEADERS", "NYSE", description), "OK") << description;

    const auto ranks = column(
        "SELECT DisplayOrder FROM AQ_TemplateLists WHERE TemplateCode = 'VOL_LEADERS' AND "
        "Exchange = 'NYSE' ORDER BY DisplayOrder");
    ASSERT_FALSE(ranks.empty());
    for (std::size_t i = 0; i < ranks.size(); ++i)
        EXPECT_EQ(ranks[i], std::to_string(i + 1));
    EXPECT_EQ(count("SELECT Symbol FROM AQ_TemplateLists WHERE Symbol = 'KEEP2'"), 0u);
    EXPECT_EQ(count("SELECT Symbol FROM AQ_TemplateLists WHERE Symbol IN ('OLD', 'KEEP1')"), 2u);

    // The quotes that came with the list are cached without the list's own elements.
    const auto first = column(
        "SELECT d.SymbolData FROM AQ_TemplateLists t JOIN AQ_StockSymbolData d ON d.Symbol = "
        "t.Symbol WHERE t.TemplateCode = 'VOL_LEADERS' AND t.DisplayOrder = 1");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(element(first[0], "Stock/Last"), "<none>");
    EXPECT_EQ(element(first[0], "Stock/Rank"), "<none>");
    EXPECT_EQ(element(first[0], "Stock/List"), "<none>");
    EXPECT_EQ(count("SELECT TemplateCode FROM AQ_TemplateListsUpdateDates WHERE TemplateCode = "
                    "'VOL_LEADERS' AND Exchange = 'NYSE' AND LastFetchDate IS NOT NULL"),
              1u);

    // A fresh list is not asked for again.
    EXPECT_EQ(FetchTemplateLists("VOL_LEADERS", "NYSE", description), "OK");
    EXPECT_EQ(requestsTo("/tools/XM01").size(), 1u);
}

TEST_F(ExchangeAndTopListTest, ARankTheListCannotHoldGivesWayToTheQuotesPlace) {
    // A quote service of another make, whose ranks are not all whole numbers of a list.
    httplib::Server quotes;
    quotes.Get("/tools/XM01", [](const httplib::Request&, httplib::Response& response) {
        std::string body = "<StockData>";
        for (const auto& [symbol, rank] : std::vector<std::pair<std::string, std::string>>{
                 {"AAA", "1e300"}, {"BBB", "-7"}, {"CCC", "2.5"}, {"DDD", "4"}}) {
            body += "<Stock><Symbol>" + symbol + "</Symbol><List>$TOP.PRICE_GAINERS.NSDQ</List>" +
                    "<Rank>" + rank + "</Rank><Last>10</Last></Stock>";
        }
        response.set_content(body + "</StockData>", "text/xml");
    });
    const int port = quotes.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { quotes.listen_after_bind(); });
    while (!quotes.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    core::QuoteServiceURL = "http://127.0.0.1:" + std::to_string(port);

    std::string description;
    const std::string status = FetchTemplateLists("PRICE_GAINERS", "NSDQ", description);
    quotes.stop();
    serving.join();
    EXPECT_EQ(status, "OK") << description;
    EXPECT_EQ(column("SELECT DisplayOrder || '|' || Symbol FROM AQ_TemplateLists ORDER BY "
                     "DisplayOrder"),
              (std::vector<std::string>{"1|AAA", "2|BBB", "3|CCC", "4|DDD"}));
}

TEST_F(ExchangeAndTopListTest, AFailedListFetchKeepsTheOldList) {
    sql("INSERT INTO AQ_TemplateLists VALUES('PRICE_LOSERS', 'NSDQ', 1, 'OLD')");
    server_->setFault(services::Fault::Http500);
    std::string description;
    EXPECT_EQ(FetchTemplateLists("PRICE_LOSERS", "NSDQ", description), "FAIL");
    EXPECT_EQ(column("SELECT Symbol FROM AQ_TemplateLists"), (std::vector<std::string>{"OLD"}));
    EXPECT_EQ(count("SELECT TemplateCode FROM AQ_TemplateListsUpdateDates"), 0u);
}

TEST_F(ExchangeAndTopListTest, UnknownListsAndExchangesAreRefusedWithoutARequest) {
    std::string description;
    EXPECT_EQ(FetchTemplateLists("TOP_TALKERS", "NYSE", description), "FAIL");
    EXPECT_EQ(FetchTemplateLists("PRICE_GAINERS", "NASDAQ", description), "FAIL");
    EXPECT_TRUE(requestsTo("/tools/XM01").empty());
}

TEST_F(ExchangeAndTopListTest, SheetKindsNameTheirTemplateCodes) {
    EXPECT_EQ(TemplateCodeOfSheetKind("Vol Leaders"), "VOL_LEADERS");
    EXPECT_EQ(TemplateCodeOfSheetKind("Price Gainers"), "PRICE_GAINERS");
    EXPECT_EQ(TemplateCodeOfSheetKind("Price Losers"), "PRICE_LOSERS");
    EXPECT_EQ(TemplateCodeOfSheetKind("price losers"), "");
    EXPECT_EQ(TemplateCodeOfSheetKind("Watch List"), "");
}

}  // namespace
}  // namespace kavex::addin::marketdata
