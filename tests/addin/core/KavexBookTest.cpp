// The add-in's own workbooks as shipped: the add-in finds every cell it touches through these
// names, so each must resolve at its cell on its sheet.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "platform/base/Conversions.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::core {
namespace {

std::string workbookFile(const std::string& name) {
    return ((std::filesystem::path(KAVEX_SOURCE_DIR) / "data") / "workbooks" / name).string();
}

class KavexBookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ExcelApp = &app;
        book = app.workbooks().open(workbookFile("KavexBook.xls"));
    }
    void TearDown() override { ExcelApp = nullptr; }

    std::string at(const std::string& sheet, const std::string& name) {
        return book.worksheets().item(sheet).range(name).address();
    }
    std::string shown(const std::string& sheet, const std::string& ref) {
        return base::CStr(book.worksheets().item(sheet).range(ref).value());
    }

    sheet::Application app;
    sheet::Workbook book;
};

TEST_F(KavexBookTest, ItIsAnAddinWorkbookThatOpensOnTheWatchList) {
    EXPECT_TRUE(IsKavexWorkbook(book, false));
    EXPECT_EQ(KavexVersion, "1.0");
    EXPECT_EQ(app.activeSheet().name(), "Watch List");
}

TEST_F(KavexBookTest, EachSheetHasItsKind) {
    const std::pair<const char*, const char*> kinds[] = {
        {"Watch List", kWatchList},
        {"Price Gainers", kPriceGainers},
        {"Price Losers", kPriceLosers},
        {"Vol Leaders", kVolLeaders},
        {"Details", kDetails},
        {"Exchange Stats", kExchangeStats},
        {"Portfolio", kPortfolio},
        {"Portfolio History", kPortfolioHistory},
        {"WatchListTemplate", "WatchListTemplate"},
        {"PortfolioTemplate", "PortfolioTemplate"},
        {"Portfolio HistoryTemplate", "Portfolio HistoryTemplate"}};
    for (const auto& [sheet, kind] : kinds) {
        EXPECT_EQ(GetTheSheetType(book.worksheets().item(sheet)), kind) << sheet;
    }
    EXPECT_EQ(GetTheSheetType(book.worksheets().item("KavexInfo")), "");
}

TEST_F(KavexBookTest, TheWatchListNamesItsHeaderCells) {
    EXPECT_EQ(at("Watch List", "ExchangeInfo"), "$A$2");
    EXPECT_EQ(at("Watch List", "WatchListSymbol"), "$B$4");
    EXPECT_EQ(at("Watch List", "WatchlistSecurityName"), "$C$4");
    EXPECT_EQ(at("Watch List", "WatchlistAttribHeader"), "$D$4:$G$4");
    EXPECT_EQ(at("Watch List", "NewsLink"), "$H$4");
    EXPECT_EQ(at("Watch List", "ChartsLink"), "$I$4");
    EXPECT_EQ(at("Watch List", "OptionsLink"), "$J$4");
    EXPECT_EQ(at("Watch List", "WatchlistAlert"), "$K$4");
    EXPECT_EQ(at("Watch List", "WatchlistAlertID"), "$L$4");
    EXPECT_EQ(shown("Watch List", "D4"), "Last Trade Price");
    EXPECT_EQ(shown("Watch List", "G4"), "Volume");
    EXPECT_EQ(shown("Watch List", "B5"), "");
    std::int32_t row = 0;
    std::int16_t column = 0;
    EXPECT_TRUE(GetSymbolRowColumn(book.worksheets().item("Watch List"), row, column));
    EXPECT_EQ(row, 4);
    EXPECT_EQ(column, 2);
}

TEST_F(KavexBookTest, TopListsAreProtectedAndCarryTheirFormulasDownToRow54) {
    for (const std::string prefix : {"PriceGainers", "PriceLosers", "VolLeaders"}) {
        const std::string sheet = prefix == "PriceGainers"  ? "Price Gainers"
                                  : prefix == "PriceLosers" ? "Price Losers"
                                                            : "Vol Leaders";
        const sheet::Worksheet ws = book.worksheets().item(sheet);
        EXPECT_TRUE(ws.protectContents()) << sheet;
        EXPECT_EQ(shown(sheet, "A1"), "Exchange:");
        EXPECT_EQ(shown(sheet, "B1"), "NYSE");
        EXPECT_FALSE(ws.range("B1").locked().boolean());
        EXPECT_EQ(at(sheet, prefix + "Symbol"), "$B$4");
        EXPECT_EQ(at(sheet, prefix + "AttribHeader"), "$D$4:$G$4");
        EXPECT_EQ(at(sheet, "ExchangeInfo"), "$A$2");
        EXPECT_EQ(at(sheet, "OptionsLink"), "$J$4");
        EXPECT_EQ(ws.range("C5").formula(), "=KavexName(B5)");
        EXPECT_EQ(ws.range("D5").formula(), "=KavexLast(B5)");
        EXPECT_EQ(ws.range("G54").formula(), "=KavexCuVol(B54)");
        EXPECT_EQ(ws.range("D55").formula(), "");
        // The password is the add-in's.
        EXPECT_THROW(book.worksheets().item(sheet).unprotect("wrong"), base::PlatformError);
    }
}

TEST_F(KavexBookTest, DetailsExchangeStatsAndPortfolioNameTheirCells) {
    EXPECT_EQ(
        book.names().item("DetailsSymbol").refersToRange().address(true, true, true),
        sheet::Range(book.worksheets().item("Details").range("A5")).address(true, true, true));
    EXPECT_EQ(at("Details", "NewsLink"), "$B$5");
    EXPECT_EQ(at("Details", "OptionsLink"), "$D$5");
    EXPECT_TRUE(book.worksheets().item("Details").rows(31).hidden().boolean());
    EXPECT_FALSE(book.worksheets().item("Details").rows(30).hidden().boolean());
    EXPECT_EQ(at("Exchange Stats", "NYSELink"), "$A$4");
    EXPECT_EQ(at("Exchange Stats", "NSDQLink"), "$B$4");
    EXPECT_EQ(at("Exchange Stats", "AMEXLink"), "$C$4");
    EXPECT_EQ(
        book.worksheets().item("Exchange Stats").range("B4").hyperlinks().item(1).subAddress(),
        "NSDQLink");
    EXPECT_EQ(at("Portfolio", "PortfolioCashPosition"), "$C$3");
    EXPECT_EQ(at("Portfolio", "PortfolioSymbol"), "$B$5");
    EXPECT_EQ(at("Portfolio", "WatchlistAttribHeader"), "$J$5:$K$5");
    EXPECT_EQ(at("Portfolio", "PortfolioGainLossDollar"), "$L$5");
    EXPECT_EQ(at("Portfolio", "PortFolioAlert"), "$R$5");
    EXPECT_EQ(at("Portfolio", "PortfolioAlertID"), "$S$5");
    EXPECT_EQ(at("Portfolio History", "PortfolioHistoryID"), "$A$4");
    EXPECT_EQ(at("Portfolio History", "PortfolioHistoryTransactionDate"), "$D$4");
    EXPECT_EQ(at("PortfolioTemplate", "PortfolioSymbol"), "$B$5");
    EXPECT_EQ(at("KavexInfo", "KavexVersion"), "$B$1");
}

// The details links are white bold text: their cells carry their words on the dark header fill,
// so that they are seen.
TEST_F(KavexBookTest, TheDetailsLinksShowTheirWordsOnTheHeaderFill) {
    const sheet::Worksheet details = book.worksheets().item("Details");
    const sheet::Worksheet watch = book.worksheets().item("Watch List");
    const double headerFill = base::CDbl(watch.range("B4").interior().color());
    ASSERT_NE(headerFill, 16777215.0);
    const struct {
        const char* name;
        const char* word;
    } links[] = {{"NewsLink", "News"}, {"ChartsLink", "Charts"}, {"OptionsLink", "Options"}};
    for (const auto& link : links) {
        const sheet::Range cell = details.range(link.name);
        EXPECT_EQ(base::CStr(cell.value()), link.word);
        EXPECT_EQ(base::CDbl(cell.interior().color()), headerFill) << link.name;
        EXPECT_NE(base::CDbl(cell.interior().color()), base::CDbl(cell.font().color()))
            << link.name;
    }
}

TEST_F(KavexBookTest, TheCompanionIsTheMacroProjectKavexservice) {
    const sheet::Workbook xla = app.workbooks().open(workbookFile("Kavex.xla"));
    EXPECT_EQ(xla.vbProject().name(), "kavexservice");
    EXPECT_TRUE(xla.isAddin());
    EXPECT_TRUE(app.run("ShowForms").isEmpty());
}

}  // namespace
}  // namespace kavex::addin::core
