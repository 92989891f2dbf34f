// The raw road of one worksheet value: a cached symbol's quote selected from the database with
// the symbol bound, its document loaded and Stock/Last selected, as the add-in's reader asks the
// database and XML layers for it. Measured through those layers against the floor of the same
// work done directly with SQLite and pugixml, the statement prepared once and the path compiled
// once. Each read takes the next of the cache's 3,000 symbols, as the cells of a sheet do.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "bench/support/QuoteFloor.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/xml/Document.h"

namespace {

constexpr int kSymbols = 3000;  // S0 to S2999, as fillRealisticCache stores them

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("road", kavex::bench::fillRealisticCache);
    return database;
}

const std::vector<std::string>& symbols() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> names;
        for (int i = 0; i < kSymbols; ++i) {
            names.push_back("S" + std::to_string(i));
        }
        return names;
    }();
    return all;
}

// Stock/Last of symbol S<i> as stored.
bool isLastOf(const std::string& value, std::size_t i) {
    return value == std::to_string(static_cast<double>(i));
}

void ThroughLayers(benchmark::State& state) {
    kavex::db::Connection connection;
    connection.Open(benchDatabase().connectionString());
    std::string value;
    std::size_t next = 0;
    std::size_t read = 0;
    for (auto _ : state) {
        read = next;
        next = (next + 1) % symbols().size();
        kavex::db::Recordset rs;
        rs.Open(
            "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM "
            "AQ_StockSymbolData WHERE AQ_StockSymbolData.Symbol = ?",
            connection, {kavex::base::Variant(symbols()[read])});
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
    if (!isLastOf(value, read)) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

void Floor(benchmark::State& state) {
    kavex::bench::QuoteFloor floor(benchDatabase().path(), {"Last"});
    std::string value;
    std::size_t next = 0;
    std::size_t read = 0;
    for (auto _ : state) {
        read = next;
        next = (next + 1) % symbols().size();
        if (floor.read(symbols()[read])) {
            value = floor.value(0);
        }
        benchmark::DoNotOptimize(value);
    }
    if (!isLastOf(value, read)) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

// Each side counts by the median of fifteen short repetitions, interleaved with the other's.
BENCHMARK(ThroughLayers)->MinTime(0.1)->Repetitions(15);
BENCHMARK(Floor)->MinTime(0.1)->Repetitions(15);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "ThroughLayers/min_time:0.100",
                                           "Floor/min_time:0.100", 1.4);
}
