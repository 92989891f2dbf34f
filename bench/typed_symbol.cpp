// One symbol typed into a watch list of 500 symbol rows, end to end as a user has it: the
// sheet-change event (cache row, links, formulas), the fetch of the sheet's symbols from the
// stand-in services running in-process, and the refresh of the whole sheet -- against the floor of
// the 2,500 cached values the sheet shows read straight from SQLite and pugixml.
//
// Between two typings the simulated clock moves past the quotes' freshness, so every typing
// fetches every symbol of the sheet again, the worst case. The log level is the one a user has by
// default. `--rows=N` changes the number of rows (the goal holds for 500).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "addin/core/Workbooks.h"
#include "addin/marketdata/SymbolRegistration.h"
#include "addin/refresh/AttributeColumns.h"
#include "addin/refresh/ManualRefresh.h"
#include "addin/refresh/SymbolHyperlinks.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/KavexConnect.h"
#include "addin/session/Session.h"
#include "bench/support/BenchSupport.h"
#include "platform/base/Conversions.h"
#include "platform/db/Connection.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "platform/spreadsheet/Application.h"
#include "services/Server.h"
#include "tools/kavex/runner/Database.h"

namespace {

namespace addin = kavex::addin;

int rowCount = 500;
constexpr int kFirstRow = 5;
// The cached quotes are fetched again once they are older than this (the configuration's
// default freshness is 15 seconds).
constexpr std::int64_t kPastFreshnessMillis = 20'000;

// The sheet's symbols: four capital letters after a Z, none of them in the shipped seeds.
std::string symbolAt(int i) {
    std::string symbol = "Z";
    for (int place = 0; place < 4; ++place) {
        symbol.insert(1, 1, static_cast<char>('A' + i % 26));
        i /= 26;
    }
    return symbol;
}

// The shipped synthetic market with the sheet's symbols (and the two typed ones) listed besides.
std::filesystem::path writeSeeds(const std::filesystem::path& folder) {
    const std::filesystem::path seeds = folder / "seeds";
    std::filesystem::create_directories(seeds);
    const std::filesystem::path shipped =
        std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "seeds";
    for (const char* file : {"symbols.tsv", "symbol-changes.tsv", "dividends-splits.tsv"}) {
        std::filesystem::copy_file(shipped / file, seeds / file);
    }
    std::ofstream symbols(seeds / "symbols.tsv", std::ios::app);
    for (int i = 0; i < rowCount + 2; ++i) {
        symbols << symbolAt(i) << "\tNYSE\t" << 20 + i % 300 << ".25\t1.10\t0.40\t1999-01-04\t"
                << "Industrial Machinery\t" << symbolAt(i) << " Holdings Inc.\n";
    }
    return seeds;
}

// The add-in connected to the host, logged in at the stand-in services, on the watch list of the
// add-in's workbook whose rows each hold a symbol typed before and refreshed once.
struct TypedSymbolSetup {
    TypedSymbolSetup() {
        folder = std::filesystem::temp_directory_path() /
                 ("kavex-bench-typed-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        kavex::services::ServerOptions options;
        options.seedDirectory = writeSeeds(folder);
        server = std::make_unique<kavex::services::Server>(options);
        server->start();

        kavex::tool::createDatabase(folder / "Kavex.mdb");
        configure("WEBSITE_URL", server->baseUrl());
        configure("USER_ID", "demo");
        configure("USER_PASSWORD", "demo");

        kavex::os::machineClock().startSimulation(*kavex::base::makeDate(2025, 1, 15, 10, 0, 0));
        kavex::forms::useScriptedDriver();
        kavex::forms::scriptedDriver().reset();
        using Kind = kavex::forms::FormAction::Kind;
        kavex::forms::scriptedDriver().queueFormActions(
            "frmLogin", {{Kind::Set, "txtUserID", "demo", "bench"},
                         {Kind::Set, "txtPassword", "demo", "bench"},
                         {Kind::Click, "cmdOK", "", "bench"}});
        connect.AddinInstance_Initialize();
        connect.AddinInstance_OnConnection(host, folder.string());
        addin::core::QuoteServiceURL = server->baseUrl();
        addin::core::WebRequestTimeout = std::chrono::milliseconds(30000);
        book = host.workbooks().open(
            (std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "workbooks" / "KavexBook.xls")
                .string());
        if (addin::session::UserSessionKey.empty()) {
            throw std::runtime_error("the login failed");
        }
        runLoop(10);  // the login's first jobs
        watch = book.worksheets().item("Watch List");
        host.activate(watch);
        fillRows();
        addin::refresh::ProcessManualRefresh(false, true, 0, "", "", true);
    }

    ~TypedSymbolSetup() {
        connect.AddinInstance_OnDisconnection();
        addin::refresh::DestroyTimerPool();
        server->stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void configure(const std::string& key, const std::string& value) {
        kavex::db::Connection connection;
        connection.Open("Data Source=" + (folder / "Kavex.mdb").string());
        connection.Execute("update ConfigSettings set ConfigValue='" + value +
                           "' where ConfigKey='" + key + "'");
    }

    static void runLoop(int seconds) {
        const std::int64_t until = kavex::os::machineClock().tickMillis() + seconds * 1000LL;
        while (kavex::os::machineClock().tickMillis() < until) {
            kavex::os::DoEvents();
        }
    }

    // What typing each symbol leaves in its row, written the way the sheet-change handler writes
    // it but without the refresh each typing ends in (500 of them would take minutes).
    void fillRows() {
        std::int32_t attributeRow = 0;
        std::int16_t attributeColumn = 0;
        addin::core::GetAttributeRowColumn(watch, attributeRow, attributeColumn);
        const short columns = addin::core::GetNoofColumns(watch);
        for (int i = 0; i < rowCount; ++i) {
            const int row = kFirstRow + i;
            host.setEnableEvents(false);
            std::string symbol = symbolAt(i);
            std::string unused;
            addin::marketdata::AddNewExistingSymbol(symbol, unused);
            kavex::sheet::Range cell = watch.cells(row, 2);
            cell.setValue(kavex::base::Variant(symbol));
            addin::refresh::CreateSymbolHyperlink(cell, watch);
            host.setEnableEvents(false);
            watch.cells(row, 3).setValue(
                kavex::base::Variant("=KavexName(B" + std::to_string(row) + ")"));
            for (int offset = 0; offset <= columns; ++offset) {
                const auto column = static_cast<std::int16_t>(attributeColumn + offset);
                const std::string caption =
                    kavex::base::CStr(watch.cells(attributeRow, column).value());
                addin::refresh::SymbolSearch(watch, "Watch List", caption, row, column, false);
            }
            host.setEnableEvents(true);
        }
        // The attribute columns that got a formula: the header's own captions.
        for (int offset = 0; offset <= columns; ++offset) {
            const std::string formula = watch.cells(kFirstRow, attributeColumn + offset).formula();
            if (formula.rfind("=Kavex", 0) == 0) {
                tags.push_back(tagOf(formula));
            }
        }
    }

    // The element a formula "=KavexLast(B5)" reads: its function name without the prefix.
    static std::string tagOf(const std::string& formula) {
        const std::size_t open = formula.find('(');
        return formula.substr(6, open - 6);
    }

    std::filesystem::path folder;
    std::unique_ptr<kavex::services::Server> server;
    kavex::sheet::Application host;
    addin::session::KavexConnect connect;
    kavex::sheet::Workbook book;
    kavex::sheet::Worksheet watch;
    std::vector<std::string> tags{"Name"};
};

TypedSymbolSetup& setup() {
    static TypedSymbolSetup instance;
    return instance;
}

void TypeSymbol(benchmark::State& state) {
    TypedSymbolSetup& s = setup();
    const std::string row = std::to_string(kFirstRow + rowCount);
    int typed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kavex::os::machineClock().advance(kPastFreshnessMillis);
        state.ResumeTiming();
        s.host.typeInto(s.watch.range("B" + row), symbolAt(rowCount + typed++ % 2));
    }
    const std::string last = kavex::base::CStr(s.watch.range("D" + row).value());
    const std::string first =
        kavex::base::CStr(s.watch.range("D" + std::to_string(kFirstRow)).value());
    if (last.empty() || last[0] != '$' || first.empty() || first[0] != '$') {
        state.SkipWithError(("no price shown: " + first + " / " + last).c_str());
    }
    state.counters["rows"] = rowCount;
}

// The floor: each of the sheet's 2,500 values read straight from the database file and its
// quote document, as runDirectFloor reads one.
void Floor(benchmark::State& state) {
    TypedSymbolSetup& s = setup();
    sqlite3* handle = nullptr;
    sqlite3_open_v2((s.folder / "Kavex.mdb").c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    std::vector<std::string> selects;
    std::vector<std::string> paths;
    for (int i = 0; i < rowCount; ++i) {
        selects.push_back(
            "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM "
            "AQ_StockSymbolData WHERE AQ_StockSymbolData.Symbol = '" +
            symbolAt(i) + "'");
    }
    for (const std::string& tag : s.tags) {
        paths.push_back("Stock/" + tag);
    }
    std::string value;
    std::size_t values = 0;
    for (auto _ : state) {
        values = 0;
        for (const std::string& select : selects) {
            for (const std::string& path : paths) {
                sqlite3_stmt* statement = nullptr;
                sqlite3_prepare_v2(handle, select.c_str(), -1, &statement, nullptr);
                if (sqlite3_step(statement) == SQLITE_ROW) {
                    const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, 0));
                    const int bytes = sqlite3_column_bytes(statement, 0);
                    pugi::xml_document doc;
                    if (doc.load_buffer(text, static_cast<std::size_t>(bytes))) {
                        const pugi::xpath_node node = doc.select_node(path.c_str());
                        if (node) {
                            value = node.node().child_value();
                            ++values;
                        }
                    }
                }
                sqlite3_finalize(statement);
                benchmark::DoNotOptimize(value);
            }
        }
    }
    sqlite3_close(handle);
    if (values != selects.size() * paths.size()) {
        state.SkipWithError(("read " + std::to_string(values) + " values").c_str());
    }
    state.counters["values"] = static_cast<double>(values);
}

BENCHMARK(TypeSymbol)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.rfind("--rows=", 0) == 0) {
            rowCount = std::atoi(argv[i] + 7);
        } else {
            arguments.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(arguments.size());
    setup();
    return kavex::bench::runAndReportRatio(count, arguments.data(), "TypeSymbol/min_time:3.000",
                                           "Floor/min_time:2.000", 2.0);
}
