#pragma once
// What the benchmarks share: a scratch database made from the project's schema and filled with
// quotes, and the report of one benchmark's time as a ratio of another's.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavex::bench {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void exec(sqlite3* handle, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message != nullptr ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

// A quote as the quote service sends it and the refresh stores it: one Stock element with some
// sixty values, Last among them. A later quote of the symbol passes another `move`: every number
// in it but Last moves by that much.
inline std::string realisticQuoteXml(const std::string& symbol, double last, double move = 0) {
    static const char* const kTags[] = {
        "Change",   "ChPerc",    "CuVol",     "VolAvg20",  "Name",      "Exch",      "Time",
        "BidPr",    "AskPr",     "BidSz",     "AskSz",     "PrClose",   "Open",      "DayHi",
        "DayLo",    "YearHi",    "YearLo",    "DivAmt",    "DivYld",    "DivDate",   "EarnShr",
        "PrEarn",   "MktCap",    "ShrsOut",   "Ema13",     "Ema30",     "Ema100",    "EMAC8",
        "Hi10",     "Hi20",      "Lo10",      "Lo20",      "Rsi09",     "Rsi14",     "Rsi25",
        "Volat5",   "Volat15",   "Volat30",   "Trend",     "Resist1",   "Resist2",   "Support1",
        "Support2", "Sto14",     "Sto25",     "PcCh01w",   "PcCh04w",   "PcCh13w",   "PcCh26w",
        "PcCh52w",  "Hclose01w", "Hclose04w", "Hclose13w", "Hclose26w", "Hclose52w", "TrVol",
        "TrCnt",    "VolAvg5",   "VolPrev",   "Industry",  "Country",   "Currency"};
    std::string xml =
        "<Stock><Symbol>" + symbol + "</Symbol><Last>" + std::to_string(last) + "</Last>";
    int i = 0;
    for (const std::string tag : kTags) {
        xml += "<" + tag + ">";
        if (tag == "Name") {
            xml += symbol + " Corporation Common Stock";
        } else if (tag == "Time") {
            xml += "16:00:01";
        } else {
            xml += std::to_string(1000.0 + 37.25 * ++i + move);
        }
        xml += "</" + tag + ">";
    }
    return xml + "</Stock>";
}

// A cache of a few thousand symbols with realistic quotes, MSFT among them at 27.94.
inline void fillRealisticCache(sqlite3* handle) {
    for (int i = 0; i < 3000; ++i) {
        const std::string symbol = "S" + std::to_string(i);
        exec(handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" + symbol +
                         "', '" + realisticQuoteXml(symbol, i) + "')");
    }
    exec(handle,
         "insert into AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate) values('MSFT', '" +
             realisticQuoteXml("MSFT", 27.94) + "', '2024-05-06 16:00:01')");
}

// A Kavex.mdb in a folder of its own, filled in one transaction by the caller, removed at the end.
class BenchDatabase {
  public:
    BenchDatabase(const std::string& name, const std::function<void(sqlite3*)>& fill) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kavex-bench-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        path_ = folder_ / "Kavex.mdb";
        std::filesystem::remove(path_);
        sqlite3* handle = nullptr;
        sqlite3_open(path_.c_str(), &handle);
        exec(handle, readFile(std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "schema.sql"));
        exec(handle, "BEGIN");
        fill(handle);
        exec(handle, "COMMIT");
        sqlite3_close(handle);
    }
    ~BenchDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    BenchDatabase(const BenchDatabase&) = delete;
    BenchDatabase& operator=(const BenchDatabase&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string connectionString() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_.string() +
               ";Jet OLEDB:Database Password=kavex";
    }

  private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

// Keeps each benchmark's adjusted real time so that main can report their ratio. A benchmark run
// with repetitions counts by the median of its repetitions, reported after them, so that one
// disturbed repetition of either side moves the ratio no more than it moves the other.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal, so that piped output and logs stay plain text.
    RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Iteration) {
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
                counters_[run.benchmark_name()] = run.counters;
            } else if (run.aggregate_name == "median") {
                times_[withoutRepetitions(run.run_name.str())] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints "ratio = x.xx (goal <= g)" of measured over floor (the floor's time multiplied by
    // floorTimes, for a measurement of that many times the floor's work); the exit status says
    // whether the goal was met.
    int reportRatio(const std::string& measured, const std::string& floor, double goal,
                    double floorTimes = 1) const {
        const auto m = times_.find(measured);
        const auto f = times_.find(floor);
        if (m == times_.end() || f == times_.end() || f->second <= 0) {
            std::printf("ratio = n/a (both %s and %s must run)\n", measured.c_str(), floor.c_str());
            return 1;
        }
        return printRatio(m->second / (f->second * floorTimes), goal);
    }

    // The same for a ratio a benchmark worked out itself and kept as one of its counters.
    int reportCounter(const std::string& benchmark, const std::string& counter, double goal) const {
        const std::optional<double> ratio = counterOf(benchmark, counter);
        if (!ratio) {
            std::printf("ratio = n/a (%s must run)\n", benchmark.c_str());
            return 1;
        }
        return printRatio(*ratio, goal);
    }

    // A counter of a benchmark that ran (its last run without repetitions).
    std::optional<double> counterOf(const std::string& benchmark,
                                    const std::string& counter) const {
        const auto run = counters_.find(benchmark);
        if (run == counters_.end()) {
            return std::nullopt;
        }
        const auto found = run->second.find(counter);
        if (found == run->second.end()) {
            return std::nullopt;
        }
        return found->second.value;
    }

  private:
    static int printRatio(double ratio, double goal) {
        std::printf("ratio = %.2f (goal <= %g)\n", ratio, goal);
        return ratio <= goal ? 0 : 1;
    }

    // A benchmark's name as registered: "X/repeats:5" is X.
    static std::string withoutRepetitions(const std::string& name) {
        const std::size_t at = name.find("/repeats:");
        return at == std::string::npos ? name : name.substr(0, at);
    }

    std::map<std::string, double> times_;
    std::map<std::string, benchmark::UserCounters> counters_;
};

// The median of the measurements (0 for none).
inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Google Benchmark set up with the program's arguments, with the repetitions of all benchmarks
// run in shuffled order: a spell of load from elsewhere on the machine then falls on the measured
// side and the floor alike, instead of on whichever ran during it.
inline void initializeInterleaved(int argc, char** argv) {
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    // Kept for the program's life, as the arguments themselves are.
    static std::vector<char*> arguments;
    arguments.assign(argv, argv + argc);
    arguments.insert(arguments.begin() + (argc > 0 ? 1 : 0), interleave.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
}

// Runs the registered benchmarks, interleaved, and reports measured against floor.
inline int runAndReportRatio(int argc, char** argv, const std::string& measured,
                             const std::string& floor, double goal) {
    initializeInterleaved(argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return reporter.reportRatio(measured, floor, goal);
}

}  // namespace kavex::bench
