// Recalculating 10,000 formula cells that each call a registered function, against the floor of
// calling that function 10,000 times directly. Prints "ratio = x.xx (goal <= 3.0)"; the exit
// status says whether the goal was met.

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
BENCHMARK(BM_CallFunctionDirectly)->Unit(benchmark::kMicrosecond);

void BM_RecalculateSheet(benchmark::State& state) {
    Application app;
    app.registerFunction("KavexLast", constantText);
    app.workbooks().add();
    auto sheet = app.activeSheet();
    app.setEnableEvents(false);
    app.setCalculation(kavex::sheet::xlCalculationManual);
    for (int r = 1; r <= kCells / 2; ++r) {
        sheet.cells(r, 1).setValue("IBM");
    }
    sheet.range("B1:C" + std::to_string(kCells / 2)).setFormula("=KavexLast(A1)");
    Range formulas = sheet.usedRange().specialCells(kavex::sheet::xlCellTypeFormulas);
    for (auto _ : state) {
        formulas.calculate();
    }
}
BENCHMARK(BM_RecalculateSheet)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return kavex::bench::runAndReportRatio(argc, argv, "BM_RecalculateSheet",
                                           "BM_CallFunctionDirectly", 3.0);
}
