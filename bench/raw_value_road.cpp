// The raw road of one worksheet value: look up a cached symbol's quote XML in the database, load
// it, select Stock/Last. Measured through the database and XML layers, and against the floor of
// the same work done directly with SQLite (prepare, step, finalize of the same text) and pugixml.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/BenchSupport.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/xml/Document.h"

namespace {

constexpr const char* kSelect =
    "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM AQ_StockSymbolData "
    "WHERE AQ_StockSymbolData.Symbol = 'MSFT'";

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("road", kavex::bench::fillRealisticCache);
    return database;
}

void ThroughLayers(benchmark::State& state) {
    kavex::db::Connection connection;
    connection.Open(benchDatabase().connectionString());
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
    kavex::bench::runDirectFloor(state, benchDatabase(), kSelect, "27.940000");
}

BENCHMARK(ThroughLayers)->MinTime(1.0);
BENCHMARK(Floor)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "ThroughLayers/min_time:1.000",
                                           "Floor/min_time:1.000", 1.3);
}
