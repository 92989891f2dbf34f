#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "addin/portfolio/Booking.h"
#include "addin/portfolio/DividendsAndSplits.h"
#include "addin/portfolio/ValidateTransactionDate.h"
#include "addin/portfolio/dialogs/TransactionCommands.h"
#include "tests/addin/portfolio/PortfolioFixture.h"

namespace kavex::addin::portfolio {
namespace {

class BookkeepingTest : public testing::PortfolioFixture {
  protected:
    bool buy(const std::string& symbol, base::Date date, double shares, double price,
             double commission, const std::string& remarks = "") {
        return BuyTransactionFunction("Buy", "long", 3, symbol, date, shares, price, commission,
                                      remarks);
    }
    bool sell(const std::string& symbol, base::Date date, double shares, double price,
              double commission) {
        return SellTransactionFunction("Sell", "long", 4, 4, symbol, date, shares, price,
                                       commission, "");
    }
    bool sellShort(const std::string& symbol, base::Date date, double shares, double price,
                   double commission) {
        return BuyTransactionFunction("Sell Short", "short", 5, symbol, date, shares, price,
                                      commission, "");
    }
    bool cover(const std::string& symbol, base::Date date, double shares, double price,
               double commission) {
        return SellTransactionFunction("Cover Short", "short", 6, 6, symbol, date, shares, price,
                                       commission, "");
    }
    bool cashMove(const std::string& type, base::Date date, double amount) {
        std::string text = type, code = type == "Add Cash" ? "1" : "2", remarks;
        return AddCashToPortFolioHistory(text, date, amount, code, remarks);
    }
    int bookedRows() const {
        int rows = 0;
        for (int row = 6; row <= 30; ++row) {
            rows += shown(history(), "A" + std::to_string(row)).empty() ? 0 : 1;
        }
        return rows;
    }
};

TEST_F(BookkeepingTest, ASaleUsesUpTheOldestLotsFirst) {
    ASSERT_TRUE(cashMove("Add Cash", day(2024, 1, 2), 10000));
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 10));
    ASSERT_TRUE(buy("ibm", day(2024, 1, 4), 50, 12, 6));
    EXPECT_EQ(cash(), "$8,384.00");
    ASSERT_TRUE(sell("IBM", day(2024, 1, 5), 120, 15, 12));

    // The first lot is gone, the second keeps 30 of its 50 shares and 30/50 of its commission.
    EXPECT_EQ(portfolioRow(6), "3|IBM|Buy|long|1/4/2024|30|$12.00|$3.60|");
    EXPECT_EQ(portfolioRow(7), "||||||||");
    EXPECT_EQ(cash(), "$10,172.00");
    EXPECT_EQ(historyRow(6), "1||Add Cash|1/2/2024||||$10,000.00|");
    EXPECT_EQ(historyRow(7), "2|IBM|Buy|1/3/2024|100|$10.00|$10.00|-$1,010.00|");
    EXPECT_EQ(historyRow(9), "4|IBM|Sell|1/5/2024|120|$15.00|$12.00|$1,788.00|");
    EXPECT_EQ(shown(history(), "J9"), "Delete");
    EXPECT_EQ(lastPrompt(), "Sell transaction completed.");
}

TEST_F(BookkeepingTest, LotsAreUsedInDateOrderNotBookingOrder) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 0));
    ASSERT_TRUE(buy("IBM", day(2024, 1, 10), 50, 12, 0));
    // On January 5 only the first lot is open.
    EXPECT_FALSE(sell("IBM", day(2024, 1, 5), 120, 15, 0));
    EXPECT_EQ(lastPrompt(),
              "Sell of 120 IBM on 1/5/2024 refused: only 100 shares of IBM are "
              "open on that date.");
    ASSERT_TRUE(sell("IBM", day(2024, 1, 5), 60, 15, 0));
    EXPECT_EQ(portfolioRow(6), "1|IBM|Buy|long|1/3/2024|40|$10.00|$0.00|");
    EXPECT_EQ(portfolioRow(7), "2|IBM|Buy|long|1/10/2024|50|$12.00|$0.00|");
}

TEST_F(BookkeepingTest, AShortPositionIsCoveredAndCannotBeOvercovered) {
    ASSERT_TRUE(sellShort("KO", day(2024, 2, 1), 100, 20, 10));
    EXPECT_EQ(lastPrompt(), "Sell Short transaction completed.");
    EXPECT_EQ(cash(), "$1,990.00");
    ASSERT_TRUE(cover("KO", day(2024, 2, 2), 60, 15, 6));
    EXPECT_EQ(lastPrompt(), "Cover Short transaction completed.");
    EXPECT_EQ(portfolioRow(6), "1|KO|Sell Short|short|2/1/2024|40|$20.00|$4.00|");
    EXPECT_EQ(cash(), "$1,084.00");

    EXPECT_FALSE(cover("KO", day(2024, 2, 3), 41, 15, 0));
    EXPECT_EQ(lastPrompt(),
              "Cover Short of 41 KO on 2/3/2024 refused: only 40 short shares of "
              "KO are open on that date.");
    // A long sale does not touch the short lot.
    EXPECT_FALSE(sell("KO", day(2024, 2, 3), 10, 15, 0));
    EXPECT_EQ(bookedRows(), 2);
    EXPECT_EQ(cash(), "$1,084.00");
}

TEST_F(BookkeepingTest, ARefusedSaleChangesNothing) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 10, 10, 0));
    const std::string before = portfolioRow(6) + cash();
    EXPECT_FALSE(sell("IBM", day(2024, 1, 4), 11, 15, 0));
    EXPECT_EQ(forms::scriptedDriver().messages().back().style, forms::vbExclamation);
    EXPECT_EQ(forms::scriptedDriver().messages().back().title, "Kavex");
    EXPECT_FALSE(sell("MSFT", day(2024, 1, 4), 1, 15, 0));
    EXPECT_EQ(lastPrompt(),
              "Sell of 1 MSFT on 1/4/2024 refused: only 0 shares of MSFT are open "
              "on that date.");
    EXPECT_EQ(bookedRows(), 1);
    EXPECT_EQ(portfolioRow(6) + cash(), before);
    EXPECT_EQ(dialogs::TransactionEntryMode, "");
}

TEST_F(BookkeepingTest, CashMovesWithEveryKindOfTransaction) {
    struct Step {
        std::function<bool()> book;
        const char* cash;
    };
    const std::vector<Step> steps = {
        {[&] { return cashMove("Add Cash", day(2024, 1, 2), 5000); }, "$5,000.00"},
        {[&] { return cashMove("Withdraw Cash", day(2024, 1, 2), 1000); }, "$4,000.00"},
        {[&] { return buy("IBM", day(2024, 1, 3), 10, 100, 5); }, "$2,995.00"},
        {[&] { return sell("IBM", day(2024, 1, 4), 4, 110, 5); }, "$3,430.00"},
        {[&] { return sellShort("KO", day(2024, 1, 5), 10, 50, 5); }, "$3,925.00"},
        {[&] { return cover("KO", day(2024, 1, 6), 10, 40, 5); }, "$3,520.00"},
        {[&] {
             return BuyTransactionFunction("Dividend Stocks", "long", 12, "MSFT", day(2024, 1, 7),
                                           3, 0, 0, "");
         },
         "$3,520.00"},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        ASSERT_TRUE(steps[i].book()) << i << ": " << lastPrompt();
        EXPECT_EQ(cash(), steps[i].cash) << i;
    }
    EXPECT_EQ(lastPrompt(), "Dividend Stock transaction completed.");
    EXPECT_EQ(portfolioRow(7), "7|MSFT|Dividend Stocks|long|1/7/2024|3|$0.00|$0.00|");
}

TEST_F(BookkeepingTest, AnEditBooksANewVersionAndKeepsTheOldOneAsDeleted) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 10, "first"));
    dialogs::TransactionEditRow = 6;
    dialogs::TransactionEntryMode = "Edit";
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 11, 10, "first"));
    EXPECT_EQ(lastPrompt(), "Buy transaction Updated.");
    EXPECT_EQ(dialogs::TransactionEntryMode, "");
    EXPECT_EQ(historyRow(6), "1|IBM|Buy|1/3/2024|100|$10.00|$10.00|-$1,010.00|first-Deleted");
    EXPECT_EQ(historyRow(7), "2|IBM|Buy|1/3/2024|100|$11.00|$10.00|-$1,110.00|first-Created");
    EXPECT_EQ(portfolioRow(6), "2|IBM|Buy|long|1/3/2024|100|$11.00|$10.00|first-Created");
    EXPECT_EQ(portfolioRow(7), "||||||||");
    EXPECT_EQ(cash(), "-$1,110.00");

    // Edited again: one version replaces the other, the markers do not pile up.
    dialogs::TransactionEditRow = 6;
    dialogs::TransactionEntryMode = "Edit";
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 90, 11, 10, "first-Created"));
    EXPECT_EQ(shown(history(), "I7"), "first-Deleted");
    EXPECT_EQ(portfolioRow(6), "3|IBM|Buy|long|1/3/2024|90|$11.00|$10.00|first-Created");
    EXPECT_EQ(cash(), "-$1,000.00");
}

TEST_F(BookkeepingTest, AnEditOfALotASaleHasUsedIsRefused) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 0));
    ASSERT_TRUE(sell("IBM", day(2024, 1, 4), 40, 12, 0));
    dialogs::TransactionEditRow = 6;
    dialogs::TransactionEntryMode = "Edit";
    EXPECT_FALSE(buy("IBM", day(2024, 1, 3), 60, 11, 0));
    EXPECT_EQ(lastPrompt(),
              "Transaction 1 has been adjusted by a later sale or split and cannot "
              "be changed. Delete the later transactions first.");
    EXPECT_EQ(bookedRows(), 2);
    EXPECT_EQ(portfolioRow(6), "1|IBM|Buy|long|1/3/2024|60|$10.00|$0.00|");
}

TEST_F(BookkeepingTest, DeletingATransactionRebuildsThePortfolio) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 10, 10, 0));
    ASSERT_TRUE(buy("MSFT", day(2024, 1, 4), 5, 20, 0));
    forms::scriptedDriver().queueAnswer(forms::vbNo);
    dialogs::DeleteTransaction(history().range("J7"));
    EXPECT_EQ(bookedRows(), 2);

    forms::scriptedDriver().queueAnswer(forms::vbYes);
    dialogs::DeleteTransaction(history().range("J7"));
    EXPECT_EQ(forms::scriptedDriver().messages().back().prompt,
              "Are you sure you want to delete this transaction?");
    EXPECT_EQ(forms::scriptedDriver().messages().back().style, forms::vbYesNo | forms::vbQuestion);
    EXPECT_EQ(bookedRows(), 1);
    EXPECT_EQ(portfolioRow(6), "1|IBM|Buy|long|1/3/2024|10|$10.00|$0.00|");
    EXPECT_EQ(portfolioRow(7), "||||||||");
    EXPECT_EQ(cash(), "-$100.00");
    EXPECT_EQ(history().range("J7").hyperlinks().count(), 0);
    EXPECT_TRUE(core::PortfolioHistoryChanged);

    // Ids are never given twice, not even the id of a deleted transaction.
    ASSERT_TRUE(buy("KO", day(2024, 1, 5), 1, 1, 0));
    EXPECT_EQ(shown(portfolio(), "A7"), "3");
}

TEST_F(BookkeepingTest, APurchaseALaterSaleUsedCannotBeDeleted) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 0));
    ASSERT_TRUE(sell("IBM", day(2024, 1, 4), 50, 12, 0));
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    dialogs::DeleteTransaction(history().range("J6"));
    EXPECT_EQ(lastPrompt(),
              "Transaction 1 cannot be deleted: transaction 2 uses its shares. "
              "Delete transaction 2 first.");
    EXPECT_EQ(bookedRows(), 2);

    // The sale itself can go, and then the purchase. The rows below a deleted one move up.
    ASSERT_TRUE(buy("KO", day(2024, 1, 5), 1, 1, 0));
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    dialogs::DeleteTransaction(history().range("J7"));
    EXPECT_EQ(historyRow(7), "3|KO|Buy|1/5/2024|1|$1.00|$0.00|-$1.00|");
    EXPECT_EQ(history().range("J7").hyperlinks().item(1).subAddress(), "PortfolioHistoryID");
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    dialogs::DeleteTransaction(history().range("J7"));
    EXPECT_EQ(portfolioRow(6), "1|IBM|Buy|long|1/3/2024|100|$10.00|$0.00|");
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    dialogs::DeleteTransaction(history().range("J6"));
    EXPECT_EQ(bookedRows(), 0);
    EXPECT_EQ(portfolioRow(6), "||||||||");
    EXPECT_EQ(cash(), "$0.00");
}

TEST_F(BookkeepingTest, ASplitAdjustsTheOpenLotsOnce) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 50, 0));
    ASSERT_TRUE(sellShort("IBM", day(2024, 1, 4), 10, 60, 0));
    const std::vector<CorporateAction> split = {{"IBM", "Split", day(2024, 1, 10), "2:1"},
                                                {"MSFT", "Split", day(2024, 1, 10), "3:1"}};
    EXPECT_EQ(BookDividendsAndSplits(split), 1);
    EXPECT_EQ(BookDividendsAndSplits(split), 0);
    EXPECT_EQ(portfolioRow(6), "1|IBM|Buy|long|1/3/2024|200|$25.00|$0.00|");
    EXPECT_EQ(portfolioRow(7), "2|IBM|Sell Short|short|1/4/2024|20|$30.00|$0.00|");
    EXPECT_EQ(historyRow(8), "3|IBM|Split|1/10/2024|2|||$0.00|Split 2:1");
    // A sale after the split sells split shares.
    ASSERT_TRUE(sell("IBM", day(2024, 1, 11), 150, 26, 0));
    EXPECT_EQ(portfolioRow(6), "1|IBM|Buy|long|1/3/2024|50|$25.00|$0.00|");
}

TEST_F(BookkeepingTest, ADividendIsBookedOnceHoweverOftenTheJobRuns) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 0));
    ASSERT_TRUE(buy("IBM", day(2024, 3, 1), 50, 10, 0));
    const std::vector<CorporateAction> dividend = {{"IBM", "Dividend", day(2024, 2, 1), "0.5"},
                                                   {"KO", "Dividend", day(2024, 2, 1), "0.4"}};
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(BookDividendsAndSplits(dividend), run == 0 ? 1 : 0);
    }
    // Paid on the 100 shares held on its day, not on the 50 bought later.
    EXPECT_EQ(historyRow(8),
              "3|IBM|Dividend Cash|2/1/2024|100|$0.50|$0.00|$50.00|Dividend of "
              "$0.50 per share");
    EXPECT_EQ(cash(), "-$1,450.00");
    EXPECT_EQ(portfolioRow(8), "||||||||");
    EXPECT_TRUE(core::PortfolioRowRewritten);
}

TEST_F(BookkeepingTest, BadFiguresAreRefusedAndNothingIsBooked) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::string symbol;
        base::Date date;
        double shares, price, commission;
        std::string remarks;
        std::string message;
    };
    const base::Date ok = day(2024, 1, 3);
    const std::vector<Case> cases = {
        {"IBM", ok, 0, 10, 0, "", "Number of shares must be a number above 0."},
        {"IBM", ok, -5, 10, 0, "", "Number of shares must be a number above 0."},
        {"IBM", ok, nan, 10, 0, "", "Number of shares must be a number above 0."},
        {"IBM", ok, 1e12, 10, 0, "", "Number of shares is too large."},
        {"IBM", ok, 10, 0, 0, "", "Price must be a number above 0."},
        {"IBM", ok, 10, -1, 0, "", "Price must be a number above 0."},
        {"IBM", ok, 10, 1e15, 0, "", "Price is too large."},
        {"IBM", ok, 10, 10, -1, "", "Commission must be a number of 0 or more."},
        {"ZZZZ", ok, 10, 10, 0, "", "The symbol ZZZZ is not in the symbol list."},
        {"", ok, 10, 10, 0, "", "Symbol cannot be blank."},
        {"IBM", base::addDays(today(), 1), 10, 10, 0, "",
         "Transaction date cannot be greater than today's date."},
        {"IBM", day(1900, 2, 28), 10, 10, 0, "", "Minimum valid date is March 1, 1900."},
        {"IBM", ok, 10, 10, 0, "old-Deleted",
         "Remarks cannot end in \"-Deleted\": the history marks changed transactions with it."},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(buy(c.symbol, c.date, c.shares, c.price, c.commission, c.remarks))
            << c.message;
        EXPECT_EQ(lastPrompt(), c.message);
    }
    double negative = -5;
    base::Date date = ok;
    std::string type = "Add Cash", code = "1", remarks;
    EXPECT_FALSE(AddCashToPortFolioHistory(type, date, negative, code, remarks));
    EXPECT_EQ(lastPrompt(), "Amount must be a number of 0 or more.");
    EXPECT_EQ(bookedRows(), 0);
    EXPECT_EQ(portfolioRow(6), "||||||||");
    EXPECT_FALSE(core::PortfolioHistoryChanged);
}

TEST_F(BookkeepingTest, ADamagedLedgerRowStopsBookingUntilItIsMended) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 10, 10, 0));
    history().range("E6").setValue(base::Variant("lots"));
    EXPECT_FALSE(buy("IBM", day(2024, 1, 4), 10, 10, 0));
    EXPECT_EQ(lastPrompt(),
              "Row 6 of the sheet \"Portfolio History\" cannot be read: its shares "
              "are not a number above 0. Correct or clear that row, then try "
              "again.");
    EXPECT_EQ(bookedRows(), 1);

    history().range("A6").setValue(base::Variant("one"));
    history().range("E6").setValue(base::Variant(10.0));
    EXPECT_FALSE(buy("IBM", day(2024, 1, 4), 10, 10, 0));
    EXPECT_EQ(lastPrompt(),
              "Row 6 of the sheet \"Portfolio History\" cannot be read: its ID is "
              "not a whole number from 1 up. Correct or clear that row, then try "
              "again.");

    history().range("A6").setValue(base::Variant(1.0));
    EXPECT_TRUE(buy("IBM", day(2024, 1, 4), 10, 10, 0));
    EXPECT_EQ(shown(portfolio(), "A7"), "2");
}

// A hand-edited history row holding figures no booking accepts (beyond a billion, before March 1,
// 1900) is a damaged row: named in the message, and nothing is booked on top of it.
TEST_F(BookkeepingTest, AHistoryRowBeyondWhatABookingAcceptsIsDamaged) {
    ASSERT_TRUE(cashMove("Add Cash", day(2024, 1, 2), 1000));
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 10, 10, 0));
    ASSERT_EQ(shown(history(), "C7"), "Buy");
    const std::string cashBefore = cash();
    const struct {
        const char* cell;
        base::Variant value;
        const char* why;
    } damages[] = {
        {"E7", base::Variant(1e308), "its shares are more than 1,000,000,000"},
        {"E7", base::Variant(1000000001.0), "its shares are more than 1,000,000,000"},
        {"F7", base::Variant(1e308), "its price or commission is more than 1,000,000,000"},
        {"G7", base::Variant(2e9), "its price or commission is more than 1,000,000,000"},
        {"D7", base::Variant(-100000.0), "its date is before March 1, 1900"},
        {"D7", base::Variant(base::Date{59}), "its date is before March 1, 1900"},
        {"D7", base::Variant(1e308), "its date does not read as a date"},
        {"H6", base::Variant(1e308), "its amount is more than 1,000,000,000"},
        {"H6", base::Variant(-1e308), "its amount is more than 1,000,000,000"},
    };
    for (const auto& damage : damages) {
        const base::Variant kept = history().range(damage.cell).value();
        history().range(damage.cell).setValue(damage.value);
        const std::string row = std::string(damage.cell).substr(1);
        EXPECT_FALSE(buy("IBM", day(2024, 1, 4), 10, 10, 0)) << damage.cell;
        EXPECT_EQ(lastPrompt(), "Row " + row +
                                    " of the sheet \"Portfolio History\" cannot be read: " +
                                    damage.why + ". Correct or clear that row, then try again.")
            << damage.cell;
        EXPECT_FALSE(cashMove("Add Cash", day(2024, 1, 4), 5)) << damage.cell;
        EXPECT_EQ(bookedRows(), 2) << damage.cell;
        EXPECT_EQ(cash(), cashBefore) << damage.cell;
        history().range(damage.cell).setValue(kept);
    }
    // The limits themselves are what a booking accepts, and still read.
    history().range("E7").setValue(base::Variant(1e9));
    history().range("D7").setValue(base::Variant(*base::makeDate(1900, 3, 1)));
    history().range("H6").setValue(base::Variant(1e9));
    EXPECT_TRUE(cashMove("Add Cash", day(2024, 1, 4), 5));
    EXPECT_EQ(bookedRows(), 3);
}

// A millionth of a share is seen on both sheets, not rounded away to "0.".
TEST_F(BookkeepingTest, ATinyFractionOfAShareShowsItsDigits) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 0.000001, 10, 0));
    EXPECT_EQ(shown(portfolio(), "G6"), "0.000001");
    EXPECT_EQ(shown(history(), "E6"), "0.000001");
}

TEST_F(BookkeepingTest, TheRowTypedByHandGivesWayToTheBookedRow) {
    ASSERT_TRUE(buy("MSFT", day(2024, 1, 3), 5, 20, 0));
    EXPECT_TRUE(core::PortfolioRowRewritten);
    core::PortfolioRowRewritten = false;
    // The user typed a purchase into row 7 and a half-typed one into row 9.
    portfolio().range("B7").setValue(base::Variant("IBM"));
    portfolio().range("D7").setValue(base::Variant("Buy"));
    portfolio().range("B9").setValue(base::Variant("KO"));
    portfolio().range("N9").setValue(base::Variant("later B9"));
    excelevents::PortfolioEditRow = 7;
    dialogs::TransactionEntryMode = "Hand Edit";
    ASSERT_TRUE(buy("IBM", day(2024, 1, 4), 10, 10, 0));
    EXPECT_FALSE(core::PortfolioRowRewritten);
    EXPECT_EQ(portfolioRow(6), "2|IBM|Buy|long|1/4/2024|10|$10.00|$0.00|");
    EXPECT_EQ(portfolioRow(7), "1|MSFT|Buy|long|1/3/2024|5|$20.00|$0.00|");
    // It moves up a row; its words stay as typed.
    EXPECT_EQ(portfolioRow(8), "|KO|||||||later B9");
    EXPECT_EQ(portfolioRow(9), "||||||||");
}

TEST_F(BookkeepingTest, RowsCarryTheirLinksFormulasAndAlerts) {
    lastPrices["IBM"] = "$12.50";
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 10));
    ASSERT_TRUE(sellShort("MSFT", day(2024, 1, 3), 10, 30, 0));
    const sheet::Worksheet sheet = portfolio();
    EXPECT_EQ(sheet.range("J6").formula(), "=KavexLast(B6)");
    EXPECT_EQ(sheet.range("K6").formula(), "=KavexChPerc(B6)");
    EXPECT_EQ(sheet.range("C6").formula(), "=KavexName(B6)");
    EXPECT_EQ(shown(sheet, "L6"), "$240.00");
    EXPECT_EQ(shown(sheet, "M6"), "23.76%");
    EXPECT_EQ(shown(sheet, "L7"), "");  // no price yet
    EXPECT_EQ(sheet.range("A6").hyperlinks().item(1).subAddress(), "PortfolioEditEntry");
    EXPECT_EQ(sheet.range("B6").hyperlinks().item(1).subAddress(), "DetailsSymbol");
    EXPECT_EQ(history().range("J7").hyperlinks().item(1).subAddress(), "PortfolioHistoryID");
    EXPECT_EQ(history().range("B7").hyperlinks().count(), 0);
    // Following an edit link goes to the ID header, then on to the edit.
    host_.followHyperlink(sheet.range("A6"));
    EXPECT_EQ(host_.activeCell().address(), "$A$5");

    lastPrices["MSFT"] = "$25.00";
    sheet.range("S7").setValue(base::Variant("A55"));
    sheet.range("R7").setFormula("=IF(B7=\"\",\"\",\"alert\")");
    // KO sorts between them: the MSFT row moves down with its alert.
    ASSERT_TRUE(buy("KO", day(2024, 1, 4), 1, 1, 0));
    EXPECT_EQ(shown(sheet, "B8"), "MSFT");
    EXPECT_EQ(shown(sheet, "S8"), "A55");
    EXPECT_EQ(sheet.range("R8").formula(), "=IF(B8=\"\",\"\",\"alert\")");
    EXPECT_EQ(shown(sheet, "S7"), "");
    EXPECT_EQ(shown(sheet, "L8"), "$50.00");
}

TEST_F(BookkeepingTest, TheDateCheckNamesWhatIsWrong) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::string tomorrow = base::formatGeneralDate(base::addDays(today(), 1));
    const std::vector<Case> cases = {
        {"", "Transaction date cannot be blank."},
        {"   ", "Transaction date cannot be blank."},
        {"soon", "Enter a valid date."},
        {"2/30/2024", "Enter a valid date."},
        {"2/28/1900", "Minimum valid date is March 1, 1900."},
        {tomorrow, "Transaction date cannot be greater than today's date."},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ValidateTransactionDate(c.text)) << c.text;
        EXPECT_EQ(lastPrompt(), c.message) << c.text;
        EXPECT_EQ(forms::scriptedDriver().messages().back().style, forms::vbExclamation);
        EXPECT_EQ(forms::scriptedDriver().messages().back().title, "Kavex");
    }
    const std::size_t shownBefore = forms::scriptedDriver().messages().size();
    EXPECT_TRUE(ValidateTransactionDate("3/1/1900"));
    EXPECT_TRUE(ValidateTransactionDate(base::formatGeneralDate(today())));
    EXPECT_EQ(forms::scriptedDriver().messages().size(), shownBefore);
}

TEST_F(BookkeepingTest, FillRecordReadsTheEditRowOrEmptiesTheRecord) {
    ASSERT_TRUE(buy("IBM", day(2024, 1, 3), 100, 10, 5, "note"));
    dialogs::TransactionEditRow = 6;
    bool fromSheet = true;
    EXPECT_EQ(FillRecord(fromSheet), 0);
    EXPECT_EQ(TransactionRecord.Equity, "IBM");
    EXPECT_EQ(TransactionRecord.NumberOfShares, 100);
    EXPECT_EQ(TransactionRecord.Price, 10);
    EXPECT_EQ(TransactionRecord.Commission, 5);
    EXPECT_EQ(TransactionRecord.TransactionDate, day(2024, 1, 3));
    EXPECT_EQ(TransactionRecord.Remarks, "note");

    dialogs::TransactionEditRow = 0;
    EXPECT_EQ(FillRecord(fromSheet), 0);
    EXPECT_EQ(TransactionRecord.Equity, "");
    EXPECT_EQ(TransactionRecord.NumberOfShares, 0);
    EXPECT_EQ(TransactionRecord.Remarks, "");
    EXPECT_EQ(TransactionRecord.TransactionDate, day(2024, 1, 3));  // kept
}

}  // namespace
}  // namespace kavex::addin::portfolio
