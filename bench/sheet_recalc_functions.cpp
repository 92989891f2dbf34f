// A sheet of 1,000 symbols by ten prefixed worksheet-function columns, recalculated in full
// through the spreadsheet host and the add-in's registered functions after new quotes of every
// symbol were stored (untimed), as after a fetch -- against the floor of the same 10,000 values
// read the plain efficient way (QuoteFloor: each symbol's row read and parsed once, each path
// compiled once) after the same new quotes, and shown with FormatValue.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "addin/functions/FormatClasses.h"
#include "addin/functions/ValueFormatting.h"
#include "bench/support/AddInSession.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/QuoteFloor.h"
#include "bench/support/QuoteStore.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace functions = kavex::addin::functions;

constexpr int kSymbols = 1000;
// The columns: each function reads the element that is its name without the prefix.
constexpr std::array<const char*, 10> kTags = {"Last",  "Change", "ChPerc", "CuVol",   "VolAvg20",
                                               "BidPr", "AskPr",  "Open",   "PrClose", "MktCap"};

std::string symbolAt(int row) {
    return "S" + std::to_string(row);
}

// The stored text of column c (0-based) of a symbol's row in the quotes of the given fetch.
std::string quoteValue(int seed, std::size_t c, int fetch) {
    return std::to_string(seed * 1.25 + 17.5 * static_cast<double>(c + 1) + 0.25 * fetch);
}

// A quote as the refresh stores it: one Stock element with some forty values, the ten of the
// sheet's columns moved at each fetch.
std::string quoteXml(const std::string& symbol, int seed, int fetch) {
    static const char* const kOther[] = {
        "Name",     "Exch",     "Time",    "BidSz",   "AskSz",   "DayHi",   "DayLo",
        "YearHi",   "YearLo",   "DivAmt",  "DivYld",  "DivDate", "EarnShr", "PrEarn",
        "ShrsOut",  "Ema13",    "Ema30",   "Ema100",  "EMAC8",   "EmaC100", "Hi10",
        "Hi20",     "Lo10",     "Lo20",    "Rsi14",   "Rsi25",   "Sto14",   "Sto25",
        "Support1", "Support2", "Resist1", "Resist2", "TrVol"};
    std::string xml = "<Stock><Symbol>" + symbol + "</Symbol>";
    for (std::size_t c = 0; c < kTags.size(); ++c) {
        xml +=
            std::string("<") + kTags[c] + ">" + quoteValue(seed, c, fetch) + "</" + kTags[c] + ">";
    }
    int i = static_cast<int>(kTags.size());
    for (const char* tag : kOther) {
        xml += std::string("<") + tag + ">" + std::to_string(3.5 * ++i) + "</" + tag + ">";
    }
    return xml + "</Stock>";
}

void fillSheetCache(sqlite3* handle) {
    for (int row = 1; row <= kSymbols; ++row) {
        kavex::bench::exec(
            handle, "insert into AQ_StockSymbolList(Symbol) values('" + symbolAt(row) + "')");
        kavex::bench::exec(handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" +
                                       symbolAt(row) + "', '" + quoteXml(symbolAt(row), row, 0) +
                                       "')");
    }
}

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("recalc", fillSheetCache);
    return database;
}

// The fetches so far; the quotes stored last are those of fetch `fetches`.
int fetches = 0;

// Stores the quotes of the next fetch: every value of the sheet changes.
void storeNextQuotes() {
    static kavex::bench::QuoteStore store(benchDatabase().path());
    static const std::vector<std::string> symbols = [] {
        std::vector<std::string> all;
        for (int row = 1; row <= kSymbols; ++row) {
            all.push_back(symbolAt(row));
        }
        return all;
    }();
    ++fetches;
    store.replace(symbols, [](const std::string& symbol) {
        return quoteXml(symbol, std::stoi(symbol.substr(1)), fetches);
    });
}

// The add-in connected to a host with a session, its functions registered and the sheet filled.
struct RecalcSheet {
    RecalcSheet() : addIn(benchDatabase().connectionString()), host(addIn.host) {
        addIn.registerWorksheetFunctions();
        host.workbooks().add();
        host.setCalculation(kavex::sheet::xlCalculationManual);
        for (int row = 1; row <= kSymbols; ++row) {
            host.cells(row, 1).setValue(symbolAt(row));
            for (std::size_t c = 0; c < kTags.size(); ++c) {
                host.cells(row, static_cast<int>(c) + 2)
                    .setFormula(std::string("=Kavex") + kTags[c] + "(A" + std::to_string(row) +
                                ")");
            }
        }
    }
    kavex::bench::AddInSession addIn;
    kavex::sheet::Application& host;
};

void FullRecalculation(benchmark::State& state) {
    static RecalcSheet sheet;
    kavex::sheet::Range formulas = sheet.host.range("B1:K" + std::to_string(kSymbols));
    for (auto _ : state) {
        state.PauseTiming();
        storeNextQuotes();
        state.ResumeTiming();
        formulas.calculate();
    }
    const std::string shown = sheet.host.range("B7").value().isText()
                                  ? sheet.host.range("B7").value().text()
                                  : std::string("?");
    const std::string expected =
        functions::FormatValue(quoteValue(7, 0, fetches), functions::format_class::Currency);
    if (shown != expected) {
        state.SkipWithError(("wrong value " + shown + ", expected " + expected).c_str());
    }
    state.counters["cells"] = kSymbols * static_cast<double>(kTags.size());
}

// The floor: each symbol's row read and parsed once, its ten values selected and formatted.
void Floor(benchmark::State& state) {
    kavex::bench::QuoteFloor floor(benchDatabase().path(),
                                   std::vector<std::string>(kTags.begin(), kTags.end()));
    std::array<std::string_view, kTags.size()> classes;
    for (std::size_t c = 0; c < kTags.size(); ++c) {
        classes[c] = functions::SymbolFormatClass(kTags[c]);
    }
    std::vector<std::string> symbols;
    for (int row = 1; row <= kSymbols; ++row) {
        symbols.push_back(symbolAt(row));
    }
    std::string value;
    for (auto _ : state) {
        state.PauseTiming();
        storeNextQuotes();
        state.ResumeTiming();
        for (const std::string& symbol : symbols) {
            if (!floor.read(symbol)) {
                continue;
            }
            for (std::size_t c = 0; c < kTags.size(); ++c) {
                value = functions::FormatValue(floor.value(c), classes[c]);
                benchmark::DoNotOptimize(value);
            }
        }
    }
    if (value !=
        functions::FormatValue(quoteValue(kSymbols, kTags.size() - 1, fetches), classes.back())) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

// Each side counts by the median of fifteen short repetitions, interleaved with the other's.
BENCHMARK(FullRecalculation)->Unit(benchmark::kMillisecond)->MinTime(0.1)->Repetitions(15);
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(0.1)->Repetitions(15);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "FullRecalculation/min_time:0.100",
                                           "Floor/min_time:0.100", 3.0);
}
