// One Buy booked through the transaction form into the add-in workbook's portfolio, which already
// holds a number of open lots (one per symbol, booked on earlier days). The bought symbol sorts
// after every lot held, so its lot is the sheet's last row. The goal: booking into a portfolio
// of 2,000 lots costs at most 1.5 times booking into one of 100. Each booked lot is deleted
// again, untimed, so that every iteration books into the same portfolio.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "addin/portfolio/dialogs/frmTransaction.h"
#include "addin/session/Session.h"
#include "bench/support/BenchSupport.h"
#include "platform/base/Conversions.h"
#include "platform/db/Connection.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace addin = kavex::addin;
namespace portfolio = kavex::addin::portfolio;
using kavex::forms::FormAction;

constexpr int kSymbols = 10'000;
constexpr const char* kBought = "ZZZZ";  // sorts after every "S..." symbol

std::string symbolAt(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "S%05d", i);
    return name;
}

void fillCache(sqlite3* handle) {
    for (int i = 0; i < kSymbols; ++i) {
        kavex::bench::exec(handle,
                           "insert into AQ_StockSymbolList(Symbol) values('" + symbolAt(i) + "')");
    }
    kavex::bench::exec(
        handle, std::string("insert into AQ_StockSymbolList(Symbol) values('") + kBought + "')");
    // Quotes for a few hundred of them; the others' cells show that there is no data yet.
    for (int i = 0; i < 300; ++i) {
        kavex::bench::exec(
            handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" + symbolAt(i) +
                        "', '" + kavex::bench::realisticQuoteXml(symbolAt(i), 10.0 + i) + "')");
    }
    kavex::bench::exec(handle,
                       std::string("insert into AQ_StockSymbolData(Symbol, SymbolData) values('") +
                           kBought + "', '" + kavex::bench::realisticQuoteXml(kBought, 42) + "')");
}

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("portfolio-booking", fillCache);
    return database;
}

// The add-in's workbook with a session, its Portfolio sheet active and holding `lots` open lots.
struct PortfolioBook {
    explicit PortfolioBook(int lots) {
        addin::core::ExcelApp = &host;
        addin::core::DBConnection = std::make_unique<kavex::db::Connection>();
        addin::core::DBConnection->Open(benchDatabase().connectionString());
        addin::core::LogLevel = 0;
        addin::session::UserSessionKey = "BENCH";
        kavex::forms::useScriptedDriver();
        for (const addin::functions::InterfaceMethod& method :
             addin::functions::KavexConnectMethods()) {
            if (method.call) {
                host.registerFunction(std::string(method.name),
                                      addin::functions::WorksheetFunctionFor(method));
            }
        }
        book = host.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
        book.worksheets().item("Portfolio").activate();
        const portfolio::PortfolioPair pair = portfolio::ActivePortfolio();
        const portfolio::HistoryLayout layout = portfolio::HistoryLayoutOf(pair.history);
        host.setEnableEvents(false);
        for (int i = 0; i < lots; ++i) {
            portfolio::LedgerEntry entry{i + 1,
                                         symbolAt(i),
                                         3,
                                         kavex::base::Date{44000.0 + i % 700},
                                         100,
                                         10.0 + i % 50,
                                         5,
                                         0,
                                         "lot " + std::to_string(i)};
            entry.amount = portfolio::CashEffect(entry);
            portfolio::WriteLedgerRow(pair.history, layout, layout.firstRow() + i, entry);
        }
        portfolio::RecordLastId(pair.history, lots);
        host.setEnableEvents(true);
        portfolio::RefreshPortFolioSheet();
        history = pair.history;
    }

    // Books the Buy through the form; false when it was not booked.
    bool buy() {
        kavex::forms::scriptedDriver().queueFormActions(
            "frmTransaction",
            {FormAction{FormAction::Kind::Choose, "cmbTransactionType", "0", {}},
             FormAction{FormAction::Kind::Set, "txtSymbol", kBought, {}},
             FormAction{FormAction::Kind::Set, "txtTransactionDate", "3/1/2023", {}},
             FormAction{FormAction::Kind::Set, "txtNoofShares", "10", {}},
             FormAction{FormAction::Kind::Set, "txtPrice", "$25.50", {}},
             FormAction{FormAction::Kind::Set, "txtCommission", "5", {}},
             FormAction{FormAction::Kind::Click, "cmdOK", {}, {}}});
        portfolio::dialogs::ShowTransactionForm();
        const auto& messages = kavex::forms::scriptedDriver().messages();
        return !messages.empty() && messages.back().prompt == "Buy transaction completed.";
    }

    // Deletes the last history row again.
    bool undo() {
        const kavex::sheet::Range used = history.usedRange();
        const bool deleted =
            portfolio::DeleteHistoryTransaction(history, used.row() + used.rowCount() - 1);
        kavex::forms::scriptedDriver().reset();
        // Deleting a row that moves many formulas makes the host work out again which cells read
        // which; a write anywhere does that now rather than in the next booking.
        kavex::sheet::Range scratch = book.worksheets().item("KavexInfo").range("Z1");
        scratch.setValue(kavex::base::Variant(1.0));
        scratch.clearContents();
        return deleted;
    }

    kavex::sheet::Application host;
    kavex::sheet::Workbook book;
    kavex::sheet::Worksheet history;
};

void BookOneBuy(benchmark::State& state) {
    const int lots = static_cast<int>(state.range(0));
    PortfolioBook book(lots);
    bool ok = true;
    for (auto _ : state) {
        ok = book.buy() && ok;
        state.PauseTiming();
        ok = book.undo() && ok;
        state.ResumeTiming();
    }
    const kavex::sheet::Worksheet sheet = book.book.worksheets().item("Portfolio");
    if (!ok || kavex::base::CStr(sheet.cells(6 + lots - 1, 2).value()) != symbolAt(lots - 1)) {
        state.SkipWithError("the booking did not go through");
    }
    state.counters["lots"] = lots;
}

// The goal's two sizes, and how the cost grows beyond them (fewer iterations there: the deletion
// that puts the portfolio back costs more).
BENCHMARK(BookOneBuy)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(400);
BENCHMARK(BookOneBuy)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

int main(int argc, char** argv) {
    kavex::os::machineClock().startSimulation(kavex::base::Date{45000.5});
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "BookOneBuy/2000/iterations:400",
                                           "BookOneBuy/100/iterations:400", 1.5);
}
