#include <gtest/gtest.h>

#include "tests/addin/excelevents/PortfolioEventsFixture.h"

namespace kavex::addin::excelevents {
namespace {

class PortfolioEntryTest : public testing::PortfolioEventsFixture {
  protected:
    void SetUp() override {
        PortfolioEventsFixture::SetUp();
        ASSERT_TRUE(addCash(day(2024, 1, 2), 10000));
        forms::scriptedDriver().reset();
    }
    // The user types a new row into row 7, cell by cell, ending in the remarks cell.
    void typeRow(const std::string& symbol, const std::string& type, const std::string& date,
                 const std::string& shares, const std::string& price,
                 const std::string& commission) {
        const struct {
            const char* column;
            const std::string& text;
        } cells[] = {{"B", symbol}, {"D", type},  {"F", date},
                     {"G", shares}, {"H", price}, {"I", commission}};
        for (const auto& cell : cells) {
            select(std::string(cell.column) + "7");
            if (!cell.text.empty()) {
                typed(std::string(cell.column) + "7", cell.text);
            }
        }
        select("N7");
        forms::scriptedDriver().reset();
    }
    int historyRows() const {
        int rows = 0;
        for (int row = 6; row <= 20; ++row) {
            rows += shown(history(), "A" + std::to_string(row)).empty() ? 0 : 1;
        }
        return rows;
    }
};

TEST_F(PortfolioEntryTest, ANewBuyRowInCapitalsIsBookedByHandWhenTheRowIsLeft) {
    typeRow("IBM", "BUY", "1/3/2024", "10", "25", "5");
    select("N8");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Buy transaction completed."}));
    EXPECT_EQ(historyRows(), 2);
    EXPECT_EQ(portfolioRow(6).substr(portfolioRow(6).find("|IBM")),
              "|IBM|Buy|long|1/3/2024|10|$25.00|$5.00|");
    EXPECT_EQ(cash(), "$9,745.00");
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
    // The new selection was remembered before the refresh.
    EXPECT_EQ(PendingPortfolioEdit.Row, 8);
}

TEST_F(PortfolioEntryTest, MovingWithinTheRowBooksNothing) {
    typeRow("IBM", "Buy", "1/3/2024", "10", "25", "5");
    select("B7");
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(historyRows(), 1);
}

TEST_F(PortfolioEntryTest, AWordForTheSharesDoesNothing) {
    typeRow("IBM", "Buy", "1/3/2024", "ten", "25", "5");
    select("N8");
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(historyRows(), 1);
    EXPECT_EQ(shown(portfolio(), "G7"), "ten");
    EXPECT_EQ(PendingPortfolioEdit.Row, 8);
}

TEST_F(PortfolioEntryTest, ABlankOrUnknownTypeIsRefusedAndTheRowLeftAsTyped) {
    typeRow("IBM", "", "1/3/2024", "10", "25", "5");
    select("N8");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Transaction Type cannot be blank."}));
    EXPECT_EQ(forms::scriptedDriver().messages().back().style, 48);
    EXPECT_EQ(forms::scriptedDriver().messages().back().title, "Kavex");

    typeRow("IBM", "Purchase", "1/3/2024", "10", "25", "5");
    select("N8");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Transaction Type is not valid."}));
    EXPECT_EQ(historyRows(), 1);
    EXPECT_EQ(shown(portfolio(), "D7"), "Purchase");
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
}

TEST_F(PortfolioEntryTest, AFutureDateIsRefusedAndTheTypedRowKept) {
    // A booked row visited first leaves its date in the loaded record.
    ASSERT_TRUE(buy("KO", day(2024, 1, 5), 10, 40, 0));
    select("B6");
    typeRow("IBM", "Buy", "12/31/2099", "10", "25", "5");
    select("N8");
    EXPECT_EQ(prompts(),
              (std::vector<std::string>{"Transaction date cannot be greater than today's date."}));
    EXPECT_EQ(historyRows(), 2);
    EXPECT_EQ(shown(portfolio(), "F7"), "12/31/2099");
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
}

TEST_F(PortfolioEntryTest, ABookedSellRowChangedIsNeitherBookedNorRestored) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 50, 10));
    forms::scriptedDriver().reset();
    // A booked row whose type reads "Sell" (sales are not re-booked from the sheet).
    typed("D6", "Sell");
    select("B6");
    select("G6");
    typed("G6", "30");
    select("B12");
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(shown(portfolio(), "G6"), "30");
    EXPECT_EQ(historyRows(), 2);
    EXPECT_EQ(portfolio::dialogs::TransactionEntryMode, "");
}

TEST_F(PortfolioEntryTest, ABookedBuyRowChangedIsRebookedOrPutBackWhenRefused) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 50, 10, "lot"));
    forms::scriptedDriver().reset();
    select("H6");
    typed("H6", "55");
    select("H9");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Buy transaction Updated."}));
    EXPECT_EQ(shown(portfolio(), "H6"), "$55.00");

    // A date after today cannot be booked: the row gets back what it held when it was entered.
    forms::scriptedDriver().reset();
    select("F6");
    typed("F6", "12/31/2099");
    typed("H6", "70.5");
    portfolio().range("H6").setNumberFormat("0.0");
    select("H9");
    EXPECT_EQ(prompts(),
              (std::vector<std::string>{"Transaction date cannot be greater than today's date."}));
    EXPECT_EQ(portfolioRow(6).substr(portfolioRow(6).find("|IBM")).substr(0, 40),
              "|IBM|Buy|long|1/3/2024|100|$55.00|$10.00");
    EXPECT_EQ(portfolio().range("H6").numberFormat(), base::Variant(core::PriceFormat));
    EXPECT_EQ(historyRows(), 3);
}

TEST_F(PortfolioEntryTest, LeavingABookedRowUnchangedOnlyUnwrapsItsRemarks) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 50, 10, "lot"));
    forms::scriptedDriver().reset();
    portfolio().range("N6").setWrapText(true);
    select("B6");
    select("B9");
    EXPECT_EQ(portfolio().range("N6").wrapText(), base::Variant(false));
    EXPECT_TRUE(prompts().empty());
}

TEST_F(PortfolioEntryTest, TheTypeAndPositionOfABookedRowAreLocked) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 50, 10));
    forms::scriptedDriver().reset();
    select("D6");
    typed("D6", "  Buy ");
    select("E6");
    EXPECT_TRUE(prompts().empty());
    typed("D6", "Buy");

    typed("E6", "short");
    select("G9");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Position cannot be changed"}));
    EXPECT_EQ(shown(portfolio(), "E6"), "long");
    EXPECT_EQ(PendingPortfolioEdit.Row, 9);

    forms::scriptedDriver().reset();
    select("D6");
    typed("D6", "Sell");
    select("E6");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Transaction Type cannot be changed"}));
    EXPECT_EQ(shown(portfolio(), "D6"), "Buy");
    EXPECT_TRUE(host_.enableEvents());
}

TEST_F(PortfolioEntryTest, DividendStocksDefaultsTheCommissionOnlyInItsOwnSpelling) {
    select("I7");
    typed("I7", "9");
    select("D7");
    typed("D7", " Dividend Stocks ");
    select("F7");
    EXPECT_EQ(shown(portfolio(), "I7"), "0");
    EXPECT_EQ(base::CStr(portfolio().range("I7").value()), "0");

    select("D7");
    typed("D7", "dividend stocks");
    select("F7");
    EXPECT_TRUE(portfolio().range("I7").value().isEmpty());
}

TEST_F(PortfolioEntryTest, TheCashCellBooksWhatChanged) {
    ASSERT_EQ(cash(), "$10,000.00");
    select("C3");
    typed("C3", "10500");
    select("C4");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Cash added."}));
    EXPECT_EQ(historyRows(), 2);
    EXPECT_EQ(cash(), "$10,500.00");

    forms::scriptedDriver().reset();
    select("C3");
    typed("C3", "10200");
    select("C4");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Cash withdrawn."}));
    EXPECT_EQ(cash(), "$10,200.00");
    EXPECT_EQ(historyRow(8).substr(historyRow(8).find("|")).substr(0, 15), "||Withdraw Cash");
}

TEST_F(PortfolioEntryTest, ACashChangeOfZeroThatDiffersAsTextIsAWithdrawal) {
    select("C3");
    typed("C3", "'10000.00");
    select("C4");
    EXPECT_EQ(prompts().back(), "Cash withdrawn.");
}

TEST_F(PortfolioEntryTest, ACashChangeIsBookedAlsoWhenTheUserGoesStraightToARow) {
    select("C3");
    typed("C3", "10500");
    select("B7");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Cash added."}));
    EXPECT_EQ(cash(), "$10,500.00");
}

// Only a number is cash: a truth value, a date, a word, an error value and a figure too large to
// read are refused with a message, nothing is booked and the cell shows the position again.
TEST_F(PortfolioEntryTest, CashThatIsNoNumberIsRefusedAndTheCellPutBack) {
    for (const std::string input : {"TRUE", "1/1/2025", "abc", "lots", "=1/0", "1e400"}) {
        forms::scriptedDriver().reset();
        select("C3");
        typed("C3", input);
        select("C4");
        EXPECT_EQ(prompts(), (std::vector<std::string>{"Cash Position must be a number."}))
            << input;
        EXPECT_EQ(historyRows(), 1) << input;
        EXPECT_EQ(cash(), "$10,000.00") << input;
        EXPECT_FALSE(portfolio().range("C3").hasFormula()) << input;
        EXPECT_EQ(PendingPortfolioEdit.Row, 4) << input;
        EXPECT_TRUE(host_.enableEvents()) << input;
    }
}

// An amount the books refuse is told once, with the books' reason; "Cash added." is not said and
// the cell shows the position again.
TEST_F(PortfolioEntryTest, CashTheBooksRefuseIsNotCalledBookedAndTheCellPutBack) {
    select("C3");
    typed("C3", "2000000000");
    select("C4");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Amount is too large."}));
    EXPECT_EQ(historyRows(), 1);
    EXPECT_EQ(cash(), "$10,000.00");

    // A damaged history row: refused with the row named, nothing booked.
    forms::scriptedDriver().reset();
    history().range("A7").setValue(base::Variant("x"));
    history().range("C7").setValue(base::Variant("Add Cash"));
    history().range("D7").setValue(base::Variant("1/2/2024"));
    history().range("H7").setValue(base::Variant("5"));
    select("C3");
    typed("C3", "10500");
    select("C4");
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_NE(prompts().front().find("Row 7"), std::string::npos) << prompts().front();
    EXPECT_EQ(cash(), "$10,000.00");
    EXPECT_EQ(shown(history(), "A8"), "");
}

TEST_F(PortfolioEntryTest, TheHeaderRowIsNeverBookedNorDefaulted) {
    select("D5");
    typed("D5", "Kind");
    select("D7");
    EXPECT_EQ(shown(portfolio(), "I5"), "Commission");
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(PendingPortfolioEdit.Row, 7);
}

}  // namespace
}  // namespace kavex::addin::excelevents
