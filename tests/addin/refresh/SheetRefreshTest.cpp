#include "addin/refresh/SheetRefresh.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/refresh/SheetFunctionArguments.h"
#include "tests/addin/refresh/RefreshFixture.h"

namespace kavex::addin::refresh {
namespace {

class SheetRefreshTest : public testing::RefreshFixture {
  protected:
    void SetUp() override {
        RefreshFixture::SetUp();
        cacheIndices(index("9123.45", "12.34"), index("2456.78", "-5.67"), index("1432.10", "0"));
        quote("IBM", "171.25", "-1.5");
        quote("MSFT", "27.94", "0.5");
    }
    void quote(const std::string& symbol, const std::string& last, const std::string& change) {
        sql("delete from AQ_StockSymbolData where Symbol = '" + symbol + "'");
        cacheSymbol(symbol, "<Stock><Symbol>" + symbol + "</Symbol><Name>" + symbol +
                                " Corp</Name><Last>" + last + "</Last><Change>" + change +
                                "</Change><CuVol>1000</CuVol></Stock>");
    }
    // A watch-list row as a user's typing leaves it: the symbol and the formulas of its columns.
    void watch(sheet::Worksheet& ws, int row, const std::string& symbol) {
        const std::string r = std::to_string(row);
        ws.range("B" + r).setValue(base::Variant(symbol));
        ws.range("C" + r).setFormula("=KavexName(B" + r + ")");
        ws.range("D" + r).setFormula("=KavexLast(B" + r + ")");
        ws.range("E" + r).setFormula("=KavexChange(B" + r + ")");
    }
    double fontColor(const sheet::Worksheet& ws, const std::string& ref) {
        return base::CDbl(ws.range(ref).font().color());
    }
};

TEST_F(SheetRefreshTest, AWatchListIsRecalculatedRowByRowWithItsHeaderAndColours) {
    sheet::Worksheet ws = activate("Watch List");
    watch(ws, 5, "IBM");
    watch(ws, 6, "MSFT");
    EXPECT_EQ(shown(ws, "D5"), "$171.25");

    quote("IBM", "172.25", "-0.5");
    app.setScreenUpdating(false);
    const auto before = os::machineClock().tickMillis();
    RefreshWorksheet();
    EXPECT_EQ(shown(ws, "D5"), "$172.25");
    EXPECT_EQ(os::machineClock().tickMillis() - before, 2 * 50) << "price and change flashed";
    EXPECT_EQ(fontColor(ws, "E5"), 255);
    EXPECT_EQ(fontColor(ws, "E6"), 32768);
    EXPECT_EQ(fontColor(ws, "D5"), 0);
    EXPECT_NE(shown(ws, "A2").find("NYSE - 9,123.45 (+12.34"), std::string::npos);
    EXPECT_TRUE(app.screenUpdating());
    EXPECT_TRUE(app.enableEvents());
    EXPECT_EQ(app.calculation(), sheet::xlCalculationAutomatic);
    EXPECT_FALSE(ws.protectContents());
}

TEST_F(SheetRefreshTest, AnIndexNotCachedLeavesTheHeaderButStillRefreshesTheRowsWithEventsOn) {
    sql("delete from AQ_StockExchangeData where Exchange = 'NSDQ'");
    sheet::Worksheet ws = activate("Watch List");
    watch(ws, 5, "IBM");
    quote("IBM", "170.25", "-2.5");
    RefreshWorksheet();
    EXPECT_EQ(shown(ws, "A2"), "");
    EXPECT_EQ(shown(ws, "E5"), "-$2.50");
    EXPECT_EQ(fontColor(ws, "E5"), 255);
    EXPECT_TRUE(app.enableEvents()) << "the user's typing must still reach the add-in";
}

TEST_F(SheetRefreshTest, ProtectedKindsEndProtectedAndHiddenRowsAreLeftAlone) {
    sheet::Worksheet ws = activate("Details");
    ws.unprotect("lantor");
    ws.range("A5").setValue(base::Variant(std::string("IBM")));
    ws.protect("lantor");
    quote("IBM", "180", "8");
    RefreshWorksheet();
    EXPECT_EQ(shown(ws, "B8"), "$180.00");
    EXPECT_EQ(shown(ws, "B35"), "$171.25") << "as the symbol was typed";
    quote("IBM", "190", "18");
    RefreshWorksheet();
    EXPECT_EQ(shown(ws, "B8"), "$190.00");
    EXPECT_EQ(shown(ws, "B35"), "$171.25") << "the hidden option block is not recalculated";
    EXPECT_TRUE(ws.protectContents());
}

TEST_F(SheetRefreshTest, AnOrdinaryWorkbookIsRecalculatedWithoutHeaderOrColours) {
    app.workbooks().add();
    sheet::Worksheet ws = app.activeSheet();
    ws.range("A1").setValue(base::Variant(std::string("IBM")));
    ws.range("B1").setFormula("=KavexChange(A1)");
    quote("IBM", "170.25", "-2.5");
    app.setCalculation(sheet::xlCalculationManual);
    RefreshWorksheet();
    EXPECT_EQ(shown(ws, "B1"), "-$2.50");
    EXPECT_EQ(fontColor(ws, "B1"), 0);
    EXPECT_EQ(app.calculation(), sheet::xlCalculationAutomatic);

    // A pending copy keeps the calculation mode as it was.
    app.setCalculation(sheet::xlCalculationManual);
    app.setCutCopyMode(sheet::xlCopy);
    RefreshWorksheet();
    EXPECT_EQ(app.calculation(), sheet::xlCalculationManual);
}

TEST_F(SheetRefreshTest, AlertCommentsAreKeptForAlertRowsAndDeletedForOthers) {
    sheet::Worksheet ws = activate("Watch List");
    watch(ws, 5, "IBM");
    watch(ws, 6, "MSFT");
    watch(ws, 7, "IBM");
    ws.range("K5").setFormula("=KavexLast(B5)");  // stands for the alert formula's cell
    ws.range("K6").setFormula("=KavexName(B6)");
    ws.range("D5").addComment("Alert Details Active : Last > 100");
    ws.range("D6").addComment("Alert Details Inactive");
    ws.range("D7").addComment("Alert Details Active : gone");
    ws.range("B7").addComment("A note of the user's");
    RefreshWorksheet();
    ASSERT_FALSE(ws.range("D5").comment().isNothing());
    EXPECT_TRUE(
        ws.range("D5").comment().shape().textFrame().characters(1, 14).font().bold().boolean());
    EXPECT_TRUE(ws.range("D5").comment().shape().textFrame().autoSize());
    EXPECT_EQ(fontColor(ws, "D5"), 255);
    EXPECT_FALSE(ws.range("D6").comment().isNothing());
    EXPECT_EQ(fontColor(ws, "D6"), 16711680);
    EXPECT_TRUE(ws.range("D7").comment().isNothing()) << "its row has no alert formula";
    EXPECT_FALSE(ws.range("B7").comment().isNothing());
}

TEST_F(SheetRefreshTest, TheSheetsFormulasSayWhatToFetch) {
    sheet::Worksheet ws = activate("Watch List");
    watch(ws, 5, "IBM");
    watch(ws, 6, "MSFT");
    watch(ws, 7, "ibm");
    ws.range("F9").setFormula("=KavexLast(\"AAPL\")");
    ws.range("F10").setFormula("=IF(B5=\"\",\"\",KavexLast(B5))");
    ws.range("F11").setFormula("=LEN(B6)");
    ws.range("F12").setFormula("=KavexLast(B40)");
    ws.range("F13").setFormula("=KavexEXCGLast(\"NYSE\")");
    ws.range("F14").setFormula("=EXCGNAME(\"NSDQ\")");
    ws.range("F15").setFormula("=KavexEXCGChange(\"NYSE\")");
    const std::size_t symbolNames = session::SymbolFunctionNames.Count();

    marketdata::SymbolList symbols;
    GetActiveWorksheetSymbolList(symbols);
    ASSERT_TRUE(std::holds_alternative<std::vector<std::string>>(symbols));
    EXPECT_EQ(std::get<std::vector<std::string>>(symbols),
              (std::vector<std::string>{"IBM", "MSFT", "AAPL"}));
    EXPECT_EQ(session::SymbolFunctionNames.Count(), symbolNames) << "the test key was removed";
    EXPECT_FALSE(session::SymbolFunctionNames.Contains("IF"));

    std::string exchanges;
    GetActiveWorksheetExchangeList(exchanges);
    EXPECT_EQ(exchanges, "NYSE,NSDQ,");

    // A sheet without formulas gives nothing.
    app.workbooks().add();
    marketdata::SymbolList none;
    std::string noExchanges;
    GetActiveWorksheetSymbolList(none);
    GetActiveWorksheetExchangeList(noExchanges);
    EXPECT_FALSE(marketdata::HasSymbols(none));
    EXPECT_EQ(noExchanges, "");
}

}  // namespace
}  // namespace kavex::addin::refresh
