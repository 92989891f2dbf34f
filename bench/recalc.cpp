// Recalculating formula cells that each call a registered function, against the floor of calling
// that function as many times directly. Two cases: the function gives every cell the value it
// already shows (nothing changed since the last pass), and the function gives every cell a new
// value at each pass, as after a refresh that brought new quotes. Each case at 10,000 cells
// against its floor, and at 100,000 cells against ten times that floor, in the same run. Prints
// each ratio with its goal; the exit status says whether every goal was met.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "platform/spreadsheet/Application.h"

namespace {

using kavex::base::Variant;
using kavex::sheet::Application;
using kavex::sheet::Range;

constexpr int kCells = 10'000;

Variant constantText(const std::vector<kavex::formula::Argument>&) {
    return Variant("#NODATA! waiting for the quote");
}

// The passes so far: each one brings every cell a price other than the one it shows.
int passes = 0;

Variant changingPrice(const std::vector<kavex::formula::Argument>&) {
    return Variant(passes % 2 == 0 ? "$27.94" : "$27.95");
}

void callDirectly(benchmark::State& state, kavex::sheet::WorksheetFunction function) {
    std::vector<kavex::formula::Argument> arguments{{Variant("IBM"), std::nullopt}};
    for (auto _ : state) {
        ++passes;
        for (int i = 0; i < kCells; ++i) {
            Variant v = function(arguments);
            benchmark::DoNotOptimize(v);
        }
    }
}

void recalculateSheet(benchmark::State& state, kavex::sheet::WorksheetFunction function) {
    const auto cells = static_cast<int>(state.range(0));
    Application app;
    app.registerFunction("KavexLast", std::move(function));
    app.workbooks().add();
    auto sheet = app.activeSheet();
    app.setEnableEvents(false);
    app.setCalculation(kavex::sheet::xlCalculationManual);
    for (int r = 1; r <= cells / 2; ++r) {
        sheet.cells(r, 1).setValue("IBM");
    }
    sheet.range("B1:C" + std::to_string(cells / 2)).setFormula("=KavexLast(A1)");
    Range formulas = sheet.usedRange().specialCells(kavex::sheet::xlCellTypeFormulas);
    formulas.calculate();  // the first pass, after which the host knows which cells read which
    for (auto _ : state) {
        ++passes;
        formulas.calculate();
    }
}

void CallUnchangedDirectly(benchmark::State& state) {
    callDirectly(state, constantText);
}
void CallChangedDirectly(benchmark::State& state) {
    callDirectly(state, changingPrice);
}
void RecalculateUnchanged(benchmark::State& state) {
    recalculateSheet(state, constantText);
}
void RecalculateChanged(benchmark::State& state) {
    recalculateSheet(state, changingPrice);
}

// Each side counts by the median of fifteen short repetitions, interleaved with the others'.
BENCHMARK(CallUnchangedDirectly)->MinTime(0.1)->Repetitions(15)->Unit(benchmark::kMicrosecond);
BENCHMARK(CallChangedDirectly)->MinTime(0.1)->Repetitions(15)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecalculateUnchanged)
    ->Arg(kCells)
    ->Arg(kCells * 10)
    ->MinTime(0.1)
    ->Repetitions(15)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(RecalculateChanged)
    ->Arg(kCells)
    ->Arg(kCells * 10)
    ->MinTime(0.1)
    ->Repetitions(15)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    kavex::bench::initializeInterleaved(argc, argv);
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string unchangedFloor = "CallUnchangedDirectly/min_time:0.100";
    const std::string changedFloor = "CallChangedDirectly/min_time:0.100";
    int missed = 0;
    std::printf("nothing changed, 10,000 cells: ");
    missed |=
        reporter.reportRatio("RecalculateUnchanged/10000/min_time:0.100", unchangedFloor, 5.5);
    std::printf("nothing changed, 100,000 cells: ");
    missed |= reporter.reportRatio("RecalculateUnchanged/100000/min_time:0.100", unchangedFloor,
                                   10.0, 10);
    std::printf("every value changed, 10,000 cells: ");
    missed |= reporter.reportRatio("RecalculateChanged/10000/min_time:0.100", changedFloor, 18.0);
    std::printf("every value changed, 100,000 cells: ");
    missed |=
        reporter.reportRatio("RecalculateChanged/100000/min_time:0.100", changedFloor, 30.0, 10);
    return missed;
}
