#include <gtest/gtest.h>

#include "addin/core/Globals.h"
#include "addin/refresh/AttributeColumns.h"
#include "tests/addin/refresh/ManagedBookFixture.h"

namespace kavex::addin::refresh {
namespace {

using SymbolSearchTest = testing::ManagedBookFixture;

TEST_F(SymbolSearchTest, WritesTheNameFormulaBeforeTheAttributeAndLeavesEventsOff) {
    putSymbols({"MSFT", "IBM", "AAPL"});
    SymbolSearch(watch_, "Watch List", "Last Trade Price", 7, 4, true);

    EXPECT_EQ(watch_.range("C7").formula(), "=KavexName(B7)");
    EXPECT_EQ(watch_.range("D7").formula(), "=KavexLast(B7)");
    EXPECT_EQ(watch_.range("C6").formula(), "");
    EXPECT_FALSE(app_.enableEvents());
    EXPECT_TRUE(logHas("SymbolSearch", "Entering"));
    EXPECT_TRUE(logHas("SymbolSearch", "Exiting"));

    // The other columns of the row: no name formula when the caller asks for none.
    app_.setEnableEvents(true);
    watch_.range("C7").setValue("");
    SymbolSearch(watch_, "Watch List", "Volume", 7, 7, false);
    EXPECT_EQ(watch_.range("G7").formula(), "=KavexCuVol(B7)");
    EXPECT_EQ(watch_.range("C7").formula(), "");
}

TEST_F(SymbolSearchTest, ACaptionWithoutAFunctionWritesNothingAndLeavesEventsAlone) {
    putSymbols({"MSFT"});
    for (const char* caption : {"volume", "Volume ", "", "12", "Name"}) {
        SymbolSearch(watch_, "Watch List", caption, 5, 7, true);
        EXPECT_TRUE(app_.enableEvents()) << caption;
        EXPECT_EQ(watch_.range("C5").formula(), "") << caption;
        EXPECT_EQ(watch_.range("G5").formula(), "") << caption;
    }
    EXPECT_TRUE(logHas("SymbolSearch", "Exiting"));
}

TEST_F(SymbolSearchTest, BothSpellingsOfTheDaysRangeGiveOneFunction) {
    SymbolSearch(watch_, "Watch List", "Day's Range", 5, 5, false);
    SymbolSearch(watch_, "Watch List", "Days' Range", 6, 5, false);
    EXPECT_EQ(watch_.range("E5").formula(), "=KavexDayRange(B5)");
    EXPECT_EQ(watch_.range("E6").formula(), "=KavexDayRange(B6)");
}

TEST_F(SymbolSearchTest, FormulasReferToTheSymbolColumnOfTheSheet) {
    shifted_.activate();
    SymbolSearch(shifted_, "Shifted", "Ask Price", 12, 6, true);
    EXPECT_EQ(shifted_.range("F12").formula(), "=KavexAskPr(E12)");
    // No name column on this sheet: nothing but the attribute is written.
    EXPECT_EQ(shifted_.usedRange().address(), "$E$2:$F$12");

    // A sheet that is not a managed sheet keeps the symbols in column B.
    sheet::Worksheet plain = book_.worksheets().add("Plain");
    plain.activate();
    SymbolSearch(plain, "Plain", "Bid Size", 3, 4, true);
    EXPECT_EQ(plain.range("D3").formula(), "=KavexBidSz(B3)");
}

TEST_F(SymbolSearchTest, WritesOnTheActiveSheetUnlessAPortfolioRowIsBeingRewritten) {
    details_.activate();
    SymbolSearch(watch_, "Watch List", "Open Price", 5, 4, false);
    EXPECT_EQ(details_.range("D5").formula(), "=KavexOpen(B5)");
    EXPECT_EQ(watch_.range("D5").formula(), "");

    core::PortfolioRowRewritten = true;
    SymbolSearch(watch_, "Watch List", "Open Price", 6, 4, true);
    EXPECT_EQ(watch_.range("D6").formula(), "=KavexOpen(B6)");
    EXPECT_EQ(watch_.range("C6").formula(), "=KavexName(B6)");
    EXPECT_EQ(details_.range("D6").formula(), "");
}

TEST_F(SymbolSearchTest, AProtectedCellIsSkippedWithoutAWord) {
    watch_.range("C5").setLocked(true);
    watch_.range("D5").setLocked(false);
    watch_.protect("secret");
    SymbolSearch(watch_, "Watch List", "Last Trade Price", 5, 4, true);
    EXPECT_EQ(watch_.range("C5").formula(), "");
    EXPECT_EQ(watch_.range("D5").formula(), "=KavexLast(B5)");
    EXPECT_TRUE(logHas("SymbolSearch", "Exiting"));
    EXPECT_FALSE(logHas("SymbolSearch", "Error"));
}

TEST_F(SymbolSearchTest, WithoutTheHostNothingIsWritten) {
    core::ExcelApp = nullptr;
    SymbolSearch(watch_, "Watch List", "Last Trade Price", 5, 4, true);
    core::ExcelApp = &app_;
    EXPECT_EQ(watch_.range("D5").formula(), "");
    EXPECT_TRUE(logHas("SymbolSearch", "Exiting"));
}

}  // namespace
}  // namespace kavex::addin::refresh
