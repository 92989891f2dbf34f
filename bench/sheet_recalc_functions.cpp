// A sheet of 1,000 symbols by ten prefixed worksheet-function columns, recalculated in full
// through the spreadsheet host and the add-in's registered functions, against the floor of the
// same 10,000 reads done directly with SQLite and pugixml and shown with FormatValue.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "addin/commandbars/Login.h"
#include "addin/core/Globals.h"
#include "addin/functions/FormatClasses.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/functions/ValueFormatting.h"
#include "addin/session/Session.h"
#include "bench/support/BenchSupport.h"
#include "platform/db/Connection.h"
#include "platform/spreadsheet/Application.h"

namespace {

namespace functions = kavex::addin::functions;

constexpr int kSymbols = 1000;
// The columns: each function reads the element that is its name without the prefix.
constexpr std::array<const char*, 10> kTags = {"Last",  "Change", "ChPerc", "CuVol",   "VolAvg20",
                                               "BidPr", "AskPr",  "Open",   "PrClose", "MktCap"};

std::string symbolAt(int row) {
    return "S" + std::to_string(row);
}

// The stored text of column c (0-based) of a symbol's row.
std::string quoteValue(int seed, std::size_t c) {
    return std::to_string(seed * 1.25 + 17.5 * static_cast<double>(c + 1));
}

// A quote as the refresh stores it: one Stock element with some forty values.
std::string quoteXml(const std::string& symbol, int seed) {
    static const char* const kOther[] = {
        "Name",     "Exch",     "Time",    "BidSz",   "AskSz",   "DayHi",   "DayLo",
        "YearHi",   "YearLo",   "DivAmt",  "DivYld",  "DivDate", "EarnShr", "PrEarn",
        "ShrsOut",  "Ema13",    "Ema30",   "Ema100",  "EMAC8",   "EmaC100", "Hi10",
        "Hi20",     "Lo10",     "Lo20",    "Rsi14",   "Rsi25",   "Sto14",   "Sto25",
        "Support1", "Support2", "Resist1", "Resist2", "TrVol"};
    std::string xml = "<Stock><Symbol>" + symbol + "</Symbol>";
    for (std::size_t c = 0; c < kTags.size(); ++c) {
        xml += std::string("<") + kTags[c] + ">" + quoteValue(seed, c) + "</" + kTags[c] + ">";
    }
    int i = static_cast<int>(kTags.size());
    for (const char* tag : kOther) {
        xml += std::string("<") + tag + ">" + std::to_string(3.5 * ++i) + "</" + tag + ">";
    }
    return xml + "</Stock>";
}

void fillSheetCache(sqlite3* handle) {
    for (int row = 1; row <= kSymbols; ++row) {
        kavex::bench::exec(
            handle, "insert into AQ_StockSymbolList(Symbol) values('" + symbolAt(row) + "')");
        kavex::bench::exec(handle, "insert into AQ_StockSymbolData(Symbol, SymbolData) values('" +
                                       symbolAt(row) + "', '" + quoteXml(symbolAt(row), row) +
                                       "')");
    }
}

kavex::bench::BenchDatabase& benchDatabase() {
    static kavex::bench::BenchDatabase database("recalc", fillSheetCache);
    return database;
}

// The add-in connected to a host with a session, its functions registered and the sheet filled.
struct RecalcSheet {
    RecalcSheet() {
        using namespace kavex::addin;
        core::ExcelApp = &host;
        core::DBConnection = std::make_unique<kavex::db::Connection>();
        core::DBConnection->Open(benchDatabase().connectionString());
        core::ExcelCommandBars.Add("KavexToolbar")->setVisible(true);
        session::UserSessionKey = "BENCH";
        for (const functions::InterfaceMethod& method : functions::KavexConnectMethods()) {
            if (method.call) {
                host.registerFunction(std::string(method.name),
                                      functions::WorksheetFunctionFor(method));
            }
        }
        host.workbooks().add();
        host.setCalculation(kavex::sheet::xlCalculationManual);
        for (int row = 1; row <= kSymbols; ++row) {
            host.cells(row, 1).setValue(symbolAt(row));
            for (std::size_t c = 0; c < kTags.size(); ++c) {
                host.cells(row, static_cast<int>(c) + 2)
                    .setFormula(std::string("=Kavex") + kTags[c] + "(A" + std::to_string(row) +
                                ")");
            }
        }
    }
    kavex::sheet::Application host;
};

void FullRecalculation(benchmark::State& state) {
    static RecalcSheet sheet;
    kavex::sheet::Range formulas = sheet.host.range("B1:K" + std::to_string(kSymbols));
    for (auto _ : state) {
        formulas.calculate();
    }
    const std::string shown = sheet.host.range("B7").value().isText()
                                  ? sheet.host.range("B7").value().text()
                                  : std::string("?");
    const std::string expected =
        functions::FormatValue(quoteValue(7, 0), functions::format_class::Currency);
    if (shown != expected) {
        state.SkipWithError(("wrong value " + shown + ", expected " + expected).c_str());
    }
    state.counters["cells"] = kSymbols * static_cast<double>(kTags.size());
}

// The floor: one prepared statement with the symbol bound, the paths compiled once, and per read
// only what cannot be avoided -- the row, the parse of the stored quote, the selection, the
// formatting.
void Floor(benchmark::State& state) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(benchDatabase().path().c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle,
                       "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM "
                       "AQ_StockSymbolData WHERE AQ_StockSymbolData.Symbol = ?",
                       -1, &statement, nullptr);
    std::vector<pugi::xpath_query> paths;
    std::array<std::string_view, kTags.size()> classes;
    for (std::size_t c = 0; c < kTags.size(); ++c) {
        paths.emplace_back((std::string("Stock/") + kTags[c]).c_str());
        classes[c] = functions::SymbolFormatClass(kTags[c]);
    }
    std::string value;
    for (auto _ : state) {
        for (int row = 1; row <= kSymbols; ++row) {
            const std::string symbol = symbolAt(row);
            for (std::size_t c = 0; c < kTags.size(); ++c) {
                sqlite3_bind_text(statement, 1, symbol.c_str(), -1, SQLITE_TRANSIENT);
                if (sqlite3_step(statement) == SQLITE_ROW) {
                    const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, 0));
                    const int bytes = sqlite3_column_bytes(statement, 0);
                    pugi::xml_document doc;
                    if (doc.load_buffer(text, static_cast<std::size_t>(bytes))) {
                        const pugi::xpath_node node = doc.select_node(paths[c]);
                        if (node) {
                            value = functions::FormatValue(node.node().child_value(), classes[c]);
                        }
                    }
                }
                sqlite3_reset(statement);
                benchmark::DoNotOptimize(value);
            }
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    if (value != functions::FormatValue(quoteValue(kSymbols, kTags.size() - 1), classes.back())) {
        state.SkipWithError(("wrong value " + value).c_str());
    }
}

BENCHMARK(FullRecalculation)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchDatabase();
    return kavex::bench::runAndReportRatio(argc, argv, "FullRecalculation/min_time:2.000",
                                           "Floor/min_time:2.000", 2.0);
}
