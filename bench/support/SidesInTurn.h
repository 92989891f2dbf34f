#pragma once
// The two sides of a ratio measured in turn within one benchmark, for work that takes
// milliseconds a run: each round runs the measured side once and the floor once, so that a spell
// of load from elsewhere on the machine falls on both alike. Each side counts by the median of
// its runs; the benchmark's counters carry both medians and their ratio.

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "bench/support/BenchSupport.h"

namespace kavex::bench {

class SidesInTurn {
  public:
    template <typename Work>
    void measured(Work&& work) {
        measured_.push_back(millisecondsOf(work));
    }

    template <typename Work>
    void floor(Work&& work) {
        floor_.push_back(millisecondsOf(work));
    }

    // Sets the counters measured_ms, floor_ms and ratio (what RatioReporter::reportCounter
    // reads).
    void count(benchmark::State& state) const {
        const double measured = median(measured_);
        const double floor = median(floor_);
        state.counters["measured_ms"] = measured;
        state.counters["floor_ms"] = floor;
        state.counters["ratio"] = floor > 0 ? measured / floor : 0;
    }

  private:
    template <typename Work>
    static double millisecondsOf(Work& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    }

    std::vector<double> measured_;
    std::vector<double> floor_;
};

}  // namespace kavex::bench
