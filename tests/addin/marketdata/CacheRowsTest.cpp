#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/marketdata/DataDates.h"
#include "addin/marketdata/DivSplit.h"
#include "addin/marketdata/SymbolRegistration.h"
#include "platform/base/Conversions.h"
#include "platform/base/Date.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::marketdata {
namespace {

using testing::LiveServicesFixture;

class CacheRowsTest : public LiveServicesFixture {
  protected:
    void TearDown() override {
        session::ShowDeprecatedMacroWarning = false;
        LastDivSplitItems.clear();
        LiveServicesFixture::TearDown();
    }
};

TEST_F(CacheRowsTest, DataDatesAreTheTextOfTheLastFetchDate) {
    sql("INSERT INTO AQ_StockSymbolData(Symbol, LastFetchDate) VALUES('IBM', '2007-03-15 "
        "10:30:00')");
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('KO')");
    sql("INSERT INTO AQ_StockExchangeData(Exchange, LastFetchDate) VALUES('NYSE', '2007-03-15 "
        "10:30:00')");
    const std::string expected = base::CStr(base::Variant(*base::makeDate(2007, 3, 15, 10, 30)));
    EXPECT_EQ(GetSymbolDate("IBM"), expected);
    EXPECT_EQ(GetSymbolDate("ibm"), expected);
    EXPECT_EQ(GetSymbolDate("KO"), "");      // never fetched
    EXPECT_EQ(GetSymbolDate("NOSUCH"), "");  // no row
    EXPECT_EQ(GetSymbolDate("O'NEIL"), "");  // an apostrophe is only text
    EXPECT_EQ(GetExchangeDate("NYSE", true), expected);
    EXPECT_EQ(GetExchangeDate("NSDQ", true), "");
}

TEST_F(CacheRowsTest, TheClassicExchangeDateShowsTheDeprecationNoticeOnce) {
    session::ShowDeprecatedMacroWarning = true;
    GetExchangeDate("NYSE", true);
    EXPECT_TRUE(forms::scriptedDriver().messages().empty());
    GetExchangeDate("NYSE", false);
    GetExchangeDate("NYSE", false);
    ASSERT_EQ(forms::scriptedDriver().messages().size(), 1u);
    EXPECT_EQ(forms::scriptedDriver().messages()[0].title, "Kavex");
    EXPECT_FALSE(session::ShowDeprecatedMacroWarning);
    // The symbol date never shows it.
    session::ShowDeprecatedMacroWarning = true;
    GetSymbolDate("IBM");
    EXPECT_EQ(forms::scriptedDriver().messages().size(), 1u);
}

TEST_F(CacheRowsTest, DataDatesOpenAClosedConnectionAndSurviveAMissingDatabase) {
    sql("INSERT INTO AQ_StockSymbolData(Symbol, LastFetchDate) VALUES('IBM', '2007-03-15 "
        "10:30:00')");
    core::DBConnection->Close();
    EXPECT_NE(GetSymbolDate("IBM"), "");
    core::DBConnection.reset();
    core::AddInPath = (folder_ / "elsewhere").string() + "/";
    EXPECT_EQ(GetSymbolDate("IBM"), "");
    EXPECT_EQ(GetExchangeDate("NYSE", true), "");
}

TEST_F(CacheRowsTest, ATypedSymbolGetsOneBareRow) {
    std::string symbol = "MSFT";
    std::string unused;
    AddNewExistingSymbol(symbol, unused);
    AddNewExistingSymbol(symbol, unused);
    std::string lower = "msft";
    AddNewExistingSymbol(lower, unused);
    EXPECT_EQ(symbol, "MSFT");
    EXPECT_EQ(lower, "msft");
    EXPECT_EQ(column("SELECT Symbol || '|' || IFNULL(SymbolData, '<null>') || '|' || "
                     "IFNULL(LastCheckDate, '<null>') FROM AQ_StockSymbolData"),
              (std::vector<std::string>{"MSFT|<null>|<null>"}));

    std::string quoted = "O'NEIL";
    AddNewExistingSymbol(quoted, unused);
    std::string blank = "   ";
    AddNewExistingSymbol(blank, unused);
    EXPECT_EQ(column("SELECT Symbol FROM AQ_StockSymbolData ORDER BY Symbol"),
              (std::vector<std::string>{"MSFT", "O'NEIL"}));
}

TEST_F(CacheRowsTest, ATypedSymbolKeepsTheCachedQuote) {
    sql("INSERT INTO AQ_StockSymbolData(Symbol, SymbolData) VALUES('IBM', '<Stock/>')");
    std::string symbol = "IBM";
    std::string unused;
    AddNewExistingSymbol(symbol, unused);
    EXPECT_EQ(column("SELECT SymbolData FROM AQ_StockSymbolData"),
              (std::vector<std::string>{"<Stock/>"}));
}

TEST_F(CacheRowsTest, DividendsAndSplitsAreFetchedForTheCachedSymbols) {
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('MSFT')");
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('AAPL')");
    EXPECT_EQ(GetDivSPLData(), "OK");
    const auto requests = requestsTo("/datafeeder/GetDivSplData.jsp");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].params.find("Symbols")->second, "AAPL,MSFT");
    ASSERT_EQ(LastDivSplitItems.size(), 3u);
    EXPECT_EQ(LastDivSplitItems[0].Symbol, "AAPL");
    EXPECT_EQ(LastDivSplitItems[0].Type, "Split");
    EXPECT_EQ(LastDivSplitItems[0].EffectiveDate, "2020-08-31");
    EXPECT_EQ(LastDivSplitItems[0].Value, "4:1");
    EXPECT_EQ(LastDivSplitItems[1].Symbol, "MSFT");
    EXPECT_EQ(LastDivSplitItems[1].Type, "Dividend");
    EXPECT_EQ(LastDivSplitItems[1].Value, "0.75");
}

TEST_F(CacheRowsTest, DividendsAndSplitsSinceTheLastBookedDateOnly) {
    sql("UPDATE ConfigSettings SET ConfigValue = '2024-01-01' WHERE ConfigKey = "
        "'DIVSPL_LAST_EFFECTIVE_DATE'");
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('MSFT')");
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('AAPL')");
    EXPECT_EQ(GetDivSPLData(), "OK");
    ASSERT_EQ(LastDivSplitItems.size(), 2u);
    EXPECT_EQ(LastDivSplitItems[0].Symbol, "MSFT");
    EXPECT_EQ(LastDivSplitItems[1].Symbol, "MSFT");
}

TEST_F(CacheRowsTest, DividendsAndSplitsWithoutSymbolsAskNothing) {
    EXPECT_EQ(GetDivSPLData(), "OK");
    EXPECT_TRUE(requestsTo("/datafeeder/GetDivSplData.jsp").empty());
}

TEST_F(CacheRowsTest, DividendsAndSplitsReportTheServicesError) {
    sql("INSERT INTO AQ_StockSymbolData(Symbol) VALUES('MSFT')");
    session::UserSessionKey = "expired";
    EXPECT_EQ(GetDivSPLData(), "invalid_session");
    EXPECT_TRUE(LastDivSplitItems.empty());
}

}  // namespace
}  // namespace kavex::addin::marketdata
