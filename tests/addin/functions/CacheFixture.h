#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "addin/commandbars/Login.h"
#include "addin/core/Globals.h"
#include "addin/session/Session.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"

namespace kavex::addin::functions::testing {

// A fresh Kavex.mdb holding only the schema, open as the add-in's shared connection; a session
// and the add-in toolbar (hidden) exist unless a test takes them away; message boxes go to the
// scripted driver.
class CacheFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kavex-functions-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        createDatabase(folder_ / "Kavex.mdb");

        core::DBConnection = std::make_unique<db::Connection>();
        core::DBConnection->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                 (folder_ / "Kavex.mdb").string());
        core::ExcelCommandBars = office::CommandBars();
        toolbar_ = core::ExcelCommandBars.Add("KavexToolbar");
        savedPriceFormat_ = core::PriceFormat;
        core::PriceFormat = "$###,###,##0.00";
        session::UserSessionKey = "SESSION-1";
        session::ShowDeprecatedMacroWarning = false;
        savedAddInPath_ = core::AddInPath;
        savedLogLevel_ = core::LogLevel;
        core::AddInPath = folder_.string() + "/";
        core::LogLevel = 3;
        commandbars::LoginInProgress = false;
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
    }

    void TearDown() override {
        EXPECT_FALSE(forms::scriptedDriver().failure().has_value())
            << forms::scriptedDriver().failure()->what();
        core::DBConnection.reset();
        core::ExcelCommandBars = office::CommandBars();
        core::PriceFormat = savedPriceFormat_;
        core::AddInPath = savedAddInPath_;
        core::LogLevel = savedLogLevel_;
        session::UserSessionKey.clear();
        session::ShowDeprecatedMacroWarning = false;
        commandbars::LoginInProgress = false;
        forms::scriptedDriver().reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Statements on the cache, bypassing the add-in.
    void sql(const std::string& statement) { core::DBConnection->Execute(statement); }
    long count(const std::string& query) {
        db::Recordset rows;
        rows.Open(query, *core::DBConnection);
        long n = 0;
        for (; !rows.Eof(); rows.MoveNext())
            ++n;
        return n;
    }
    static std::string quoted(const std::string& text) {
        std::string out = "'";
        for (char c : text) {
            out += c;
            if (c == '\'')
                out += '\'';
        }
        return out + "'";
    }
    void listSymbol(const std::string& symbol) {
        sql("insert into AQ_StockSymbolList(Symbol) values(" + quoted(symbol) + ")");
    }
    void cacheSymbol(const std::string& symbol, const std::string& stockXml) {
        sql("insert into AQ_StockSymbolData(Symbol, SymbolData) values(" + quoted(symbol) + ", " +
            quoted(stockXml) + ")");
    }
    void cacheExchange(const std::string& exchange, const std::string& stockXml) {
        sql("insert into AQ_StockExchangeData(Exchange, ExchangeData) values(" + quoted(exchange) +
            ", " + quoted(stockXml) + ")");
    }
    long cachedRows(const std::string& symbol) {
        return count("select Symbol from AQ_StockSymbolData where Symbol = " + quoted(symbol));
    }
    std::size_t messagesShown() const { return forms::scriptedDriver().messages().size(); }
    // The lines of the add-in's log, each without its time stamp: "procedure<TAB>message".
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        std::ifstream log(folder_ / "KavexLog.txt");
        for (std::string line; std::getline(log, line);) {
            std::size_t tab = line.find('\t');
            lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
        }
        return lines;
    }

    std::shared_ptr<office::CommandBar> toolbar_;

  private:
    static void createDatabase(const std::filesystem::path& file) {
        std::ifstream schemaFile(std::string(KAVEX_SOURCE_DIR) + "/data/schema.sql");
        std::stringstream schema;
        schema << schemaFile.rdbuf();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        int rc = sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, &error);
        std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    std::filesystem::path folder_;
    std::string savedPriceFormat_;
    std::string savedAddInPath_;
    short savedLogLevel_ = 0;
};

}  // namespace kavex::addin::functions::testing
