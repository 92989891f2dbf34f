#include <gtest/gtest.h>

#include "tests/addin/excelevents/PortfolioEventsFixture.h"

namespace kavex::addin::excelevents {
namespace {

class SheetSwitchTest : public testing::PortfolioEventsFixture {
  protected:
    // A booked Buy of IBM in row 6, entered by the user through a cell of that row.
    void bookedRowEntered(const std::string& address) {
        ASSERT_TRUE(addCash(day(2024, 1, 2), 10000));
        ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 50, 10, "first lot"));
        ASSERT_EQ(portfolioRow(6), "2|IBM|Buy|long|1/3/2024|100|$50.00|$10.00|first lot");
        select("B4");
        select(address);
        forms::scriptedDriver().reset();
    }
    void leaveFor(const char* sheetName) { host_.activate(book_.worksheets().item(sheetName)); }
};

TEST_F(SheetSwitchTest, EnteringDetailsShowsTheRowSymbolLastSelectedWithItsLinks) {
    SelectedRowSymbol = "IBM";
    leaveFor("Details");
    EXPECT_EQ(shown(details(), "A5"), "IBM");
    for (const char* cell : {"B5", "C5", "D5"}) {
        EXPECT_EQ(details().range(cell).hyperlinks().count(), 1) << cell;
        EXPECT_EQ(details().range(cell).font().color(), base::Variant(16777215.0)) << cell;
        EXPECT_EQ(details().range(cell).font().bold(), base::Variant(true)) << cell;
    }
    EXPECT_TRUE(details().protectContents());
    EXPECT_EQ(ActiveSheetType, "Portfolio");
}

TEST_F(SheetSwitchTest, EnteringDetailsWithoutARowSymbolChangesNothingThere) {
    leaveFor("Details");
    EXPECT_EQ(shown(details(), "A5"), "MSFT");
    EXPECT_EQ(details().range("B5").hyperlinks().count(), 0);
    EXPECT_TRUE(details().protectContents());
}

TEST_F(SheetSwitchTest, AChangedHistoryIsSortedNewestFirstOnlyOnce) {
    const sheet::Worksheet ledger = history();
    const char* dates[] = {"1/5/2024", "3/1/2024", "2/7/2024"};
    for (int i = 0; i < 3; ++i) {
        const std::string row = std::to_string(6 + i);
        ledger.range("A" + row).setValue(base::Variant(i + 1));
        ledger.range("D" + row).setValue(base::Variant(dates[i]));
    }
    core::PortfolioHistoryChanged = true;
    leaveFor("Portfolio History");
    EXPECT_EQ(shown(ledger, "D6") + " " + shown(ledger, "D7") + " " + shown(ledger, "D8"),
              "3/1/2024 2/7/2024 1/5/2024");
    EXPECT_EQ(shown(ledger, "A6"), "2");
    EXPECT_EQ(host_.activeCell().address(), "$B$4");
    EXPECT_FALSE(core::PortfolioHistoryChanged);
    EXPECT_TRUE(host_.enableEvents());

    // Without a new change, entering the history again leaves its order alone.
    ledger.range("D6").setValue(base::Variant("1/1/2024"));
    leaveFor("Portfolio");
    leaveFor("Portfolio History");
    EXPECT_EQ(shown(ledger, "D6"), "1/1/2024");
}

TEST_F(SheetSwitchTest, EnteringAPortfolioStartsOnItsSymbolHeaderWithNothingLoaded) {
    bookedRowEntered("G6");
    ASSERT_EQ(portfolio::TransactionRecord.Equity, "IBM");
    leaveFor("Watch List");
    leaveFor("Portfolio");
    EXPECT_EQ(host_.activeCell().address(), "$B$5");
    EXPECT_EQ(portfolio::dialogs::TransactionEditRow, 0);
    EXPECT_EQ(portfolio::TransactionRecord.Equity, "");
    EXPECT_EQ(portfolio::TransactionRecord.NumberOfShares, 0);
}

TEST_F(SheetSwitchTest, EnteringAnotherSheetDropsAPendingCellEditUncommitted) {
    bookedRowEntered("H6");
    typed("H6", "55");
    PendingPortfolioEdit.Row = 0;  // as if the commit on leaving had nothing to judge
    leaveFor("Watch List");
    EXPECT_EQ(PendingPortfolioEdit.Column, 0);
    EXPECT_EQ(PendingPortfolioEdit.OldValue, "");
    EXPECT_EQ(shown(history(), "F7"), "$50.00");
}

TEST_F(SheetSwitchTest, LeavingAfterAPriceChangeRebooksTheRowAsAnEdit) {
    bookedRowEntered("H6");
    typed("H6", "55");
    leaveFor("Watch List");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Buy transaction Updated."}));
    EXPECT_EQ(portfolioRow(6).substr(portfolioRow(6).find("|IBM")).substr(0, 40),
              "|IBM|Buy|long|1/3/2024|100|$55.00|$10.00");
    EXPECT_EQ(PendingPortfolioEdit.Row, 0);
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
    // The user was taken back to the portfolio to see the booking.
    EXPECT_EQ(host_.activeSheet().name(), "Portfolio");
}

TEST_F(SheetSwitchTest, ARefusedRebookingPutsTheRowBackAsItWasEntered) {
    bookedRowEntered("F6");
    typed("F6", "12/31/2099");
    typed("H6", "61.5");
    typed("I6", "2");
    leaveFor("Watch List");
    EXPECT_EQ(prompts(),
              (std::vector<std::string>{"Transaction date cannot be greater than today's date."}));
    EXPECT_EQ(portfolioRow(6), "2|IBM|Buy|long|1/3/2024|100|$50.00|$10.00|first lot");
    EXPECT_EQ(portfolio().range("H6").numberFormat(), base::Variant(core::PriceFormat));
    EXPECT_EQ(portfolio().range("I6").numberFormat(), base::Variant(core::PriceFormat));
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
    EXPECT_EQ(PendingPortfolioEdit.Row, 6);
}

TEST_F(SheetSwitchTest, ATypeOrPositionOfABookedRowIsPutBackOnLeaving) {
    bookedRowEntered("D6");
    typed("D6", "Sell");
    leaveFor("Watch List");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Transaction Type cannot be changed"}));
    EXPECT_EQ(forms::scriptedDriver().messages().back().style, 48);
    EXPECT_EQ(forms::scriptedDriver().messages().back().title, "Kavex");
    EXPECT_EQ(shown(portfolio(), "D6"), "Buy");
    EXPECT_EQ(host_.activeSheet().name(), "Portfolio");

    forms::scriptedDriver().reset();
    select("E6");
    typed("E6", "short");
    leaveFor("Watch List");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Position cannot be changed"}));
    EXPECT_EQ(shown(portfolio(), "E6"), "long");
}

TEST_F(SheetSwitchTest, ATypeChangeOfAnUnbookedRowOrFromABlankIsNotLocked) {
    select("D8");
    typed("D8", "Buy");
    leaveFor("Watch List");
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(shown(portfolio(), "D8"), "Buy");
}

TEST_F(SheetSwitchTest, ARowTypedWithoutALoadedTransactionIsLeftAsTyped) {
    select("B7");
    typed("B7", "MSFT");
    typed("F7", "1/4/2024");
    typed("G7", "10");
    leaveFor("Watch List");
    EXPECT_EQ(shown(portfolio(), "B7"), "MSFT");
    EXPECT_EQ(shown(portfolio(), "F7"), "1/4/2024");
    EXPECT_EQ(shown(portfolio(), "G7"), "10");
    EXPECT_TRUE(prompts().empty());
}

TEST_F(SheetSwitchTest, APendingEditOnTheHeaderRowKeepsEverything) {
    select("D5");
    SelectedRowSymbol = "KO";
    SelectedRowAlertID = "17";
    leaveFor("Watch List");
    EXPECT_EQ(ActiveSheetType, "Portfolio");
    EXPECT_EQ(SelectedRowSymbol, "KO");
    EXPECT_EQ(SelectedRowAlertID, "17");
    EXPECT_EQ(shown(portfolio(), "D5"), "Type");
}

TEST_F(SheetSwitchTest, TheSheetEnteredGivesTheSelectedRowExceptDetails) {
    leaveFor("Watch List");
    host_.setEnableEvents(false);
    host_.range("C6").select();
    host_.setEnableEvents(true);
    leaveFor("Portfolio");
    leaveFor("Watch List");
    EXPECT_EQ(SelectedRowSymbol, "KO");
    EXPECT_EQ(SelectedRowAlertID, "17");
    EXPECT_EQ(ActiveSheetType, "Portfolio");

    leaveFor("Details");
    EXPECT_EQ(SelectedRowSymbol, "KO");
    EXPECT_EQ(SelectedRowAlertID, "17");
    EXPECT_EQ(ActiveSheetType, "Watch List");
}

// When leaving the portfolio takes the user back to it, the host still reports the activation of
// the sheet the user was going to; nothing of that activation may land on the portfolio.
TEST_F(SheetSwitchTest, AnActivationTurnedBackWritesOnNoSheet) {
    bookedRowEntered("D6");
    typed("D6", "Sell");
    SelectedRowSymbol = "IBM";
    leaveFor("Details");
    ASSERT_EQ(host_.activeSheet().name(), "Portfolio");
    EXPECT_EQ(sink_->log.back(), "SheetActivate Details");
    EXPECT_EQ(shown(portfolio(), "A5"), "ID");
    EXPECT_EQ(portfolio().range("B5").hyperlinks().count(), 0);
    EXPECT_EQ(portfolio().range("O5").hyperlinks().count(), 0);
    EXPECT_FALSE(portfolio().protectContents());
    EXPECT_EQ(shown(details(), "A5"), "MSFT");

    // The same with a changed history: the portfolio's rows are not sorted as if they were it.
    forms::scriptedDriver().reset();
    ASSERT_TRUE(buy("KO", day(2024, 2, 1), 10, 40, 0));
    const std::string before = portfolioRow(6) + "/" + portfolioRow(7);
    select("B4");
    select("D6");
    typed("D6", "Sell Short");
    core::PortfolioHistoryChanged = true;
    forms::scriptedDriver().reset();
    leaveFor("Portfolio History");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Transaction Type cannot be changed"}));
    ASSERT_EQ(host_.activeSheet().name(), "Portfolio");
    EXPECT_EQ(portfolioRow(6) + "/" + portfolioRow(7), before);
    EXPECT_TRUE(core::PortfolioHistoryChanged);
}

}  // namespace
}  // namespace kavex::addin::excelevents
