// One worksheet value as a cell gets it: GetSymbolDataItem("Last", ...) on a cached symbol, with a
// session and the toolbar in place, through the add-in's reader, the database and XML layers and
// the formatter -- against the floor of the same look-up done directly with SQLite (prepare, step,
// finalize of the same statement text) and pugixml.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "addin/core/Globals.h"
#include "addin/functions/SymbolValueReader.h"
#include "addin/session/Session.h"
#include "bench/support/BenchSupport.h"
#include "platform/db/Connection.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace addin = kavex::addin;

constexpr const char* kReaderSelect =
    "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM AQ_StockSymbolData "
    "WHERE AQ_StockSymbolData.Symbol = 'MSFT'";

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("reader", kavex::bench::fillRealisticCache);
    return database;
}

// The add-in as a logged-in user has it: the host, the open database, a session, the toolbar.
struct LoggedInAddIn {
    LoggedInAddIn() {
        addin::core::ExcelApp = &host;
        host.workbooks().add();
        addin::core::DBConnection = std::make_unique<kavex::db::Connection>();
        addin::core::DBConnection->Open(benchDatabase().connectionString());
        addin::core::ExcelCommandBars.Add("KavexToolbar")->setVisible(true);
        addin::session::UserSessionKey = "BENCH";
    }
    kavex::sheet::Application host;
};

void GetSymbolDataItemLast(benchmark::State& state) {
    static LoggedInAddIn addIn;
    std::string value;
    for (auto _ : state) {
        value = addin::functions::GetSymbolDataItem("Last", "MSFT", true);
        benchmark::DoNotOptimize(value);
    }
    if (value != "$27.94") {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void Floor(benchmark::State& state) {
    kavex::bench::runDirectFloor(state, benchDatabase(), kReaderSelect, "27.940000");
}

BENCHMARK(GetSymbolDataItemLast)->MinTime(1.0);
BENCHMARK(Floor)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "GetSymbolDataItemLast/min_time:1.000",
                                           "Floor/min_time:1.000", 1.5);
}
