#include "addin/portfolio/Ledger.h"

#include <gtest/gtest.h>

#include <variant>

#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/TransactionCodes.h"
#include "platform/base/Format.h"

namespace kavex::addin::portfolio {
namespace {

base::Date day(int d) {
    return *base::makeDate(2024, 1, d);
}

LedgerEntry trade(long id, const char* symbol, short code, int d, double shares, double price,
                  double commission = 0) {
    LedgerEntry entry{id, symbol, code, day(d), shares, price, commission, 0, ""};
    entry.amount = CashEffect(entry);
    return entry;
}

TEST(LedgerTest, TheTypeTableNamesEveryCodeOnce) {
    for (const TransactionType& type : kTransactionTypes) {
        EXPECT_EQ(TypeOfCode(type.code)->name, type.name);
        EXPECT_EQ(TypeOfName(type.name)->code, type.code);
    }
    EXPECT_EQ(TypeOfName("  withdraw CASH ")->code, 2);
    EXPECT_EQ(TypeOfName("dividend stocks")->position, Position::Long);
    EXPECT_FALSE(TypeOfName("Sell Long"));
    EXPECT_FALSE(TypeOfCode(9));
}

TEST(LedgerTest, SalesUseTheOldestLotOfTheirSymbolAndPosition) {
    const auto books = Replay({trade(1, "IBM", 3, 1, 10, 5, 2), trade(2, "KO", 3, 2, 10, 5),
                               trade(3, "IBM", 5, 2, 10, 9), trade(4, "IBM", 3, 3, 10, 6, 4),
                               trade(5, "ibm", 4, 4, 15, 8, 1)});
    const Books& open = std::get<Books>(books);
    ASSERT_EQ(open.lots.size(), 3u);
    EXPECT_EQ(open.lots[0].symbol, "KO");
    EXPECT_EQ(open.lots[1].id, 3);  // the short lot is not sold
    EXPECT_EQ(open.lots[1].shares, 10);
    EXPECT_EQ(open.lots[2].id, 4);
    EXPECT_EQ(open.lots[2].shares, 5);
    EXPECT_DOUBLE_EQ(open.lots[2].commission, 2);
    EXPECT_TRUE(open.lots[2].adjusted());
    EXPECT_FALSE(open.lots[0].adjusted());
    // -52 -50 +90 -64 +119
    EXPECT_DOUBLE_EQ(open.cash, 43);
}

TEST(LedgerTest, ASaleBeyondWhatIsOpenIsRefusedWithItsId) {
    const auto books = Replay(
        {trade(1, "IBM", 3, 1, 10, 5), trade(2, "IBM", 4, 2, 6, 5), trade(3, "IBM", 4, 3, 5, 5)});
    const auto* refusal = std::get_if<BookingRefusal>(&books);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(refusal->id, 3);
    EXPECT_EQ(refusal->message,
              "Sell of 5 IBM on 1/3/2024 refused: only 4 shares of IBM are open on that date.");
    // Selling exactly what is open closes the lot, fractions included.
    const auto exact = Replay({trade(1, "IBM", 3, 1, 0.3, 5), trade(2, "IBM", 4, 2, 0.1, 5),
                               trade(3, "IBM", 4, 2, 0.2, 5)});
    EXPECT_TRUE(std::get<Books>(exact).lots.empty());
}

TEST(LedgerTest, SplitsAndDividendsApplyToWhatIsOpenOnTheirDay) {
    LedgerEntry split{9, "IBM", 8, day(5), 2, 0, 0, 0, ""};
    LedgerEntry dividend = trade(10, "IBM", 11, 6, 30, 0.5);
    const auto books = Replay({trade(1, "IBM", 3, 1, 10, 50), dividend, split,
                               trade(2, "IBM", 3, 7, 5, 20), trade(3, "IBM", 5, 2, 5, 40)});
    const Books& open = std::get<Books>(books);
    ASSERT_EQ(open.lots.size(), 3u);
    EXPECT_EQ(open.lots[0].shares, 20);
    EXPECT_EQ(open.lots[0].price, 25);
    EXPECT_FALSE(open.lots[0].adjusted());
    EXPECT_EQ(open.lots[1].shares, 10);  // the short lot splits too
    EXPECT_EQ(open.lots[2].shares, 5);   // bought after the split
    EXPECT_DOUBLE_EQ(open.cash, -500 + 200 + 15 - 100);

    EXPECT_EQ(SharesHeld({trade(1, "IBM", 3, 1, 10, 50), split, trade(2, "IBM", 3, 7, 5, 20)},
                         "ibm", day(6)),
              20);
    EXPECT_EQ(SplitFactor("3:2"), 1.5);
    EXPECT_EQ(SplitFactor("1:10"), 0.1);
    for (const char* bad : {"", "2", "2:0", "a:1", "-2:1", "2:1:1"}) {
        EXPECT_FALSE(SplitFactor(bad)) << bad;
    }
}

TEST(LedgerTest, CashFollowsEachKind) {
    LedgerEntry in{1, "", 1, day(1), 0, 0, 0, 100, ""};
    LedgerEntry out{2, "", 2, day(1), 0, 0, 0, 40, ""};
    EXPECT_EQ(CashEffect(in), 100);
    EXPECT_EQ(CashEffect(out), -40);
    EXPECT_EQ(CashEffect(trade(3, "A", 3, 1, 10, 2, 1)), -21);
    EXPECT_EQ(CashEffect(trade(4, "A", 4, 1, 10, 2, 1)), 19);
    EXPECT_EQ(CashEffect(trade(5, "A", 5, 1, 10, 2, 1)), 19);
    EXPECT_EQ(CashEffect(trade(6, "A", 6, 1, 10, 2, 1)), -21);
    EXPECT_EQ(CashEffect(trade(7, "A", 12, 1, 10, 2, 1)), -1);
    EXPECT_EQ(CashEffect(trade(8, "A", 11, 1, 10, 2)), 20);
}

// Shares show the decimals they have, however small the fraction, in the sheet's pattern and in
// the messages alike.
TEST(LedgerTest, FractionsOfSharesShowTheirDecimals) {
    const struct {
        double shares;
        const char* shown;
    } cases[] = {{10, "10"},
                 {1234567, "1,234,567"},
                 {1.5, "1.5"},
                 {1234.25, "1,234.25"},
                 {0.000001, "0.000001"},
                 {0.1 + 0.2, "0.3"},
                 {2.0 / 3.0, "0.666666666666667"},
                 {100.123456789, "100.123456789"}};
    for (const auto& c : cases) {
        EXPECT_EQ(base::formatNumber(c.shares, SharesFormat(c.shares)), c.shown) << c.shares;
        EXPECT_EQ(SharesText(c.shares), c.shown) << c.shares;
    }
}

}  // namespace
}  // namespace kavex::addin::portfolio
