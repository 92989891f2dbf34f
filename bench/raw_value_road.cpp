// The raw road of one worksheet value: look up a cached symbol's quote XML in the database, load
// it, select Stock/Last. Measured through the database and XML layers, and against the floor of
// the same work done directly with SQLite (prepare, step, finalize of the same text) and pugixml.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/xml/Document.h"

namespace {

constexpr const char* kSelect =
    "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM AQ_StockSymbolData "
    "WHERE AQ_StockSymbolData.Symbol = 'MSFT'";

// A quote as the quote service stores it: one Stock element with some sixty values.
std::string quoteXml(const std::string& symbol, double last) {
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
    for (const char* tag : kTags) {
        xml += std::string("<") + tag + ">";
        if (std::string(tag) == "Name") {
            xml += symbol + " Corporation Common Stock";
        } else if (std::string(tag) == "Time") {
            xml += "16:00:01";
        } else {
            xml += std::to_string(1000.0 + 37.25 * ++i);
        }
        xml += std::string("</") + tag + ">";
    }
    return xml + "</Stock>";
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void exec(sqlite3* handle, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message != nullptr ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

// A cache of a few thousand symbols, MSFT among them, made from the project's schema.
struct BenchDatabase {
    BenchDatabase() {
        folder =
            std::filesystem::temp_directory_path() / ("kavex-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        path = folder / "Kavex.mdb";
        std::filesystem::remove(path);
        sqlite3* handle = nullptr;
        sqlite3_open(path.c_str(), &handle);
        exec(handle, readFile(std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "schema.sql"));
        exec(handle, "BEGIN");
        for (int i = 0; i < 3000; ++i) {
            const std::string symbol = "S" + std::to_string(i);
            exec(handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" + symbol +
                             "', '" + quoteXml(symbol, i) + "')");
        }
        exec(handle,
             "insert into AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate) values("
             "'MSFT', '" +
                 quoteXml("MSFT", 27.94) + "', '2024-05-06 16:00:01')");
        exec(handle, "COMMIT");
        sqlite3_close(handle);
    }
    ~BenchDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
    std::filesystem::path path;
};

BenchDatabase& benchDatabase() {
    static BenchDatabase database;
    return database;
}

void ThroughLayers(benchmark::State& state) {
    kavex::db::Connection connection;
    connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                    benchDatabase().path.string() + ";Jet OLEDB:Database Password=kavex");
    std::string value;
    for (auto _ : state) {
        kavex::db::Recordset rs;
        rs.Open(kSelect, connection);
        if (!rs.Eof()) {
            const kavex::base::Variant data = rs.Fields("SymbolData");
            if (!data.isNull() && !data.text().empty()) {
                kavex::xml::Document doc;
                if (doc.loadXML(data.text())) {
                    const kavex::xml::Node node = doc.selectSingleNode("Stock/Last");
                    if (node) {
                        value = node.text();
                    }
                }
            }
        }
        rs.Close();
        benchmark::DoNotOptimize(value);
    }
    if (value != "27.940000") {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void Floor(benchmark::State& state) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(benchDatabase().path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    std::string value;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(handle, kSelect, -1, &statement, nullptr);
        if (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, 0));
            const int bytes = sqlite3_column_bytes(statement, 0);
            pugi::xml_document doc;
            if (doc.load_buffer(text, static_cast<std::size_t>(bytes))) {
                const pugi::xpath_node node = doc.select_node("Stock/Last");
                if (node) {
                    value = node.node().child_value();
                }
            }
        }
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(value);
    }
    sqlite3_close(handle);
    if (value != "27.940000") {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

BENCHMARK(ThroughLayers)->MinTime(1.0);
BENCHMARK(Floor)->MinTime(1.0);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred) {
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchDatabase();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto layers = reporter.times.find("ThroughLayers/min_time:1.000");
    const auto floor = reporter.times.find("Floor/min_time:1.000");
    if (layers == reporter.times.end() || floor == reporter.times.end() || floor->second <= 0) {
        std::printf("ratio = n/a (both benchmarks must run)\n");
        return 1;
    }
    const double ratio = layers->second / floor->second;
    std::printf("ratio = %.2f (goal <= 1.3)\n", ratio);
    return ratio <= 1.3 ? 0 : 1;
}
