// The refresh of a watch list of 500 symbol rows (name, four attribute columns and the three link
// columns) after new quotes of every symbol were stored (untimed), as after a fetch:
// RefreshWorksheet recalculates every formula cell one by one, colours it, and flashes the price
// and change cells, whose values all moved. The floor is the same work done the plain efficient
// way: each symbol's row read and parsed once (QuoteFloor), its five values formatted, one
// font-colour write per cell, and the same flash (bold and larger for the flash's moment, then
// back) of each price and change cell.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "addin/functions/FormatClasses.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/refresh/ChangeColouring.h"
#include "addin/refresh/SheetRefresh.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "bench/support/AddInSession.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/QuoteFloor.h"
#include "bench/support/QuoteStore.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace addin = kavex::addin;

constexpr int kSymbols = 500;
constexpr int kFirstRow = 5;
// The name column and the four attribute columns of the watch list, C to G, with the element
// each reads and whether its cells flash when their value moves.
struct Column {
    const char* function;
    const char* tag;
    bool flashes;
};
constexpr std::array<Column, 5> kColumns = {{{"KavexName", "Name", false},
                                             {"KavexLast", "Last", true},
                                             {"KavexChange", "Change", true},
                                             {"KavexChPerc", "ChPerc", true},
                                             {"KavexCuVol", "CuVol", false}}};
constexpr int kFlashingColumns = 3;

std::string symbolAt(int i) {
    return "S" + std::to_string(i);
}

// Symbol S<i>'s quote of the given fetch: every number in it moves at each fetch.
std::string quoteOf(int i, int fetch) {
    return kavex::bench::realisticQuoteXml(symbolAt(i), 10.0 + i + 0.25 * fetch, 0.25 * fetch);
}

void fillCache(sqlite3* handle) {
    for (int i = 1; i <= kSymbols; ++i) {
        kavex::bench::exec(handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" +
                                       symbolAt(i) + "', '" + quoteOf(i, 0) + "')");
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

const std::vector<std::string>& symbols() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> names;
        for (int i = 1; i <= kSymbols; ++i) {
            names.push_back(symbolAt(i));
        }
        return names;
    }();
    return all;
}

// The fetches so far; the quotes stored last are those of fetch `fetches`.
int fetches = 0;

// Stores the quotes of the next fetch: every value of the sheet but the names changes.
void storeNextQuotes() {
    static kavex::bench::QuoteStore store(benchDatabase().path());
    ++fetches;
    store.replace(symbols(), [](const std::string& symbol) {
        return quoteOf(std::stoi(symbol.substr(1)), fetches);
    });
}

// The add-in connected to a host with a session and the add-in's workbook open on a watch list
// whose rows were typed and refreshed once.
struct WatchListSheet {
    WatchListSheet() : addIn(benchDatabase().connectionString()), host(addIn.host) {
        addIn.registerWorksheetFunctions();
        host.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
        sheet = host.activeSheet();
        host.setEnableEvents(false);
        for (int i = 1; i <= kSymbols; ++i) {
            const int row = kFirstRow + i - 1;
            kavex::sheet::Range symbol = sheet.cells(row, 2);
            symbol.setValue(kavex::base::Variant(symbolAt(i)));
            for (std::size_t c = 0; c < kColumns.size(); ++c) {
                sheet.cells(row, 3 + static_cast<int>(c))
                    .setFormula(std::string("=") + kColumns[c].function + "(B" +
                                std::to_string(row) + ")");
            }
            addin::refresh::CreateSymbolHyperlink(symbol, sheet);
        }
        host.setEnableEvents(true);
        addin::refresh::RefreshWorksheet();
    }
    kavex::bench::AddInSession addIn;
    kavex::sheet::Application& host;
    kavex::sheet::Worksheet sheet;
};

WatchListSheet& watchList() {
    static WatchListSheet sheet;
    return sheet;
}

// The simulated time the passes' flashes took: each flashing cell's flash lasts its moment.
bool everyPriceFlashed(std::int64_t before, benchmark::State& state) {
    const std::int64_t flashed = kavex::os::machineClock().tickMillis() - before;
    return flashed >= static_cast<std::int64_t>(state.iterations()) * kSymbols * kFlashingColumns *
                          addin::refresh::kFlashMilliseconds;
}

void RefreshWorksheet(benchmark::State& state) {
    WatchListSheet& list = watchList();
    const auto before = kavex::os::machineClock().tickMillis();
    for (auto _ : state) {
        state.PauseTiming();
        storeNextQuotes();
        state.ResumeTiming();
        addin::refresh::RefreshWorksheet();
    }
    const std::string shown = kavex::base::CStr(list.sheet.range("D9").value());
    const std::string expected = addin::functions::FormatValue(
        std::to_string(10.0 + 5 + 0.25 * fetches), addin::functions::format_class::Currency);
    if (shown != expected) {
        state.SkipWithError(("wrong value " + shown + ", expected " + expected).c_str());
    }
    if (!everyPriceFlashed(before, state)) {
        state.SkipWithError("the prices did not all flash");
    }
    state.counters["cells"] = kSymbols * static_cast<double>(kColumns.size());
}

// The floor: the rows read plainly, each cell's value formatted and its font colour written,
// each price and change whose value moved flashed.
void Floor(benchmark::State& state) {
    WatchListSheet& list = watchList();
    std::vector<std::string> tags;
    std::vector<std::string_view> classes;
    for (const Column& column : kColumns) {
        tags.emplace_back(column.tag);
        classes.push_back(addin::functions::SymbolFormatClass(column.tag));
    }
    kavex::bench::QuoteFloor floor(benchDatabase().path(), tags);
    std::vector<kavex::sheet::Range> cells;
    for (int i = 1; i <= kSymbols; ++i) {
        for (std::size_t c = 0; c < kColumns.size(); ++c) {
            cells.push_back(list.sheet.cells(kFirstRow + i - 1, 3 + static_cast<int>(c)));
        }
    }
    std::vector<std::string> shown(cells.size());
    const auto before = kavex::os::machineClock().tickMillis();
    for (auto _ : state) {
        state.PauseTiming();
        storeNextQuotes();
        state.ResumeTiming();
        std::size_t cell = 0;
        for (const std::string& symbol : symbols()) {
            const bool read = floor.read(symbol);
            for (std::size_t c = 0; c < kColumns.size(); ++c, ++cell) {
                std::string value =
                    read ? addin::functions::FormatValue(floor.value(c), classes[c]) : "";
                kavex::sheet::Font font = cells[cell].font();
                if (kColumns[c].flashes && value != shown[cell]) {
                    const double size = kavex::base::CDbl(font.size());
                    font.setBold(true);
                    font.setSize(size + 2);
                    font.setColor(0);
                    kavex::os::Sleep(addin::refresh::kFlashMilliseconds);
                    font.setBold(false);
                    font.setSize(size);
                } else {
                    font.setColor(0);
                }
                shown[cell] = std::move(value);
            }
        }
    }
    if (shown[(5 - 1) * kColumns.size() + 1].empty()) {
        state.SkipWithError("no value read");
    }
    if (!everyPriceFlashed(before, state)) {
        state.SkipWithError("the prices did not all flash");
    }
}

// Each side counts by the median of fifteen short repetitions, interleaved with the other's.
BENCHMARK(RefreshWorksheet)->Unit(benchmark::kMillisecond)->MinTime(0.1)->Repetitions(15);
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(0.1)->Repetitions(15);

}  // namespace

int main(int argc, char** argv) {
    kavex::os::machineClock().startSimulation(kavex::base::Date{45000.5});
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "RefreshWorksheet/min_time:0.100",
                                           "Floor/min_time:0.100", 3.0);
}
