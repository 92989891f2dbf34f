// The refresh of a watch list of 500 symbol rows (name, four attribute columns and the three link
// columns) in which no value changed, so nothing flashes: RefreshWorksheet recalculates every
// formula cell one by one and colours it. The floor is the same 2,500 reader calls made directly
// plus one font-colour write per cell.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/functions/FunctionTables.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/functions/SymbolWorkers.h"
#include "addin/refresh/SheetRefresh.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "addin/session/Session.h"
#include "bench/support/BenchSupport.h"
#include "platform/base/Conversions.h"
#include "platform/db/Connection.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace addin = kavex::addin;

constexpr int kSymbols = 500;
constexpr int kFirstRow = 5;
// The name column and the four attribute columns of the watch list, C to G.
constexpr std::array<const char*, 5> kFunctions = {"KavexName", "KavexLast", "KavexChange",
                                                   "KavexChPerc", "KavexCuVol"};

std::string symbolAt(int i) {
    return "S" + std::to_string(i);
}

void fillCache(sqlite3* handle) {
    for (int i = 1; i <= kSymbols; ++i) {
        kavex::bench::exec(
            handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" + symbolAt(i) +
                        "', '" + kavex::bench::realisticQuoteXml(symbolAt(i), 10.0 + i) + "')");
    }
    for (const char* exchange : {"NYSE", "NSDQ", "AMEX"}) {
        kavex::bench::exec(
            handle,
            std::string("insert into AQ_StockExchangeData(Exchange, ExchangeData) values('") +
                exchange + "', '<Stock><Last>1234.5</Last><Change>1.25</Change></Stock>')");
    }
}

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("sheet-refresh", fillCache);
    return database;
}

// The add-in connected to a host with a session and the add-in's workbook open on a watch list
// whose rows were typed and refreshed once.
struct WatchListSheet {
    WatchListSheet() {
        addin::core::ExcelApp = &host;
        addin::core::DBConnection = std::make_unique<kavex::db::Connection>();
        addin::core::DBConnection->Open(benchDatabase().connectionString());
        addin::core::ExcelCommandBars.Add("KavexToolbar")->setVisible(true);
        addin::session::UserSessionKey = "BENCH";
        for (const addin::functions::InterfaceMethod& method :
             addin::functions::KavexConnectMethods()) {
            if (method.call) {
                host.registerFunction(std::string(method.name),
                                      addin::functions::WorksheetFunctionFor(method));
            }
        }
        host.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
        sheet = host.activeSheet();
        host.setEnableEvents(false);
        for (int i = 1; i <= kSymbols; ++i) {
            const int row = kFirstRow + i - 1;
            kavex::sheet::Range symbol = sheet.cells(row, 2);
            symbol.setValue(kavex::base::Variant(symbolAt(i)));
            for (std::size_t c = 0; c < kFunctions.size(); ++c) {
                sheet.cells(row, 3 + static_cast<int>(c))
                    .setFormula(std::string("=") + kFunctions[c] + "(B" + std::to_string(row) +
                                ")");
            }
            addin::refresh::CreateSymbolHyperlink(symbol, sheet);
        }
        host.setEnableEvents(true);
        addin::refresh::RefreshWorksheet();
    }
    kavex::sheet::Application host;
    kavex::sheet::Worksheet sheet;
};

WatchListSheet& watchList() {
    static WatchListSheet sheet;
    return sheet;
}

void RefreshWorksheet(benchmark::State& state) {
    WatchListSheet& list = watchList();
    const auto before = kavex::os::machineClock().tickMillis();
    for (auto _ : state) {
        addin::refresh::RefreshWorksheet();
    }
    const std::string shown = kavex::base::CStr(list.sheet.range("D9").value());
    const std::string expected = kavex::base::CStr(addin::functions::GetKavexLast(symbolAt(5)));
    if (shown != expected || shown.empty() || shown[0] != '$') {
        state.SkipWithError(("wrong value " + shown + ", expected " + expected).c_str());
    }
    if (kavex::os::machineClock().tickMillis() - before >
        static_cast<std::int64_t>(state.iterations()) * 40) {
        state.SkipWithError("cells flashed although no value changed");
    }
    state.counters["cells"] = kSymbols * static_cast<double>(kFunctions.size());
}

// The floor: the readers called directly, each cell's font colour written once.
void Floor(benchmark::State& state) {
    WatchListSheet& list = watchList();
    std::vector<const addin::functions::SymbolFunction*> functions;
    for (const char* name : kFunctions) {
        functions.push_back(addin::functions::FindSymbolFunction(name));
    }
    std::vector<kavex::sheet::Range> cells;
    std::vector<std::string> symbols;
    for (int i = 1; i <= kSymbols; ++i) {
        symbols.push_back(symbolAt(i));
        for (std::size_t c = 0; c < kFunctions.size(); ++c) {
            cells.push_back(list.sheet.cells(kFirstRow + i - 1, 3 + static_cast<int>(c)));
        }
    }
    kavex::base::Variant value;
    for (auto _ : state) {
        std::size_t cell = 0;
        for (const std::string& symbol : symbols) {
            for (const addin::functions::SymbolFunction* function : functions) {
                value = addin::functions::RunSymbolWorker(*function, symbol);
                cells[cell++].font().setColor(0);
                benchmark::DoNotOptimize(value);
            }
        }
    }
    if (kavex::base::CStr(value).empty()) {
        state.SkipWithError("no value read");
    }
}

// Each side counts by the median of five repetitions, so that one disturbed measurement of
// either does not decide the ratio.
BENCHMARK(RefreshWorksheet)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5);
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
    kavex::os::machineClock().startSimulation(kavex::base::Date{45000.5});
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "RefreshWorksheet/min_time:0.500",
                                           "Floor/min_time:0.500", 2.0);
}
