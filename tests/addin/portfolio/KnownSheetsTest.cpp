#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "addin/portfolio/Booking.h"
#include "addin/portfolio/KnownSheets.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "tests/addin/portfolio/PortfolioFixture.h"

namespace kavex::addin::portfolio {
namespace {

// The bookings keep the ledger they read and the lots they showed while the sheets stand as they
// were. A value a formula on the history shows may change without anyone editing the history:
// recalculation after a cell it reads changed, on another sheet or in another workbook. A
// booking must then give what reading the history afresh gives.
class KnownSheetsTest : public testing::PortfolioFixture {
  protected:
    void SetUp() override {
        PortfolioFixture::SetUp();
        watchList().range("Z1").setValue(base::Variant(50.0));
    }

    sheet::Worksheet watchList() const {
        sheet::Worksheets sheets = book_.worksheets();
        for (int i = 1; i <= sheets.count(); ++i) {
            if (sheets.item(i).name() == "Watch List") {
                return sheets.item(i);
            }
        }
        return sheets.add("Watch List");
    }

    bool addCash(double amount) {
        resetGlobals();
        std::string type = "Add Cash", code = "1", remarks;
        base::Date when = today();
        return AddCashToPortFolioHistory(type, when, amount, code, remarks);
    }

    // $10,000 deposited, then 100 IBM bought at the price the watch list's Z1 gives the history
    // (F7, the lot's price), then $1,000 more deposited: the bookings know the ledger with the
    // lot at $50, and the portfolio shows $6,000.
    void bookALotPricedByTheWatchList(const std::string& priceFormula) {
        ASSERT_TRUE(addCash(10000));
        resetGlobals();
        ASSERT_TRUE(
            BuyTransactionFunction("Buy", "long", 3, "IBM", day(2024, 1, 3), 100, 50, 0, ""));
        history().range("F7").setFormula(priceFormula);
        ASSERT_EQ(shown(history(), "F7"), "$50.00");
        ASSERT_TRUE(addCash(1000));
        ASSERT_EQ(cash(), "$6,000.00");
    }

    void setWatchListPrice(double price) { watchList().range("Z1").setValue(base::Variant(price)); }

    // Books the lot priced by the formula, lets `change` move its price to $10, and deposits $1:
    // the cash is then what the history says.
    void expectTheNextBookingPlaysTheNewPrice(const std::string& priceFormula,
                                              const std::function<void()>& change) {
        bookALotPricedByTheWatchList(priceFormula);
        if (HasFatalFailure()) {
            return;
        }
        change();
        ASSERT_EQ(shown(history(), "F7"), "$10.00");
        ASSERT_TRUE(addCash(1));
        EXPECT_EQ(cash(), "$10,001.00");
        EXPECT_EQ(shownCash(), freshCash());
    }

    // The cash a fresh read of the history gives.
    double freshCash() const {
        const LedgerRows ledger = ReadLedger(history(), HistoryLayoutOf(history()));
        const auto books = Replay(ledger.entries());
        return std::get<Books>(books).cash;
    }
    double shownCash() const { return base::CDbl(portfolio().range("C3").value()); }
};

TEST_F(KnownSheetsTest, ABookingPlaysAPriceTheHistoryRecalculatedAsItNowShows) {
    expectTheNextBookingPlaysTheNewPrice("='Watch List'!Z1", [this] { setWatchListPrice(10); });
}

// In manual calculation the history shows the old price until a calculation; the booking after
// it plays the new one.
TEST_F(KnownSheetsTest, APriceRecalculatedByCalculateIsPlayedByTheNextBooking) {
    expectTheNextBookingPlaysTheNewPrice("='Watch List'!Z1", [this] {
        host_.setCalculation(sheet::xlCalculationManual);
        setWatchListPrice(10);
        ASSERT_EQ(shown(history(), "F7"), "$50.00");
        host_.calculate();
    });
}

TEST_F(KnownSheetsTest, APriceRecalculatedBackInAutomaticCalculationIsPlayedByTheNextBooking) {
    expectTheNextBookingPlaysTheNewPrice("='Watch List'!Z1", [this] {
        host_.setCalculation(sheet::xlCalculationManual);
        setWatchListPrice(10);
        ASSERT_EQ(shown(history(), "F7"), "$50.00");
        host_.setCalculation(sheet::xlCalculationAutomatic);
    });
}

TEST_F(KnownSheetsTest, APriceCalculatedOnItsOwnIsPlayedByTheNextBooking) {
    expectTheNextBookingPlaysTheNewPrice("='Watch List'!Z1", [this] {
        host_.setCalculation(sheet::xlCalculationManual);
        setWatchListPrice(10);
        history().range("F7").calculate();
        host_.setCalculation(sheet::xlCalculationAutomatic);
    });
}

// A booking switches calculation off while it writes and back on when it is done: a price that
// waited for calculation changes under the booking that read it, and the next booking reads it
// again.
TEST_F(KnownSheetsTest, APriceABookingsOwnCalculationChangedIsPlayedByTheNextBooking) {
    bookALotPricedByTheWatchList("='Watch List'!Z1");
    host_.setCalculation(sheet::xlCalculationManual);
    setWatchListPrice(10);
    ASSERT_TRUE(addCash(1));
    EXPECT_EQ(cash(), "$6,001.00");  // the history showed $50 when it was read
    ASSERT_EQ(shown(history(), "F7"), "$10.00");
    ASSERT_TRUE(addCash(1));
    EXPECT_EQ(cash(), "$10,002.00");
    EXPECT_EQ(shownCash(), freshCash());
}

TEST_F(KnownSheetsTest, APriceReadThroughAnotherSheetIsPlayedAsItNowShows) {
    book_.worksheets().item("KavexInfo").range("C1").setFormula("='Watch List'!Z1*1");
    expectTheNextBookingPlaysTheNewPrice("=KavexInfo!C1", [this] { setWatchListPrice(10); });
}

TEST_F(KnownSheetsTest, APriceReadThroughANameIsPlayedAsItNowShows) {
    book_.names().add("LotPrice", "='Watch List'!$Z$1");
    expectTheNextBookingPlaysTheNewPrice("=LotPrice", [this] { setWatchListPrice(10); });
}

// A worksheet function that reads a cell of another workbook, calculated again.
TEST_F(KnownSheetsTest, APriceReadFromAnotherWorkbookIsPlayedAsItNowShows) {
    sheet::Workbook other = host_.workbooks().add();
    other.worksheets().item(1).range("A1").setValue(base::Variant(50.0));
    host_.registerFunction("OtherBookPrice", [other](const auto&) {
        return other.worksheets().item(1).range("A1").value();
    });
    book_.activate();
    portfolio().activate();
    expectTheNextBookingPlaysTheNewPrice("=OtherBookPrice()", [&] {
        other.worksheets().item(1).range("A1").setValue(base::Variant(10.0));
        history().range("F7").calculate();
    });
}

// The Portfolio sheet's attribute captions say which function each lot's row calls; a caption a
// formula gives may change by recalculation too, and the next booking writes every row for it.
TEST_F(KnownSheetsTest, ABookingWritesTheRowsForTheCaptionsThePortfolioNowShows) {
    watchList().range("Z2").setValue(base::Variant("Last Trade Price"));
    portfolio().range("J5").setFormula("='Watch List'!Z2");
    lastPrices = {{"IBM", "$120.00"}, {"KO", "$60.50"}};
    resetGlobals();
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "IBM", day(2024, 1, 3), 10, 50, 0, ""));
    ASSERT_EQ(portfolio().range("J6").formula(), "=KavexLast(B6)");
    watchList().range("Z2").setValue(base::Variant("Change in Price (%)"));
    resetGlobals();
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "KO", day(2024, 1, 4), 10, 50, 0, ""));
    // Both rows as a rewrite of the whole sheet writes them now.
    EXPECT_EQ(portfolio().range("J6").formula(), "=KavexChPerc(B6)");
    EXPECT_EQ(portfolio().range("J7").formula(), "=KavexChPerc(B7)");
    EXPECT_EQ(portfolio().range("L6").formula(), "");
    EXPECT_EQ(portfolio().range("L7").formula(), "");
}

// Random bookings, interleaved with formulas put on the history that read the watch list and
// changes to what they read (in automatic and in manual calculation), are played twice: once as
// the bookings go, once with every known sheet forgotten before each booking. Each step leaves
// both portfolios alike, cell for cell.
class RandomKnownSheetsTest : public KnownSheetsTest {
  protected:
    static std::string snapshot(const sheet::Worksheet& sheet) {
        std::string out;
        const sheet::Range used = sheet.usedRange();
        for (int row = 1; row < used.row() + used.rowCount() + 1; ++row) {
            for (int column = 1; column < used.column() + used.columnCount() + 1; ++column) {
                const sheet::Range cell = sheet.cells(row, column);
                if (!cell.formula().empty()) {
                    out += cell.address(false, false) + " " + cell.formula() + " [" + cell.text() +
                           "]\n";
                }
            }
        }
        return out;
    }

    // The step and the first line where the two differ.
    static std::string firstDifference(const std::string& a, const std::string& b) {
        std::istringstream left(a), right(b);
        std::string step, x, y;
        std::getline(left, step);
        std::getline(right, y);
        while (true) {
            const bool moreLeft = static_cast<bool>(std::getline(left, x));
            const bool moreRight = static_cast<bool>(std::getline(right, y));
            if (!moreLeft || !moreRight || x != y) {
                return step + "\nremembered: " + (moreLeft ? x : "(end)") +
                       "\nforgotten:  " + (moreRight ? y : "(end)");
            }
        }
    }

    // The sheets after every step of the seed's play.
    std::vector<std::string> play(unsigned seed, bool remembering) {
        sheet::Workbook book = host_.workbooks().add();
        testing::BuildPortfolioWorkbook(book);
        const sheet::Worksheet prices = book.worksheets().add("Watch List");
        for (int k = 1; k <= 4; ++k) {
            prices.cells(k, 26).setValue(base::Variant(10.0 * k));
        }
        sheet::Worksheet folio = book.worksheets().item("Portfolio");
        const sheet::Worksheet ledger = book.worksheets().item("Portfolio History");
        const std::vector<std::string> symbols = {"IBM", "KO", "MSFT"};
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const auto booking = [&](const std::function<bool()>& action) {
            book.activate();
            folio.activate();
            if (!remembering) {
                ForgetKnownSheets();
            }
            resetGlobals();
            forms::scriptedDriver().reset();
            const bool booked = action();
            return std::string(booked ? "booked" : "refused: " + lastPrompt());
        };
        const auto bookedRows = [&] {
            int rows = 0;
            while (!ledger.cells(6 + rows, 1).text().empty()) {
                ++rows;
            }
            return rows;
        };
        std::vector<std::string> steps;
        for (int step = 0; step < 60; ++step) {
            const std::string symbol = symbols[static_cast<std::size_t>(pick(3))];
            const int kind = pick(12);
            std::string what = std::to_string(step) + " kind " + std::to_string(kind) + ": ";
            switch (kind) {
                case 0:
                case 1:
                case 2: {
                    const base::Date date = day(2024, 1 + pick(3), 1 + pick(28));
                    const double shares = 10.0 * (1 + pick(10));
                    const double price = 5.0 + pick(50);
                    what += booking([&] {
                        return BuyTransactionFunction("Buy", "long", 3, symbol, date, shares, price,
                                                      1, "");
                    });
                    break;
                }
                case 3: {
                    const double shares = 5.0 * (1 + pick(10));
                    const base::Date date = day(2024, 4, 1 + pick(28));
                    what += booking([&] {
                        return SellTransactionFunction("Sell", "long", 4, 4, symbol, date, shares,
                                                       20, 1, "");
                    });
                    break;
                }
                case 4: {
                    const bool in = pick(2) == 0;
                    const double amount = 100.0 * (1 + pick(20));
                    what += booking([&] {
                        std::string type = in ? "Add Cash" : "Withdraw Cash";
                        std::string code = in ? "1" : "2", remarks;
                        base::Date when = today();
                        double sum = amount;
                        return AddCashToPortFolioHistory(type, when, sum, code, remarks);
                    });
                    break;
                }
                case 5: {
                    const int rows = bookedRows();
                    if (rows > 0) {
                        const int row = 6 + pick(rows);
                        what += "delete row " + std::to_string(row) + " " +
                                booking([&] { return DeleteHistoryTransaction(ledger, row); });
                    }
                    break;
                }
                case 6:
                case 7: {  // a formula on the history: shares, price, commission or amount
                    const int rows = bookedRows();
                    if (rows > 0) {
                        const int row = 6 + pick(rows);
                        const int column = 5 + pick(4);
                        const std::string formula =
                            "='Watch List'!Z" + std::to_string(1 + pick(4)) + (pick(2) ? "*2" : "");
                        ledger.cells(row, column).setFormula(formula);
                        what += ledger.cells(row, column).address(false, false) + " " + formula;
                    }
                    break;
                }
                case 8:
                case 9: {  // what the formulas read changes
                    const int k = 1 + pick(4);
                    const double price = 1.0 + pick(60);
                    prices.cells(k, 26).setValue(base::Variant(price));
                    what += "Z" + std::to_string(k) + " " + std::to_string(price);
                    break;
                }
                case 10: {  // the same in manual calculation, calculated now or later
                    host_.setCalculation(sheet::xlCalculationManual);
                    const int k = 1 + pick(4);
                    const double price = 1.0 + pick(60);
                    prices.cells(k, 26).setValue(base::Variant(price));
                    what += "manual Z" + std::to_string(k) + " " + std::to_string(price);
                    break;
                }
                default: {
                    const int how = pick(3);
                    if (how == 0) {
                        host_.calculate();
                    } else if (how == 1) {
                        host_.setCalculation(sheet::xlCalculationAutomatic);
                    }
                    what += how == 0 ? "calculate" : how == 1 ? "automatic" : "nothing";
                    break;
                }
            }
            steps.push_back(what + "\n" + snapshot(folio) + snapshot(ledger));
        }
        host_.setCalculation(sheet::xlCalculationAutomatic);
        ForgetKnownSheets();
        return steps;
    }
};

TEST_F(RandomKnownSheetsTest, EveryBookingGivesWhatItGivesWithNothingRemembered) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const std::vector<std::string> remembered = play(seed, true);
        const std::vector<std::string> forgotten = play(seed, false);
        ASSERT_EQ(remembered.size(), forgotten.size());
        for (std::size_t i = 0; i < remembered.size(); ++i) {
            if (remembered[i] != forgotten[i]) {
                FAIL() << "seed " << seed << ", step " << i << "\n"
                       << firstDifference(remembered[i], forgotten[i]);
            }
        }
    }
}

}  // namespace
}  // namespace kavex::addin::portfolio
