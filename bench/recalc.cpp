// Recalculating 10,000 formula cells that each call a registered function, against the floor of
// calling that function 10,000 times directly (goal <= 2.0); and 100,000 such cells against ten
// times the same floor (goal <= 2.5), in the same run. Prints each ratio with its goal; the exit
// status says whether both goals were met.

#include <benchmark/benchmark.h>

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

void BM_CallFunctionDirectly(benchmark::State& state) {
    kavex::sheet::WorksheetFunction function = constantText;
    std::vector<kavex::formula::Argument> arguments{{Variant("IBM"), std::nullopt}};
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i) {
            Variant v = function(arguments);
            benchmark::DoNotOptimize(v);
        }
    }
}
// Each side counts by the median of five repetitions: the machine's noise moves a single
// measurement of the floor by a quarter.
BENCHMARK(BM_CallFunctionDirectly)->Repetitions(5)->Unit(benchmark::kMicrosecond);

void BM_RecalculateSheet(benchmark::State& state) {
    const auto cells = static_cast<int>(state.range(0));
    Application app;
    app.registerFunction("KavexLast", constantText);
    app.workbooks().add();
    auto sheet = app.activeSheet();
    app.setEnableEvents(false);
    app.setCalculation(kavex::sheet::xlCalculationManual);
    for (int r = 1; r <= cells / 2; ++r) {
        sheet.cells(r, 1).setValue("IBM");
    }
    sheet.range("B1:C" + std::to_string(cells / 2)).setFormula("=KavexLast(A1)");
    Range formulas = sheet.usedRange().specialCells(kavex::sheet::xlCellTypeFormulas);
    for (auto _ : state) {
        formulas.calculate();
    }
}
BENCHMARK(BM_RecalculateSheet)
    ->Arg(kCells)
    ->Arg(kCells * 10)
    ->Repetitions(5)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kavex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string floor = "BM_CallFunctionDirectly";
    const int small = reporter.reportRatio("BM_RecalculateSheet/10000", floor, 2.0);
    const int large = reporter.reportRatio("BM_RecalculateSheet/100000", floor, 2.5, 10);
    return small | large;
}
