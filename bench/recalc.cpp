// Recalculating 10,000 formula cells that each call a registered function, against the floor of
// calling that function 10,000 times directly. The ratio is printed as the counter "ratio" of the
// recalculation run and as a summary line.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "platform/spreadsheet/Application.h"

namespace {

using kavex::base::Variant;
using kavex::sheet::Application;
using kavex::sheet::Range;

constexpr int kCells = 10'000;

Variant constantText(const std::vector<kavex::formula::Argument>&) {
    return Variant("#NODATA! waiting for the quote");
}

double floorNanoseconds = 0;

void BM_CallFunctionDirectly(benchmark::State& state) {
    kavex::sheet::WorksheetFunction function = constantText;
    std::vector<kavex::formula::Argument> arguments{{Variant("IBM"), std::nullopt}};
    const auto start = std::chrono::steady_clock::now();
    std::int64_t rounds = 0;
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i) {
            Variant v = function(arguments);
            benchmark::DoNotOptimize(v);
        }
        ++rounds;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    floorNanoseconds =
        std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(rounds);
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
    const auto start = std::chrono::steady_clock::now();
    std::int64_t rounds = 0;
    for (auto _ : state) {
        formulas.calculate();
        ++rounds;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double perRound =
        std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(rounds);
    if (floorNanoseconds > 0) {
        state.counters["ratio"] = perRound / floorNanoseconds;
        std::printf("recalc ratio: %.2f (goal at most 3)\n", perRound / floorNanoseconds);
    }
}
BENCHMARK(BM_RecalculateSheet)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
