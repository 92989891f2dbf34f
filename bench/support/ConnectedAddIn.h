#pragma once
// The add-in as a user has it once logged in: the stand-in services running in-process, their
// synthetic market listing the benchmark's own symbols besides the shipped ones; a fresh add-in
// folder and database pointed at them; the add-in connected to a host on simulated time, logged
// in through its login form, with its workbook open.

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "addin/functions/CachedDocuments.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/KavexConnect.h"
#include "addin/session/Session.h"
#include "platform/base/Date.h"
#include "platform/db/Connection.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/os/Clock.h"
#include "platform/os/MessageLoop.h"
#include "platform/spreadsheet/Application.h"
#include "services/Server.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::bench {

class ConnectedAddIn {
  public:
    // `name` names the scratch folder; `symbols` are listed on the NYSE of the services' market;
    // `now` is where the simulated clock starts.
    ConnectedAddIn(const std::string& name, const std::vector<std::string>& symbols,
                   base::Date now) {
        folder = std::filesystem::temp_directory_path() /
                 ("kavex-bench-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        services::ServerOptions options;
        options.seedDirectory = writeSeeds(symbols);
        server = std::make_unique<services::Server>(options);
        server->start();

        tool::createDatabase(database());
        configure("WEBSITE_URL", server->baseUrl());
        configure("USER_ID", "demo");
        configure("USER_PASSWORD", "demo");

        os::machineClock().startSimulation(now);
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
        using Kind = forms::FormAction::Kind;
        forms::scriptedDriver().queueFormActions("frmLogin",
                                                 {{Kind::Set, "txtUserID", "demo", "bench"},
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
    }

    ~ConnectedAddIn() {
        connect.AddinInstance_OnDisconnection();
        addin::refresh::DestroyTimerPool();
        addin::functions::CachedSymbolDocuments().clear();
        server->stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    ConnectedAddIn(const ConnectedAddIn&) = delete;
    ConnectedAddIn& operator=(const ConnectedAddIn&) = delete;

    std::filesystem::path database() const { return folder / "Kavex.mdb"; }

    // Runs the message loop for that many seconds of simulated time.
    static void runLoop(int seconds) {
        const std::int64_t until = os::machineClock().tickMillis() + seconds * 1000LL;
        while (os::machineClock().tickMillis() < until) {
            os::DoEvents();
        }
    }

    std::filesystem::path folder;
    std::unique_ptr<services::Server> server;
    sheet::Application host;
    addin::session::KavexConnect connect;
    sheet::Workbook book;

  private:
    // The shipped synthetic market with the symbols listed besides.
    std::filesystem::path writeSeeds(const std::vector<std::string>& symbols) const {
        const std::filesystem::path seeds = folder / "seeds";
        std::filesystem::create_directories(seeds);
        const std::filesystem::path shipped =
            std::filesystem::path(KAVEX_SOURCE_DIR) / "data" / "seeds";
        for (const char* file : {"symbols.tsv", "symbol-changes.tsv", "dividends-splits.tsv"}) {
            std::filesystem::copy_file(shipped / file, seeds / file);
        }
        std::ofstream listed(seeds / "symbols.tsv", std::ios::app);
        int i = 0;
        for (const std::string& symbol : symbols) {
            listed << symbol << "\tNYSE\t" << 20 + i++ % 300 << ".25\t1.10\t0.40\t1999-01-04\t"
                   << "Industrial Machinery\t" << symbol << " Holdings Inc.\n";
        }
        return seeds;
    }

    void configure(const std::string& key, const std::string& value) const {
        db::Connection connection;
        connection.Open("Data Source=" + database().string());
        connection.Execute("update ConfigSettings set ConfigValue='" + value +
                           "' where ConfigKey='" + key + "'");
    }
};

}  // namespace kavex::bench
