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

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
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
#include "bench/support/SidesInTurn.h"
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

// The floor: each row of the sheet read and parsed once, the values of its columns selected and
// formatted.
class SheetFloor {
  public:
    SheetFloor(const TypedSymbolSetup& s, int rows) : floor_(s.addIn.database(), s.tags) {
        for (const std::string& tag : s.tags) {
            classes_.push_back(addin::functions::SymbolFormatClass(tag));
        }
        for (int i = 0; i < rows; ++i) {
            symbols_.push_back(symbolAt(i));
        }
    }

    // Reads the sheet's values; how many it found.
    std::size_t read() {
        std::size_t values = 0;
        for (const std::string& symbol : symbols_) {
            if (!floor_.read(symbol)) {
                continue;
            }
            for (std::size_t c = 0; c < classes_.size(); ++c) {
                value_ = addin::functions::FormatValue(floor_.value(c), classes_[c]);
                values += value_.empty() ? 0 : 1;
                benchmark::DoNotOptimize(value_);
            }
        }
        return values;
    }

    std::size_t valuesShown() const { return symbols_.size() * classes_.size(); }

  private:
    kavex::bench::QuoteFloor floor_;
    std::vector<std::string_view> classes_;
    std::vector<std::string> symbols_;
    std::string value_;
};

// Each iteration types a symbol into the row below the sheet's symbols (one of two, in turn),
// then reads the sheet's values the floor's way, three times.
void TypeSymbolAgainstFloor(benchmark::State& state, int rows) {
    TypedSymbolSetup& s = setup(rows);
    SheetFloor floor(s, rows);
    kavex::bench::SidesInTurn sides;
    const std::string row = std::to_string(kFirstRow + rows);
    int typed = 0;
    std::size_t values = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kavex::os::machineClock().advance(kPastFreshnessMillis);
        state.ResumeTiming();
        sides.measured(
            [&] { s.host.typeInto(s.watch.range("B" + row), symbolAt(rows + typed++ % 2)); });
        // The floor reads through a connection of its own, whose memory of the file the typing's
        // fetch empties; the add-in, which wrote the new quotes, holds them. So the floor reads
        // three times a round and counts by the median, a read with the file in its memory.
        for (int run = 0; run < 3; ++run) {
            sides.floor([&] { values = floor.read(); });
        }
    }
    const std::string last = kavex::base::CStr(s.watch.range("D" + row).value());
    const std::string first =
        kavex::base::CStr(s.watch.range("D" + std::to_string(kFirstRow)).value());
    if (last.empty() || last[0] != '$' || first.empty() || first[0] != '$') {
        state.SkipWithError(("no price shown: " + first + " / " + last).c_str());
    }
    if (values != floor.valuesShown()) {
        state.SkipWithError(("the floor read " + std::to_string(values) + " values").c_str());
    }
    sides.count(state);
    state.counters["rows"] = rows;
}

// One size: the watch list's rows, the rounds measured on it and the goal of its ratio.
struct Size {
    int rows;
    int rounds;
    double goal;
};

std::string benchmarkName(const Size& size) {
    return "TypeSymbolAgainstFloor/" + std::to_string(size.rows) +
           "/iterations:" + std::to_string(size.rounds);
}

}  // namespace

int main(int argc, char** argv) {
    // A short list pays the typing's own work, which does not grow with the sheet, on few values:
    // its ratio is the highest.
    std::vector<Size> sizes = {{50, 41, 12.0}, {500, 15, 8.5}, {5000, 7, 9.5}};
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.rfind("--rows=", 0) == 0) {
            // Another size, against the goal of the largest size above that it reaches.
            Size size = sizes.front();
            for (const Size& listed : sizes) {
                if (std::atoi(argv[i] + 7) >= listed.rows) {
                    size = listed;
                }
            }
            size.rows = std::atoi(argv[i] + 7);
            sizes = {size};
        } else {
            arguments.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    for (const Size& size : sizes) {
        benchmark::RegisterBenchmark(
            ("TypeSymbolAgainstFloor/" + std::to_string(size.rows)).c_str(), TypeSymbolAgainstFloor,
            size.rows)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(size.rounds);
    }
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    current.reset();
    int missed = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (i > 0) {
            // How the cost grew from the size before: ten times the rows.
            const auto grown = [&](const char* side) {
                const auto now = reporter.counterOf(benchmarkName(sizes[i]), side);
                const auto before = reporter.counterOf(benchmarkName(sizes[i - 1]), side);
                return now && before && *before > 0 ? *now / *before : 0.0;
            };
            std::printf("%d rows over %d: typing %.1f times the cost, floor %.1f times\n",
                        sizes[i].rows, sizes[i - 1].rows, grown("measured_ms"), grown("floor_ms"));
        }
        std::printf("%d rows: ", sizes[i].rows);
        missed |= reporter.reportCounter(benchmarkName(sizes[i]), "ratio", sizes[i].goal);
    }
    return missed;
}
