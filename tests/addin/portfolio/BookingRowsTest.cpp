#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "addin/portfolio/Booking.h"
#include "addin/portfolio/DividendsAndSplits.h"
#include "addin/portfolio/KnownSheets.h"
#include "addin/portfolio/LedgerCommit.h"
#include "addin/portfolio/PortfolioRewrite.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "tests/addin/portfolio/PortfolioFixture.h"

namespace kavex::addin::portfolio {
namespace {

// Two portfolios in two workbooks take the same transactions. The first is left as the bookings
// leave it (rewritten from the first row that changes); the second is rewritten whole from its
// history after each one. Both must show the same sheet, cell for cell, link for link.
class BookingRowsTest : public testing::PortfolioFixture {
  protected:
    void SetUp() override {
        PortfolioFixture::SetUp();
        for (const char* symbol : {"AAPL", "GE", "T", "XOM"}) {
            listSymbol(symbol);
        }
        lastPrices = {{"IBM", "$120.00"}, {"KO", "$60.50"}, {"GE", "$15.25"}};
        reference_ = host_.workbooks().add();
        testing::BuildPortfolioWorkbook(reference_);
        book_.activate();
    }

    sheet::Worksheet sheetOf(const sheet::Workbook& book, const char* name) const {
        return book.worksheets().item(name);
    }

    // Runs the action on the portfolio of each workbook; when it booked, rewrites the reference
    // whole.
    void onBoth(const std::function<bool(const sheet::Workbook&)>& action) {
        std::vector<bool> booked;
        for (sheet::Workbook book : {book_, reference_}) {
            book.activate();
            sheetOf(book, "Portfolio").activate();
            resetGlobals();
            booked.push_back(action(book));
        }
        ASSERT_EQ(booked[0], booked[1]);
        if (booked[1]) {
            rewriteReferenceWhole();
        }
    }

    // The reference, rewritten whole from its history read afresh.
    void rewriteReferenceWhole() {
        const PortfolioPair pair = PortfolioOf(sheetOf(reference_, "Portfolio"));
        const LedgerRows ledger = ReadLedger(pair.history, HistoryLayoutOf(pair.history));
        const auto books = Replay(ledger.entries());
        ASSERT_TRUE(std::holds_alternative<Books>(books));
        RewritePortfolio(pair, std::get<Books>(books), 0);
    }

    // The ledger the bookings keep is the one the history sheet reads as.
    void expectKnownLedgerReadsAsTheSheet(const std::string& step) {
        const sheet::Worksheet history = sheetOf(book_, "Portfolio History");
        const LedgerRows read = ReadLedger(history, HistoryLayoutOf(history));
        // The latest day of the transactions that count, as the bookings keep it counted.
        double latest = std::numeric_limits<double>::lowest();
        for (const LedgerRow& row : read.rows) {
            if (!row.voided) {
                latest = std::max(latest, base::datePart(row.entry.date).serial);
            }
        }
        EXPECT_EQ(LatestDay(LedgerOf(history)), latest) << step;
        const LedgerRows& known = LedgerOf(history).ledger;
        EXPECT_EQ(known.lastRow, read.lastRow) << step;
        EXPECT_EQ(known.lastId, read.lastId) << step;
        ASSERT_EQ(known.rows.size(), read.rows.size()) << step;
        for (std::size_t i = 0; i < read.rows.size(); ++i) {
            const LedgerRow& a = known.rows[i];
            const LedgerRow& b = read.rows[i];
            EXPECT_TRUE(a.row == b.row && a.voided == b.voided && a.entry.id == b.entry.id &&
                        a.entry.symbol == b.entry.symbol && a.entry.code == b.entry.code &&
                        a.entry.date == b.entry.date && a.entry.shares == b.entry.shares &&
                        a.entry.price == b.entry.price &&
                        a.entry.commission == b.entry.commission &&
                        a.entry.amount == b.entry.amount && a.entry.remarks == b.entry.remarks)
                << step << ": history row " << b.row;
        }
    }

    static std::string describe(const sheet::Worksheet& sheet) {
        std::string out;
        const sheet::Range used = sheet.usedRange();
        out += "used " + used.address() + "\n";
        const int lastRow = used.row() + used.rowCount() + 1;
        const int lastColumn = used.column() + used.columnCount() + 1;
        for (int row = 1; row <= lastRow; ++row) {
            for (int column = 1; column <= lastColumn; ++column) {
                const sheet::Range cell = sheet.cells(row, column);
                const sheet::Font font = cell.font();
                out += cell.address(false, false) + " " + cell.formula() + " [" + cell.text() +
                       "] " + base::CStr(cell.numberFormat()) + " " + base::CStr(font.name()) +
                       "/" + base::CStr(font.size()) + "/" + base::CStr(font.bold()) + "/" +
                       base::CStr(font.underline()) + "/" + base::CStr(font.color()) + " " +
                       base::CStr(cell.borders().weight()) + "/" +
                       base::CStr(cell.borders().color()) + " " +
                       base::CStr(cell.interior().color()) + "\n";
            }
        }
        const sheet::Hyperlinks links = sheet.hyperlinks();
        for (int i = 1; i <= links.count(); ++i) {
            out += "link " + links.item(i).range().address(false, false) + " " +
                   links.item(i).subAddress() + "\n";
        }
        return out;
    }

    void expectSameSheets(const std::string& step) {
        for (const char* name : {"Portfolio", "Portfolio History"}) {
            const std::string shown = describe(sheetOf(book_, name));
            const std::string whole = describe(sheetOf(reference_, name));
            ASSERT_EQ(shown, whole) << name << " after " << step;
        }
    }

    // The lots the first portfolio shows: row, symbol, type, shares.
    struct ShownLot {
        int row;
        std::string symbol, type;
        double shares;
    };
    std::vector<ShownLot> shownLots() const {
        std::vector<ShownLot> lots;
        const sheet::Worksheet shown = sheetOf(book_, "Portfolio");
        for (int row = 6; !shown.cells(row, 1).text().empty(); ++row) {
            lots.push_back({row, shown.cells(row, 2).text(), shown.cells(row, 4).text(),
                            base::CDbl(shown.cells(row, 7).value())});
        }
        return lots;
    }

    sheet::Workbook reference_;
};

// One random run of bookings for each seed, each from fresh books; a test of its own for each, so
// that the runs take turns with other tests and each stays well within a test's time under the
// sanitizers.
class BookingRowsSeedTest : public BookingRowsTest,
                            public ::testing::WithParamInterface<unsigned> {};

TEST_P(BookingRowsSeedTest, EveryBookingLeavesTheSheetARewriteFromTheHistoryGives) {
    const std::vector<std::string> symbols = {"IBM", "KO", "AAPL", "GE", "T", "XOM", "MSFT"};
    const unsigned seed = GetParam();
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 45; ++step) {
        const std::string symbol = symbols[static_cast<std::size_t>(pick(7))];
        const base::Date date = day(2024, 1 + pick(3), 1 + pick(28));
        const double shares = 10.0 * (1 + pick(10));
        const double price = 5.0 + pick(50);
        const int kind = pick(13);
        std::string what = std::to_string(seed) + "/" + std::to_string(step) + " kind " +
                           std::to_string(kind) + " " + symbol;
        switch (kind) {
            case 0:
            case 1:
            case 2:
                onBoth([&](const sheet::Workbook&) {
                    return BuyTransactionFunction("Buy", "long", 3, symbol, date, shares, price, 1,
                                                  "r" + std::to_string(step));
                });
                break;
            case 3:
            case 4:
            case 5: {  // a short sale, or a sale or cover of (part of) a lot
                const auto lots = shownLots();
                if (kind == 4 || lots.empty()) {
                    onBoth([&](const sheet::Workbook&) {
                        return BuyTransactionFunction("Sell Short", "short", 5, symbol, date,
                                                      shares, price, 2, "");
                    });
                    break;
                }
                const ShownLot& lot =
                    lots[static_cast<std::size_t>(pick(static_cast<int>(lots.size())))];
                const double sold = pick(2) == 0 ? lot.shares : lot.shares / 2;
                const base::Date later = day(2024, 4, 1 + pick(28));
                what += " sale of " + lot.symbol;
                onBoth([&](const sheet::Workbook&) {
                    if (lot.type == "Sell Short") {
                        return SellTransactionFunction("Cover Short", "short", 6, 6, lot.symbol,
                                                       later, sold, price, 1, "");
                    }
                    return SellTransactionFunction("Sell", "long", 4, 4, lot.symbol, later, sold,
                                                   price, 1, "");
                });
                break;
            }
            case 6:
                onBoth([&](const sheet::Workbook&) {
                    return BuyTransactionFunction("Dividend Stocks", "long", 12, symbol, date, 3, 0,
                                                  0, "");
                });
                break;
            case 7: {  // dividends and splits reach every open portfolio at once
                const bool split = pick(2) == 0;
                const auto lots = shownLots();
                const std::string held =
                    lots.empty()
                        ? symbol
                        : lots[static_cast<std::size_t>(pick(static_cast<int>(lots.size())))]
                              .symbol;
                const std::vector<CorporateAction> actions = {{held, split ? "Split" : "Dividend",
                                                               day(2024, 4, 1 + pick(28)),
                                                               split ? "2:1" : "0.25"}};
                for (sheet::Workbook book : {book_, reference_}) {
                    book.activate();
                }
                resetGlobals();
                if (BookDividendsAndSplits(actions) > 0) {
                    rewriteReferenceWhole();
                }
                what += split ? " split" : " dividend";
                break;
            }
            case 8:
            case 9: {  // an edit of a lot's row
                const sheet::Worksheet shown = sheetOf(book_, "Portfolio");
                int lots = 0;
                while (!shown.cells(6 + lots, 1).text().empty()) {
                    ++lots;
                }
                if (lots == 0) {
                    break;
                }
                const int row = 6 + pick(lots);
                const std::string type = shown.cells(row, 4).text();
                const std::string lotSymbol = shown.cells(row, 2).text();
                what += " edit of row " + std::to_string(row);
                onBoth([&](const sheet::Workbook&) {
                    dialogs::TransactionEntryMode = dialogs::kEntryModeEdit;
                    dialogs::TransactionEditRow = row;
                    if (type == "Sell Short") {
                        return BuyTransactionFunction(type, "short", 5, lotSymbol, date, shares,
                                                      price, 1, "edited");
                    } else if (type == "Buy") {
                        return BuyTransactionFunction(type, "long", 3, lotSymbol, date, shares,
                                                      price, 1, "edited");
                    } else {
                        return BuyTransactionFunction("Dividend Stocks", "long", 12, lotSymbol,
                                                      date, 3, 0, 0, "edited");
                    }
                });
                break;
            }
            case 10: {  // a deletion
                const sheet::Worksheet ledger = sheetOf(book_, "Portfolio History");
                int rows = 0;
                while (!ledger.cells(6 + rows, 1).text().empty()) {
                    ++rows;
                }
                if (rows == 0) {
                    break;
                }
                const int row = 6 + pick(rows);
                what += " deletion of row " + std::to_string(row);
                onBoth([&](const sheet::Workbook& book) {
                    return DeleteHistoryTransaction(sheetOf(book, "Portfolio History"), row);
                });
                break;
            }
            case 12: {  // the user's own cells: an alert on a lot, a price typed over, a row
                        // typed below
                const auto lots = shownLots();
                const int alertRow =
                    lots.empty()
                        ? 0
                        : lots[static_cast<std::size_t>(pick(static_cast<int>(lots.size())))].row;
                const int typedRow = 6 + static_cast<int>(lots.size()) + pick(3);
                what += " alert on row " + std::to_string(alertRow) + ", typed row " +
                        std::to_string(typedRow);
                for (sheet::Workbook book : {book_, reference_}) {
                    const sheet::Worksheet portfolio = sheetOf(book, "Portfolio");
                    if (alertRow != 0) {
                        portfolio.cells(alertRow, 18).setValue(base::Variant("Above $99"));
                        portfolio.cells(alertRow, 19).setValue(base::Variant(7.0));
                        portfolio.cells(alertRow, 8).setValue(base::Variant(1.23));
                    }
                    portfolio.cells(typedRow, 2).setValue(base::Variant("GE"));
                    portfolio.cells(typedRow, 7).setFormula("=2*5");
                }
                break;
            }
            default: {
                const double amount = 100.0 * (1 + pick(20));
                const bool in = pick(2) == 0;
                onBoth([&](const sheet::Workbook&) {
                    std::string type = in ? "Add Cash" : "Withdraw Cash";
                    std::string code = type == "Add Cash" ? "1" : "2", remarks;
                    base::Date when = date;
                    double sum = amount;
                    return AddCashToPortFolioHistory(type, when, sum, code, remarks);
                });
                break;
            }
        }
        expectSameSheets(what);
        expectKnownLedgerReadsAsTheSheet(what);
        if (HasFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, BookingRowsSeedTest, ::testing::Range(1u, 7u));

// The bookings keep the ledger's latest day counted rather than looking at every transaction
// again: deleting or voiding the latest transaction brings back the day before it.
TEST_F(BookingRowsTest, TheLatestDayFollowsDeletionsAndEdits) {
    const sheet::Worksheet history = sheetOf(book_, "Portfolio History");
    sheetOf(book_, "Portfolio").activate();
    const auto buy = [&](const std::string& symbol, const base::Date& date) {
        resetGlobals();
        return BuyTransactionFunction("Buy", "long", 3, symbol, date, 10, 20, 1, "");
    };
    ASSERT_TRUE(buy("IBM", day(2024, 1, 10)));
    ASSERT_TRUE(buy("KO", day(2024, 2, 10)));
    ASSERT_TRUE(buy("GE", day(2024, 3, 10)));
    EXPECT_EQ(LatestDay(LedgerOf(history)), day(2024, 3, 10).serial);
    // The GE transaction is on the history's third row.
    resetGlobals();
    ASSERT_TRUE(DeleteHistoryTransaction(history, 8));
    EXPECT_EQ(LatestDay(LedgerOf(history)), day(2024, 2, 10).serial);
    // Changing the KO lot voids its transaction and books it again, dated earlier.
    resetGlobals();
    dialogs::TransactionEntryMode = dialogs::kEntryModeEdit;
    dialogs::TransactionEditRow = 7;
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "KO", day(2024, 1, 20), 10, 20, 1, ""));
    EXPECT_EQ(LatestDay(LedgerOf(history)), day(2024, 1, 20).serial);
    resetGlobals();
    ASSERT_TRUE(buy("T", day(2024, 1, 15)));
    EXPECT_EQ(LatestDay(LedgerOf(history)), day(2024, 1, 20).serial);
    expectKnownLedgerReadsAsTheSheet("after the bookings");
}

// Deleting the last transaction leaves as the history's last row the last one that still holds
// anything, which need not be the row above it: the next booking goes right below that one.
TEST_F(BookingRowsTest, AfterTheLastTransactionIsDeletedTheNextGoesBelowWhatIsLeft) {
    const sheet::Worksheet history = sheetOf(book_, "Portfolio History");
    sheetOf(book_, "Portfolio").activate();
    const HistoryLayout layout = HistoryLayoutOf(history);
    // Transactions on rows 6, 8 and 9 of the history, row 7 never written.
    history.parent().application().setEnableEvents(false);
    const auto write = [&](int row, long id, const std::string& symbol, const base::Date& date) {
        LedgerEntry entry{id, symbol, 3, date, 10, 20, 1, 0, ""};
        entry.amount = CashEffect(entry);
        WriteLedgerRow(history, layout, row, entry);
    };
    write(6, 1, "IBM", day(2024, 1, 10));
    write(8, 2, "KO", day(2024, 2, 10));
    write(9, 3, "T", day(2024, 3, 12));
    RecordLastId(history, 3);
    history.parent().application().setEnableEvents(true);
    resetGlobals();
    RefreshPortFolioSheet();
    resetGlobals();
    ASSERT_TRUE(DeleteHistoryTransaction(history, 9));  // T, the last
    expectKnownLedgerReadsAsTheSheet("after the last was deleted");
    resetGlobals();
    ASSERT_TRUE(DeleteHistoryTransaction(history, 8));  // KO, the last, an empty row above it
    expectKnownLedgerReadsAsTheSheet("after the last but one was deleted");
    resetGlobals();
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "GE", day(2024, 3, 11), 10, 20, 1, ""));
    EXPECT_EQ(history.cells(7, layout.symbol).text(), "GE");
    EXPECT_TRUE(history.cells(8, layout.symbol).text().empty());
    expectKnownLedgerReadsAsTheSheet("after the booking");
}

}  // namespace
}  // namespace kavex::addin::portfolio
