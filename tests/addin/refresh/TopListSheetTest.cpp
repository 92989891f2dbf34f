#include "addin/refresh/TopListSheet.h"

#include <gtest/gtest.h>

#include <string>

#include "addin/refresh/SheetProtection.h"
#include "platform/base/PlatformError.h"
#include "tests/addin/refresh/RefreshFixture.h"

namespace kavex::addin::refresh {
namespace {

class TopListSheetTest : public testing::RefreshFixture {
  protected:
    void SetUp() override {
        RefreshFixture::SetUp();
        cacheIndices(index("9123.45", "12.34"), index("2456.78", "-5.67"), index("1432.10", "0"));
    }
    // A ranked list of n symbols S1..Sn (quoted) for the exchange, ranked in reverse insertion.
    void rank(const std::string& code, const std::string& exchange, int n,
              const std::string& prefix = "S") {
        sql("delete from AQ_TemplateLists where TemplateCode = '" + code + "' and Exchange = '" +
            exchange + "'");
        for (int i = n; i >= 1; --i) {
            const std::string symbol = prefix + std::to_string(i);
            sql("insert into AQ_TemplateLists(TemplateCode, Exchange, DisplayOrder, Symbol) "
                "values('" +
                code + "', '" + exchange + "', " + std::to_string(i) + ", '" + symbol + "')");
            if (cachedRows(symbol) == 0) {
                cacheSymbol(symbol, "<Stock><Symbol>" + symbol + "</Symbol><Name>" + symbol +
                                        " Inc</Name><Last>" + std::to_string(10 + i) +
                                        "</Last><Change>-0.25</Change></Stock>");
            }
        }
    }
};

TEST_F(TopListSheetTest, AShorterListReplacesALongerOneAndClearsWhatIsLeft) {
    sheet::Worksheet ws = activate("Price Gainers");
    rank("PRICE_GAINERS", "NYSE", 25);
    RefreshTemplateWorksheet("NYSE", "Price Gainers", 25);
    EXPECT_EQ(shown(ws, "B5"), "S1");
    EXPECT_EQ(shown(ws, "B29"), "S25");
    EXPECT_EQ(shown(ws, "C29"), "S25 Inc");

    rank("PRICE_GAINERS", "NYSE", 10, "T");
    RefreshTemplateWorksheet("NYSE", "Price Gainers", 10);
    EXPECT_EQ(shown(ws, "B5"), "T1");
    EXPECT_EQ(shown(ws, "B14"), "T10");
    EXPECT_EQ(shown(ws, "B15"), "");
    EXPECT_EQ(shown(ws, "B29"), "");
    EXPECT_EQ(shown(ws, "C14"), "T10 Inc");
    EXPECT_EQ(shown(ws, "D5"), "$11.00");
    EXPECT_EQ(base::CDbl(ws.range("E5").font().color()), 255) << "the change is coloured";
    EXPECT_EQ(ws.range("B5").hyperlinks().item(1).subAddress(), "DetailsSymbol");
    EXPECT_EQ(ws.range("H14").hyperlinks().item(1).subAddress(), "BrowserNewsLink");
    EXPECT_EQ(ws.range("H14").text(), "N");
    EXPECT_NE(shown(ws, "A2").find("NASDAQ - 2,456.78 (-5.67"), std::string::npos);
    // It ends protected, events on, calculation automatic, B1 selected.
    EXPECT_TRUE(ws.protectContents());
    EXPECT_TRUE(app.enableEvents());
    EXPECT_EQ(app.calculation(), sheet::xlCalculationAutomatic);
    EXPECT_EQ(app.selection().address(), "$B$1");
    EXPECT_TRUE(logHas(
        "RefreshTemplateWorksheet\tExiting with Exchange :NYSE and TemplateType :Price Gainers"));
}

TEST_F(TopListSheetTest, AtMostCountSymbolsInRankOrderForTheSheetsOwnListAndExchange) {
    sheet::Worksheet ws = activate("Vol Leaders");
    rank("VOL_LEADERS", "NSDQ", 8);
    rank("VOL_LEADERS", "NYSE", 3, "N");
    rank("PRICE_LOSERS", "NSDQ", 5, "L");
    RefreshTemplateWorksheet("NSDQ", "Vol Leaders", 5);
    EXPECT_EQ(shown(ws, "B5"), "S1");
    EXPECT_EQ(shown(ws, "B9"), "S5");
    EXPECT_EQ(shown(ws, "B10"), "");

    // No list for the exchange: every symbol goes.
    RefreshTemplateWorksheet("AMEX", "Vol Leaders", 5);
    EXPECT_EQ(shown(ws, "B5"), "");
    EXPECT_TRUE(ws.protectContents());
}

TEST_F(TopListSheetTest, AnExchangeCellIsAlwaysTakenAsAValueNeverAsStatementText) {
    sheet::Worksheet ws = activate("Price Losers");
    rank("PRICE_LOSERS", "NYSE", 4);
    RefreshTemplateWorksheet("NYSE", "Price Losers", 10);
    ASSERT_EQ(shown(ws, "B8"), "S4");
    const long rows = count("select * from AQ_TemplateLists");
    for (const std::string& exchange :
         {std::string("x' OR '1'='1"), std::string("O'Hare"), std::string(""),
          std::string("NYSE'; delete from AQ_TemplateLists; --"), std::string(10000, 'X')}) {
        RefreshTemplateWorksheet(exchange, "Price Losers", 10);
        EXPECT_EQ(shown(ws, "B5"), "") << "no list for " << exchange.substr(0, 20);
        EXPECT_TRUE(ws.protectContents());
        EXPECT_TRUE(app.enableEvents());
    }
    EXPECT_EQ(count("select * from AQ_TemplateLists"), rows);
    EXPECT_EQ(count("select * from AQ_StockSymbolData"), 4);
}

TEST_F(TopListSheetTest, OtherKindsAndSheetsWithoutLinkColumnsAreLeftAlone) {
    sheet::Worksheet ws = activate("Watch List");
    RefreshTemplateWorksheet("NYSE", "Watch List", 10);
    EXPECT_EQ(shown(ws, "B5"), "");
    EXPECT_TRUE(logHas("Entering with Exchange :NYSE and TemplateType :Watch List"));
    EXPECT_FALSE(logHas("Exiting with Exchange :NYSE and TemplateType :Watch List"));

    // The link names do not resolve: error 1004 ends it quietly, protected and with events on.
    app.workbooks().add();
    app.setEnableEvents(false);
    RefreshTemplateWorksheet("NYSE", "Price Gainers", 10);
    EXPECT_TRUE(app.enableEvents());
    EXPECT_FALSE(logHas("RefreshTemplateWorksheet\tError"));
}

TEST_F(TopListSheetTest, AnIndexNotCachedStopsTheRefreshAfterTheSymbols) {
    sql("delete from AQ_StockExchangeData where Exchange = 'AMEX'");
    sheet::Worksheet ws = activate("Price Gainers");
    rank("PRICE_GAINERS", "NYSE", 2);
    RefreshTemplateWorksheet("NYSE", "Price Gainers", 10);
    EXPECT_EQ(shown(ws, "B6"), "S2");
    EXPECT_EQ(base::CDbl(ws.range("E5").font().color()), 0)
        << "the rows are not coloured on this path";
    EXPECT_TRUE(ws.protectContents());
    EXPECT_TRUE(app.enableEvents());
    EXPECT_TRUE(logHas("RefreshTemplateWorksheet\tError: 13 Description:"));
}

TEST_F(TopListSheetTest, OnlyTheProtectedKindsOfAnAddinWorkbookAreProtected) {
    for (const std::string name : {"Details", "Exchange Stats", "Vol Leaders"}) {
        sheet::Worksheet ws = sheetNamed(name);
        UnprotectWorksheet(ws);
        EXPECT_FALSE(ws.protectContents()) << name;
        ProtectWorksheet(ws);
        EXPECT_TRUE(ws.protectContents()) << name;
        ws.unprotect("lantor");  // the add-in's password
        ws.protect("lantor");
    }
    for (const std::string name : {"Watch List", "Portfolio"}) {
        ProtectWorksheet(sheetNamed(name));
        EXPECT_FALSE(sheetNamed(name).protectContents()) << name;
    }
    // With no sheet, the active one.
    activate("Details");
    UnprotectWorksheet();
    EXPECT_FALSE(sheetNamed("Details").protectContents());
    ProtectWorksheet();
    EXPECT_EQ(sheetNamed("Details").protectContents(), true);
    EXPECT_THROW(sheetNamed("Details").range("A5").setValue(base::Variant(std::string("IBM"))),
                 base::PlatformError);

    // Another workbook active: nothing, even for a sheet given.
    app.workbooks().add();
    UnprotectWorksheet(sheetNamed("Details"));
    EXPECT_TRUE(sheetNamed("Details").protectContents());
}

}  // namespace
}  // namespace kavex::addin::refresh
