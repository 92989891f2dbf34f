// Saving a workbook of 300,000 formula cells: the peak resident size of opening and saving it
// over that of opening it. Prints "save peak / open peak = x.xx (goal <= 1.25)"; the exit status
// says whether the goal was met.

#include <cstdio>

#include "bench/support/WorkbookMemory.h"

int main(int argc, char** argv) {
    namespace memory = kavex::bench::memory;
    if (int status = 0; memory::runStep(argc, argv, status)) {
        return status;
    }
    constexpr double kGoal = 1.25;
    const memory::Peaks peaks = memory::measure({.open = true, .save = true});
    if (peaks.opened <= 0 || peaks.saved < 0) {
        std::printf("save peak / open peak = n/a (a run failed)\n");
        return 1;
    }
    const double ratio = static_cast<double>(peaks.saved) / static_cast<double>(peaks.opened);
    std::printf("opened: %.1f MB, opened and saved: %.1f MB\n",
                static_cast<double>(peaks.opened) / 1e6, static_cast<double>(peaks.saved) / 1e6);
    std::printf("save peak / open peak = %.2f (goal <= %.2f)\n", ratio, kGoal);
    return ratio <= kGoal ? 0 : 1;
}
