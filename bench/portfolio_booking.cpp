// One Buy typed on the Portfolio sheet, the route users take most: the row typed into the sheet's
// first empty row, cell by cell, and booked when the user leaves the row, through the add-in's
// event handlers, as a user of the logged-in add-in has it. The portfolio already holds a number
// of open lots (one per symbol, booked on earlier days), and the bought symbol sorts among them,
// so its lot lands in the middle of the sheet. Each booked lot is deleted again, untimed, so that
// every booking goes into the same portfolio.
//
// Every booking rewrites the sheet from the history, so its cost follows the lots. The floor is
// that rewrite done the plain way: the same rows, as the booking leaves them, cleared and written
// again cell by cell with their links, on a sheet of their own. Measured at 100 and at 1,000 lots,
// each against its own floor, so the booking's cost must grow no faster than the plain rewrite's.
// A booking and its floor take turns, each counting by the median of its runs (SidesInTurn).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/Ledger.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "addin/refresh/ManualRefresh.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/ConnectedAddIn.h"
#include "bench/support/SidesInTurn.h"
#include "platform/base/Conversions.h"
#include "platform/base/Date.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace addin = kavex::addin;
namespace portfolio = kavex::addin::portfolio;

constexpr int kFirstRow = 6;  // the Portfolio sheet's first lot row
constexpr const char* kBooked = "Buy transaction completed.";
// At both sizes, a booking costs at most this many plain rewrites of its rows.
constexpr double kGoal = 3.0;

std::string symbolAt(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "S%05d", i);
    return name;
}

// The lots hold the even-numbered symbols; the bought one is the odd one in their middle.
std::string heldSymbol(int lot) {
    return symbolAt(2 * lot);
}
std::string boughtSymbol(int lots) {
    return symbolAt(lots - 1);
}

std::vector<std::string> symbolsOf(int lots) {
    std::vector<std::string> symbols;
    for (int lot = 0; lot < lots; ++lot) {
        symbols.push_back(heldSymbol(lot));
    }
    symbols.push_back(boughtSymbol(lots));
    return symbols;
}

// The logged-in add-in on its Portfolio sheet, which holds `lots` open lots with their quotes.
class PortfolioBook {
  public:
    explicit PortfolioBook(int lots)
        : lots_(lots),
          addIn_("portfolio", symbolsOf(lots), *kavex::base::makeDate(2024, 7, 10, 10, 0, 0)),
          host_(addIn_.host) {
        plain_ = addIn_.book.worksheets().add("Plain Rewrite");
        sheet_ = addIn_.book.worksheets().item("Portfolio");
        host_.activate(sheet_);
        const portfolio::PortfolioPair pair = portfolio::ActivePortfolio();
        history_ = pair.history;
        const portfolio::HistoryLayout layout = portfolio::HistoryLayoutOf(history_);
        host_.setEnableEvents(false);
        for (int lot = 0; lot < lots; ++lot) {
            portfolio::LedgerEntry entry{lot + 1,
                                         heldSymbol(lot),
                                         3,
                                         kavex::base::Date{44000.0 + lot % 700},
                                         100,
                                         10.0 + lot % 50,
                                         5,
                                         0,
                                         "lot " + std::to_string(lot)};
            entry.amount = portfolio::CashEffect(entry);
            portfolio::WriteLedgerRow(history_, layout, layout.firstRow() + lot, entry);
        }
        portfolio::RecordLastId(history_, lots);
        host_.setEnableEvents(true);
        portfolio::RefreshPortFolioSheet();
        addin::refresh::ProcessManualRefresh(false, true, 0, "", "", true);
        kavex::forms::scriptedDriver().reset();
        // What a booking leaves on the sheet, for the floor to write.
        if (!typeBuy()) {
            throw std::runtime_error("the Buy typed on the Portfolio sheet was not booked");
        }
        keepBookedRows();
        if (!undo()) {
            throw std::runtime_error("the booked Buy could not be deleted");
        }
    }

    // Types the Buy into the first empty row and leaves the row; true when it was booked.
    bool typeBuy() {
        const std::string row = std::to_string(kFirstRow + lots_);
        host_.select(sheet_.range("B" + row));
        type("B" + row, boughtSymbol(lots_));
        type("D" + row, "Buy");
        type("F" + row, "3/1/2023");
        type("G" + row, "10");
        type("H" + row, "25.50");
        type("I" + row, "5");
        host_.select(sheet_.range("B" + std::to_string(kFirstRow + lots_ + 3)));
        const auto& messages = kavex::forms::scriptedDriver().messages();
        return messages.size() == 1 && messages.back().prompt == kBooked;
    }

    // Deletes the booked Buy again; true when it was there and deleted.
    bool undo() {
        const kavex::sheet::Range used = history_.usedRange();
        const int last = used.row() + used.rowCount() - 1;
        const portfolio::HistoryLayout layout = portfolio::HistoryLayoutOf(history_);
        const bool bought =
            kavex::base::CStr(history_.cells(last, layout.symbol).value()) == boughtSymbol(lots_);
        const bool deleted = bought && portfolio::DeleteHistoryTransaction(history_, last);
        kavex::forms::scriptedDriver().reset();
        // Deleting a row that moves many formulas makes the host work out again which cells read
        // which; a write anywhere does that now rather than in the next booking.
        kavex::sheet::Range scratch = addIn_.book.worksheets().item("KavexInfo").range("Z1");
        scratch.setValue(kavex::base::Variant(1.0));
        scratch.clearContents();
        return deleted;
    }

    // The floor: the rows a booking leaves, cleared and written again on a sheet of their own,
    // each cell's number format and content once and each link once, with events off and the
    // recalculation after the writes, as the booking's own rewrite has them.
    void rewritePlainly() {
        host_.setEnableEvents(false);
        host_.setCalculation(kavex::sheet::xlCalculationManual);
        kavex::sheet::Range rows = plain_.range(booked_.address);
        rows.hyperlinks().delete_();
        rows.clearContents();
        for (const KeptCell& kept : booked_.cells) {
            kavex::sheet::Range cell = plain_.cells(kept.row, kept.column);
            if (!kept.numberFormat.empty()) {
                cell.setNumberFormat(kept.numberFormat);
            }
            if (kept.formula.empty()) {
                cell.setValue(kept.value);
            } else {
                cell.setFormula(kept.formula);
            }
        }
        for (const KeptLink& link : booked_.links) {
            plain_.hyperlinks().add(plain_.cells(link.row, link.column), link.address,
                                    link.subAddress, link.screenTip, link.text);
        }
        host_.setCalculation(kavex::sheet::xlCalculationAutomatic);
        host_.setEnableEvents(true);
    }

    // Whether the sheet shows the lots as they were before the first booking.
    bool showsTheLots() const {
        return kavex::base::CStr(sheet_.cells(kFirstRow + lots_ - 1, 2).value()) ==
                   heldSymbol(lots_ - 1) &&
               kavex::base::CStr(sheet_.cells(kFirstRow + lots_, 2).value()).empty();
    }

  private:
    struct KeptCell {
        int row = 0;
        int column = 0;
        std::string numberFormat;  // empty for the general format
        std::string formula;       // empty for a constant
        kavex::base::Variant value;
    };
    struct KeptLink {
        int row = 0;
        int column = 0;
        std::string address, subAddress, screenTip, text;
    };
    struct BookedRows {
        std::string address;
        std::vector<KeptCell> cells;
        std::vector<KeptLink> links;
    };

    void type(const std::string& cell, const std::string& text) {
        host_.typeInto(sheet_.range(cell), text, kavex::sheet::EntryKey::tab);
    }

    // Keeps the lot rows as the booking left them: every cell that holds something, every link.
    void keepBookedRows() {
        const kavex::sheet::Range used = sheet_.usedRange();
        const int lastColumn = used.column() + used.columnCount() - 1;
        const int lastRow = kFirstRow + lots_;  // the lots and the one bought
        const kavex::sheet::Range rows =
            sheet_.range(sheet_.cells(kFirstRow, 1), sheet_.cells(lastRow, lastColumn));
        booked_.address = rows.address();
        for (int row = kFirstRow; row <= lastRow; ++row) {
            for (int column = 1; column <= lastColumn; ++column) {
                const kavex::sheet::Range cell = sheet_.cells(row, column);
                KeptCell kept{row, column, {}, {}, cell.value()};
                const std::string format = kavex::base::CStr(cell.numberFormat());
                if (format != "General") {
                    kept.numberFormat = format;
                }
                if (cell.hasFormula()) {
                    kept.formula = cell.formula();
                } else if (kept.value.isEmpty()) {
                    continue;
                }
                booked_.cells.push_back(std::move(kept));
            }
        }
        const kavex::sheet::Hyperlinks links = rows.hyperlinks();
        for (int i = 1; i <= links.count(); ++i) {
            const kavex::sheet::Hyperlink link = links.item(i);
            const kavex::sheet::Range anchor = link.range();
            booked_.links.push_back({anchor.row(), anchor.column(), link.address(),
                                     link.subAddress(), link.screenTip(), link.textToDisplay()});
        }
    }

    int lots_;
    kavex::bench::ConnectedAddIn addIn_;
    kavex::sheet::Application& host_;
    kavex::sheet::Worksheet sheet_;
    kavex::sheet::Worksheet history_;
    kavex::sheet::Worksheet plain_;
    BookedRows booked_;
};

// The portfolio of the size measured now; taken down by main before the program's own statics go.
std::unique_ptr<PortfolioBook> current;
int currentLots = 0;

PortfolioBook& portfolioOf(int lots) {
    if (!current || currentLots != lots) {
        current.reset();
        current = std::make_unique<PortfolioBook>(lots);
        currentLots = lots;
    }
    return *current;
}

// Each iteration books the typed Buy, deletes it again (untimed) and rewrites the rows plainly.
void TypedBuyAgainstPlainRewrite(benchmark::State& state) {
    const int lots = static_cast<int>(state.range(0));
    PortfolioBook& book = portfolioOf(lots);
    kavex::bench::SidesInTurn sides;
    bool ok = true;
    for (auto _ : state) {
        sides.measured([&] { ok = book.typeBuy() && ok; });
        state.PauseTiming();
        ok = book.undo() && ok;
        state.ResumeTiming();
        sides.floor([&] { book.rewritePlainly(); });
    }
    if (!ok || !book.showsTheLots()) {
        state.SkipWithError("the Buy was not booked and deleted as typed");
    }
    sides.count(state);
    state.counters["lots"] = lots;
}

// The two sizes one after the other, each on its own portfolio.
const std::string kMeasured = "TypedBuyAgainstPlainRewrite/";
BENCHMARK(TypedBuyAgainstPlainRewrite)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    current.reset();
    int missed = 0;
    for (const int lots : {100, 1000}) {
        std::printf("%d lots: ", lots);
        missed |= reporter.reportCounter(kMeasured + std::to_string(lots) + "/iterations:15",
                                         "ratio", kGoal);
    }
    return missed;
}
