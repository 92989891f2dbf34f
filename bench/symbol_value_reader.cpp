// Worksheet values as cells get them: GetSymbolDataItem(tag, symbol) on cached symbols, with a
// session and the toolbar in place, through the add-in's reader, the database and XML layers and
// the formatter -- against the floor of the same values read and formatted the plain efficient
// way (QuoteFloor: the select prepared once, each path compiled once, a row read and parsed once
// for all its values, each value formatted by FormatValue).
//
// Cold: the first value of a row whose quote changed since it was last read (the reader's
// memory is emptied before each read), each read on the next of the cache's 3,000 symbols.
// Warm: the other nine values of that row, as the other cells of a sheet's row read them after
// its first; the row's first value is read untimed, on both sides.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "addin/functions/CachedDocuments.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/SymbolValueReader.h"
#include "addin/functions/ValueFormatting.h"
#include "bench/support/AddInSession.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/QuoteFloor.h"

namespace {

namespace functions = kavex::addin::functions;

constexpr int kSymbols = 3000;  // S0 to S2999, as fillRealisticCache stores them
// A row's values: the first read cold, the others warm.
const std::vector<std::string> kTags = {"Last",  "Change", "ChPerc", "CuVol",   "VolAvg20",
                                        "BidPr", "AskPr",  "Open",   "PrClose", "MktCap"};

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("reader", kavex::bench::fillRealisticCache);
    return database;
}

std::string symbolAt(int i) {
    return "S" + std::to_string(i % kSymbols);
}

std::string_view formatClass(std::size_t tag) {
    return functions::SymbolFormatClass(kTags[tag]);
}

// The add-in as a logged-in user has it, on a workbook of its own.
kavex::bench::AddInSession& loggedIn() {
    static kavex::bench::AddInSession addIn(benchDatabase().connectionString());
    if (addIn.host.workbooks().count() == 0) {
        addIn.host.workbooks().add();
    }
    return addIn;
}

// The display text of the tag-th value of the symbol's row, read the floor's way.
std::string expected(const std::string& symbol, std::size_t tag) {
    kavex::bench::QuoteFloor floor(benchDatabase().path(), kTags);
    return floor.read(symbol) ? functions::FormatValue(floor.value(tag), formatClass(tag))
                              : std::string("?");
}

void ReaderCold(benchmark::State& state) {
    loggedIn();
    std::string value;
    std::string symbol;
    int next = 0;
    for (auto _ : state) {
        symbol = symbolAt(next++);
        functions::CachedSymbolDocuments().clear();
        value = functions::GetSymbolDataItem("Last", symbol, true);
        benchmark::DoNotOptimize(value);
    }
    if (value != expected(symbol, 0)) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void FloorCold(benchmark::State& state) {
    kavex::bench::QuoteFloor floor(benchDatabase().path(), {"Last"});
    std::string value;
    std::string symbol;
    int next = 0;
    for (auto _ : state) {
        symbol = symbolAt(next++);
        if (floor.read(symbol)) {
            value = functions::FormatValue(floor.value(0), formatClass(0));
        }
        benchmark::DoNotOptimize(value);
    }
    if (value != expected(symbol, 0)) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void ReaderWarm(benchmark::State& state) {
    loggedIn();
    std::string value;
    std::string symbol;
    int next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        symbol = symbolAt(next++);
        functions::CachedSymbolDocuments().clear();
        value = functions::GetSymbolDataItem(kTags[0], symbol, true);
        state.ResumeTiming();
        for (std::size_t tag = 1; tag < kTags.size(); ++tag) {
            value = functions::GetSymbolDataItem(kTags[tag], symbol, true);
            benchmark::DoNotOptimize(value);
        }
    }
    if (value != expected(symbol, kTags.size() - 1)) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void FloorWarm(benchmark::State& state) {
    kavex::bench::QuoteFloor floor(benchDatabase().path(), kTags);
    std::string value;
    std::string symbol;
    int next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        symbol = symbolAt(next++);
        const bool read = floor.read(symbol);
        value = functions::FormatValue(floor.value(0), formatClass(0));
        state.ResumeTiming();
        for (std::size_t tag = 1; read && tag < kTags.size(); ++tag) {
            value = functions::FormatValue(floor.value(tag), formatClass(tag));
            benchmark::DoNotOptimize(value);
        }
    }
    if (value != expected(symbol, kTags.size() - 1)) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

// Each side counts by the median of fifteen short repetitions, interleaved with the other's.
BENCHMARK(ReaderCold)->MinTime(0.1)->Repetitions(15);
BENCHMARK(FloorCold)->MinTime(0.1)->Repetitions(15);
BENCHMARK(ReaderWarm)->MinTime(0.1)->Repetitions(15);
BENCHMARK(FloorWarm)->MinTime(0.1)->Repetitions(15);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    kavex::bench::initializeInterleaved(argc, argv);
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("cold: ");
    const int cold =
        reporter.reportRatio("ReaderCold/min_time:0.100", "FloorCold/min_time:0.100", 1.5);
    std::printf("warm: ");
    const int warm =
        reporter.reportRatio("ReaderWarm/min_time:0.100", "FloorWarm/min_time:0.100", 3.0);
    return cold | warm;
}
