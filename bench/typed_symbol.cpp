// One symbol typed into a watch list of symbol rows, end to end as a user has it: the
// sheet-change event (cache row, links, formulas), the fetch of the sheet's symbols from the
// stand-in services running in-process, and the refresh of the whole sheet -- against the floor of
// the values the sheet shows (five a row) read the plain efficient way (QuoteFloor: each row read
// and parsed once) and formatted. Measured on watch lists of 50, 500 and 5,000 rows, each against
// its own floor, so the ratios also tell how the cost grows with the sheet.
//
// Between two typings the simulated clock moves past the quotes' freshness, so every typing
// fetches every symbol of the sheet again, the worst case. The log level is the one a user has by
// default. `--rows=N` measures a watch list of N rows alone.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/core/Workbooks.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/marketdata/SymbolRegistration.h"
#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/ConnectedAddIn.h"
#include "bench/support/QuoteFloor.h"
#include "platform/base/Conversions.h"
#include "platform/base/Date.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace addin = kavex::addin;

constexpr int kFirstRow = 5;
// The cached quotes are fetched again once they are older than this (the configuration's
// default freshness is 15 seconds).
constexpr std::int64_t kPastFreshnessMillis = 20'000;

// The sheet's symbols: four capital letters after a Z, none of them in the shipped seeds.
std::string symbolAt(int i) {
    std::string symbol = "Z";
    for (int place = 0; place < 4; ++place) {
        symbol.insert(1, 1, static_cast<char>('A' + i % 26));
        i /= 26;
    }
    return symbol;
}

// The sheet's symbols and the two typed ones.
std::vector<std::string> symbolsOf(int rows) {
    std::vector<std::string> symbols;
    for (int i = 0; i < rows + 2; ++i) {
        symbols.push_back(symbolAt(i));
    }
    return symbols;
}

// The logged-in add-in on the watch list of its workbook, whose rows each hold a symbol typed
// before and refreshed once.
struct TypedSymbolSetup {
    explicit TypedSymbolSetup(int rows)
        : rowCount(rows),
          addIn("typed", symbolsOf(rows), *kavex::base::makeDate(2025, 1, 15, 10, 0, 0)),
          host(addIn.host) {
        watch = addIn.book.worksheets().item("Watch List");
        host.activate(watch);
        fillRows();
        addin::refresh::ProcessManualRefresh(false, true, 0, "", "", true);
    }

    // What typing each symbol leaves in its row, written the way the sheet-change handler writes
    // it but without the refresh each typing ends in (500 of them would take minutes).
    void fillRows() {
        std::int32_t attributeRow = 0;
        std::int16_t attributeColumn = 0;
        addin::core::GetAttributeRowColumn(watch, attributeRow, attributeColumn);
        const short columns = addin::core::GetNoofColumns(watch);
        for (int i = 0; i < rowCount; ++i) {
            const int row = kFirstRow + i;
            host.setEnableEvents(false);
            std::string symbol = symbolAt(i);
            std::string unused;
            addin::marketdata::AddNewExistingSymbol(symbol, unused);
            kavex::sheet::Range cell = watch.cells(row, 2);
            cell.setValue(kavex::base::Variant(symbol));
            addin::refresh::CreateSymbolHyperlink(cell, watch);
            host.setEnableEvents(false);
            watch.cells(row, 3).setValue(
                kavex::base::Variant("=KavexName(B" + std::to_string(row) + ")"));
            for (int offset = 0; offset <= columns; ++offset) {
                const auto column = static_cast<std::int16_t>(attributeColumn + offset);
                const std::string caption =
                    kavex::base::CStr(watch.cells(attributeRow, column).value());
                addin::refresh::SymbolSearch(watch, "Watch List", caption, row, column, false);
            }
            host.setEnableEvents(true);
        }
        // The attribute columns that got a formula: the header's own captions.
        for (int offset = 0; offset <= columns; ++offset) {
            const std::string formula = watch.cells(kFirstRow, attributeColumn + offset).formula();
            if (formula.rfind("=Kavex", 0) == 0) {
                tags.push_back(tagOf(formula));
            }
        }
    }

    // The element a formula "=KavexLast(B5)" reads: its function name without the prefix.
    static std::string tagOf(const std::string& formula) {
        const std::size_t open = formula.find('(');
        return formula.substr(6, open - 6);
    }

    int rowCount;
    kavex::bench::ConnectedAddIn addIn;
    kavex::sheet::Application& host;
    kavex::sheet::Worksheet watch;
    std::vector<std::string> tags{"Name"};
};

// The watch list measured now; taken down by main before the program's own statics go.
std::unique_ptr<TypedSymbolSetup> current;

// The watch list of that many rows, made when asked for the first time (the one of another size
// is taken down first: the add-in is connected to one host at a time).
TypedSymbolSetup& setup(int rows) {
    if (!current || current->rowCount != rows) {
        current.reset();
        current = std::make_unique<TypedSymbolSetup>(rows);
    }
    return *current;
}

void TypeSymbol(benchmark::State& state, int rows) {
    TypedSymbolSetup& s = setup(rows);
    const std::string row = std::to_string(kFirstRow + rows);
    int typed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kavex::os::machineClock().advance(kPastFreshnessMillis);
        state.ResumeTiming();
        s.host.typeInto(s.watch.range("B" + row), symbolAt(rows + typed++ % 2));
    }
    const std::string last = kavex::base::CStr(s.watch.range("D" + row).value());
    const std::string first =
        kavex::base::CStr(s.watch.range("D" + std::to_string(kFirstRow)).value());
    if (last.empty() || last[0] != '$' || first.empty() || first[0] != '$') {
        state.SkipWithError(("no price shown: " + first + " / " + last).c_str());
    }
    state.counters["rows"] = rows;
}

// The floor: each row of the sheet read and parsed once, the values of its columns selected and
// formatted.
void Floor(benchmark::State& state, int rows) {
    TypedSymbolSetup& s = setup(rows);
    kavex::bench::QuoteFloor floor(s.addIn.database(), s.tags);
    std::vector<std::string_view> classes;
    for (const std::string& tag : s.tags) {
        classes.push_back(addin::functions::SymbolFormatClass(tag));
    }
    std::vector<std::string> symbols;
    for (int i = 0; i < rows; ++i) {
        symbols.push_back(symbolAt(i));
    }
    std::string value;
    std::size_t values = 0;
    for (auto _ : state) {
        values = 0;
        for (const std::string& symbol : symbols) {
            if (!floor.read(symbol)) {
                continue;
            }
            for (std::size_t c = 0; c < classes.size(); ++c) {
                value = addin::functions::FormatValue(floor.value(c), classes[c]);
                values += value.empty() ? 0 : 1;
                benchmark::DoNotOptimize(value);
            }
        }
    }
    if (values != symbols.size() * classes.size()) {
        state.SkipWithError(("read " + std::to_string(values) + " values").c_str());
    }
    state.counters["values"] = static_cast<double>(values);
}

}  // namespace

int main(int argc, char** argv) {
    // The sizes measured and the goal of each: a short list pays the typing's own work, which
    // does not grow with the sheet, on few values.
    std::vector<std::pair<int, double>> sizes = {{50, 0}, {500, 0}, {5000, 0}};
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.rfind("--rows=", 0) == 0) {
            const int rows = std::atoi(argv[i] + 7);
            sizes = {{rows, rows < 500 ? sizes[0].second : sizes[1].second}};
        } else {
            arguments.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    // Each size's two sides run one after the other, on the one watch list made for them.
    for (const auto& [rows, goal] : sizes) {
        const std::string size = std::to_string(rows);
        benchmark::RegisterBenchmark(("TypeSymbol/" + size).c_str(), TypeSymbol, rows)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(3.0);
        benchmark::RegisterBenchmark(("Floor/" + size).c_str(), Floor, rows)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    }
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    current.reset();
    int missed = 0;
    for (const auto& [rows, goal] : sizes) {
        const std::string size = std::to_string(rows);
        std::printf("%d rows: ", rows);
        missed |= reporter.reportRatio("TypeSymbol/" + size + "/min_time:3.000",
                                       "Floor/" + size + "/min_time:1.000", goal);
    }
    return missed;
}
