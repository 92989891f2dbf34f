// One worksheet value as a cell gets it: GetSymbolDataItem("Last", ...) on a cached symbol, with a
// session and the toolbar in place, through the add-in's reader, the database and XML layers and
// the formatter -- against the floor of the same look-up done directly with SQLite (prepare, step,
// finalize of the same statement text) and pugixml.
//
// Warm: the row was read before and has not changed since, as for every cell of a sheet but the
// first of each row (goal 0.25). Cold: the reader's memory is emptied before each read, so each
// read selects, parses and formats again, as after a change of the row (goal 1.5).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "addin/core/Globals.h"
#include "addin/functions/CachedDocuments.h"
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

LoggedInAddIn& loggedIn() {
    static LoggedInAddIn addIn;
    return addIn;
}

void GetSymbolDataItemLast(benchmark::State& state) {
    loggedIn();
    std::string value;
    for (auto _ : state) {
        value = addin::functions::GetSymbolDataItem("Last", "MSFT", true);
        benchmark::DoNotOptimize(value);
    }
    if (value != "$27.94") {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void GetSymbolDataItemLastCold(benchmark::State& state) {
    loggedIn();
    std::string value;
    for (auto _ : state) {
        addin::functions::CachedSymbolDocuments().clear();
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
BENCHMARK(GetSymbolDataItemLastCold)->MinTime(1.0);
BENCHMARK(Floor)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    benchmark::Initialize(&argc, argv);
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("warm: ");
    const int warm =
        reporter.reportRatio("GetSymbolDataItemLast/min_time:1.000", "Floor/min_time:1.000", 0.25);
    std::printf("cold: ");
    const int cold = reporter.reportRatio("GetSymbolDataItemLastCold/min_time:1.000",
                                          "Floor/min_time:1.000", 1.5);
    return warm != 0 || cold != 0 ? 1 : 0;
}
