// The memory a workbook of 300,000 formula cells holds once opened and recalculated for the first
// time (a number typed over, its readers recalculated), when the host also keeps the index of
// which cells read which: the peak resident size of that run less that of a run that opens
// nothing, over the formula cells. Prints "bytes per formula cell = N (goal <= G)"; the exit
// status says whether the goal was met.

#include <cstdio>

#include "bench/support/WorkbookMemory.h"

int main(int argc, char** argv) {
    namespace memory = kavex::bench::memory;
    if (int status = 0; memory::runStep(argc, argv, status)) {
        return status;
    }
    constexpr double kGoal = 460;
    const memory::Peaks peaks = memory::measure({.recalculate = true});
    if (peaks.nothing < 0 || peaks.recalculated < 0) {
        std::printf("bytes per formula cell = n/a (a run failed)\n");
        return 1;
    }
    const double perCell =
        static_cast<double>(peaks.recalculated - peaks.nothing) / memory::kFormulaCells;
    std::printf("opened and recalculated: %.1f MB, a run that opens nothing: %.1f MB\n",
                static_cast<double>(peaks.recalculated) / 1e6,
                static_cast<double>(peaks.nothing) / 1e6);
    std::printf("bytes per formula cell = %.0f (goal <= %.0f)\n", perCell, kGoal);
    return perCell <= kGoal ? 0 : 1;
}
