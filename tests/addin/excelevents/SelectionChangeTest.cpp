#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "tests/addin/excelevents/EventsFixture.h"

namespace kavex::addin::excelevents {
namespace {

using portfolio::dialogs::TransactionEditRow;

class SelectionChangeTest : public testing::EventsFixture {
  protected:
    void SetUp() override {
        EventsFixture::SetUp();
        core::LogLevel = 3;
        app_.setEnableEvents(false);
        sheet::Worksheet watch = sheetNamed("Watch List");
        watch.range("B5").setValue(base::Variant("IBM"));
        watch.range("L5").setValue(base::Variant("17"));
        sheet::Worksheet portfolio = sheetNamed("Portfolio");
        const char* rows[][4] = {{"6", "1", "IBM", "21"}, {"7", "40000", "MSFT", ""}};
        for (const auto& row : rows) {
            const std::string r = row[0];
            portfolio.range("A" + r).setValue(base::Variant(row[1]));
            portfolio.range("B" + r).setValue(base::Variant(row[2]));
            portfolio.range("G" + r).setValue(base::Variant("10"));
            portfolio.range("H" + r).setValue(base::Variant("100"));
            portfolio.range("S" + r).setValue(base::Variant(row[3]));
        }
        portfolio.range("B8").setValue(base::Variant("AAPL"));
        app_.setEnableEvents(true);
    }

    void select(const std::string& sheet, const std::string& address) {
        app_.select(sheetNamed(sheet).range(address));
    }
};

TEST_F(SelectionChangeTest, WithoutASessionNothingIsRecorded) {
    select("Watch List", "B5");
    EXPECT_EQ(SelectedRowSymbol, "");
    EXPECT_EQ(SelectedRowAlertID, "");
}

TEST_F(SelectionChangeTest, AWatchListRowGivesItsSymbolAndAlertID) {
    startSession();
    select("Watch List", "D5");
    EXPECT_EQ(SelectedRowSymbol, "IBM");
    EXPECT_EQ(SelectedRowAlertID, "17");
    // The header row empties the symbol but keeps the alert id.
    select("Watch List", "C4");
    EXPECT_EQ(SelectedRowSymbol, "");
    EXPECT_EQ(SelectedRowAlertID, "17");
    // A sheet without a symbol column empties the symbol too; the portfolio's cell is untouched.
    SelectedRowSymbol = "X";
    select("Details", "B9");
    EXPECT_EQ(SelectedRowSymbol, "");
    EXPECT_EQ(PendingPortfolioEdit.Row, 0);
}

TEST_F(SelectionChangeTest, APortfolioRowLoadsItsTransactionOnceWhenEntered) {
    startSession();
    select("Portfolio", "H6");
    EXPECT_EQ(SelectedRowSymbol, "IBM");
    EXPECT_EQ(SelectedRowAlertID, "21");
    EXPECT_EQ(TransactionEditRow, 6);
    EXPECT_EQ(portfolio::TransactionRecord.Equity, "IBM");
    EXPECT_EQ(PendingPortfolioEdit.Column, 8);
    EXPECT_EQ(PendingPortfolioEdit.Row, 6);
    EXPECT_EQ(PendingPortfolioEdit.OldValue, "100");
    EXPECT_EQ(PortfolioEditRow, 0);

    // Another cell of the same row: the record stays as it was loaded.
    portfolio::TransactionRecord.Equity = "kept";
    select("Portfolio", "G6");
    EXPECT_EQ(TransactionEditRow, 6);
    EXPECT_EQ(portfolio::TransactionRecord.Equity, "kept");
    EXPECT_EQ(PendingPortfolioEdit.Column, 7);
    EXPECT_EQ(PortfolioEditRow, 6);
    // Leaving the row compares it with the record: give it back what the row holds.
    portfolio::TransactionRecord.Equity = "IBM";

    // A row without a transaction id clears the record.
    select("Portfolio", "B8");
    EXPECT_EQ(TransactionEditRow, 0);
    EXPECT_EQ(portfolio::TransactionRecord.Equity, "");
    EXPECT_EQ(PendingPortfolioEdit.OldValue, "AAPL");

    // The header area keeps the row's symbol and remembers the cell.
    select("Portfolio", "C3");
    EXPECT_EQ(SelectedRowSymbol, "AAPL");
    EXPECT_EQ(PendingPortfolioEdit.Row, 3);
    EXPECT_TRUE(app_.enableEvents());
}

TEST_F(SelectionChangeTest, ATransactionIdAbove32767IsReadWhole) {
    startSession();
    select("Portfolio", "B6");
    select("Portfolio", "B7");
    EXPECT_EQ(TransactionEditRow, 7);
    EXPECT_EQ(portfolio::TransactionRecord.Equity, "MSFT");
    EXPECT_EQ(PendingPortfolioEdit.Row, 7);
    EXPECT_FALSE(logHas("Exiting mXLApp_SheetSelectionChange : Error"));
}

TEST_F(SelectionChangeTest, AnIdThatIsNoNumberEndsTheEventThroughItsErrorExit) {
    startSession();
    select("Portfolio", "B6");
    app_.setEnableEvents(false);
    sheetNamed("Portfolio").range("A7").setValue(base::Variant("seven"));
    app_.setEnableEvents(true);
    select("Portfolio", "B7");
    EXPECT_TRUE(
        logHas("mXLApp_SheetSelectionChange\tExiting mXLApp_SheetSelectionChange : Error - "));
    // Nothing of the new row was remembered.
    EXPECT_EQ(PendingPortfolioEdit.Row, 6);
    EXPECT_EQ(TransactionEditRow, 6);
    EXPECT_TRUE(app_.enableEvents());
}

}  // namespace
}  // namespace kavex::addin::excelevents
