#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tools/kavex/runner/Commands.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::tool {
namespace {

class DatabaseTest : public ::testing::Test {
  protected:
    DatabaseTest() {
        folder =
            std::filesystem::temp_directory_path() /
            ("kavex-db-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~DatabaseTest() override { std::filesystem::remove_all(folder); }

    static std::string readAll(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The first column of the first row, through the add-in's own database layer.
    static std::string first(const std::filesystem::path& file, const std::string& query) {
        db::Connection connection;
        connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
        db::Recordset records;
        records.Open(query, connection);
        if (records.Eof()) {
            return "<none>";
        }
        const base::Variant value = records.Fields(0);
        return value.isNull() ? "<null>" : base::CStr(value);
    }

    std::filesystem::path folder;
};

TEST_F(DatabaseTest, FreshDatabaseHoldsTheTablesAndTheDefaults) {
    const auto file = folder / "Kavex.mdb";
    createDatabase(file);
    for (const char* table :
         {"ConfigSettings", "AQ_StockSymbolData", "AQ_StockSymbolList", "AQ_StockExchangeData",
          "AQ_TemplateLists", "AQ_TemplateListsUpdateDates", "AQ_Alert"}) {
        EXPECT_EQ(first(file, std::string("select count(*) from ") + table),
                  std::string(table) == "ConfigSettings" ? "16" : "0")
            << table;
    }
    // Keys compare without regard to case, as the add-in's look-ups expect.
    EXPECT_EQ(first(file, "select ConfigValue from ConfigSettings where ConfigKey = 'log_level'"),
              "0");
    EXPECT_EQ(
        first(file, "select ConfigValue from ConfigSettings where ConfigKey = 'DECIMAL_PLACE'"),
        "2");
    EXPECT_EQ(first(file, "select ConfigValue from ConfigSettings where ConfigKey = 'WEBSITE_URL'"),
              "http://127.0.0.1:8642");
    EXPECT_EQ(first(file, "select ConfigValue from ConfigSettings where ConfigKey = 'USER_ID'"),
              "");
}

TEST_F(DatabaseTest, CacheRowsBehaveAsTheAddinUsesThem) {
    const auto file = folder / "Kavex.mdb";
    createDatabase(file);
    db::Connection connection;
    connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
    connection.Execute("insert into AQ_StockSymbolData(Symbol) values('MSFT')");
    // A symbol is its row's key, whatever its letter case.
    EXPECT_THROW(connection.Execute("insert into AQ_StockSymbolData(Symbol) values('msft')"),
                 base::PlatformError);
    connection.Execute(
        "update AQ_StockSymbolData set LastCheckDate = #6/12/2024 10:30:00 AM#, SymbolData = "
        "'<Stock><Last>1</Last></Stock>' where Symbol = 'Msft'");
    connection.Close();
    EXPECT_EQ(first(file, "select LastCheckDate from AQ_StockSymbolData where Symbol = 'MSFT'"),
              "6/12/2024 10:30:00 AM")
        << "a DATETIME column reads back as a date";
    EXPECT_EQ(first(file, "select LastFetchDate from AQ_StockSymbolData"), "<null>");
}

TEST_F(DatabaseTest, AnExistingFileIsNeverOverwritten) {
    const auto file = folder / "Kavex.mdb";
    std::ofstream(file) << "precious";
    EXPECT_THROW(createDatabase(file), DatabaseCreationError);
    EXPECT_EQ(readAll(file), "precious");

    const auto fresh = folder / "fresh.mdb";
    createDatabase(fresh);
    const std::string before = readAll(fresh);
    EXPECT_THROW(createDatabase(fresh), DatabaseCreationError);
    EXPECT_EQ(readAll(fresh), before);
}

TEST_F(DatabaseTest, AFailureLeavesNoFileBehind) {
    const auto data = folder / "data";
    std::filesystem::create_directories(data);
    std::ofstream(data / "schema.sql") << "CREATE TABLE A (x TEXT);\nCREATE TABLE oops (;\n";
    std::ofstream(data / "config.sql") << "";
    const auto file = folder / "Kavex.mdb";
    try {
        createDatabase(file, data);
        ADD_FAILURE() << "a schema that does not parse must be refused";
    } catch (const DatabaseCreationError& error) {
        EXPECT_NE(std::string(error.what()).find("schema.sql"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_THROW(createDatabase(file, folder / "missing"), DatabaseCreationError);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_THROW(createDatabase(folder / "no" / "such" / "Kavex.mdb"), DatabaseCreationError);
}

TEST_F(DatabaseTest, InitDbCommandCreatesOnceAndThenRefuses) {
    const auto directory = folder / "addin";
    EXPECT_EQ(runInitDb({directory.string()}), 0);
    EXPECT_TRUE(std::filesystem::exists(directory / "Kavex.mdb"));
    const std::string before = readAll(directory / "Kavex.mdb");
    EXPECT_EQ(runInitDb({directory.string()}), 1);
    EXPECT_EQ(readAll(directory / "Kavex.mdb"), before);
    EXPECT_EQ(runInitDb({}), 2);
    EXPECT_EQ(runInitDb({"a", "b"}), 2);
    EXPECT_EQ(runInitDb({"--help"}), 0);
}

// Without its data the command says where it looked and leaves nothing behind.
TEST_F(DatabaseTest, InitDbWithoutTheDataFolderCreatesNothing) {
    const auto directory = folder / "addin";
    const std::string notData = folder.string();
    ::setenv("KAVEX_DATA_DIR", notData.c_str(), 1);
    ::testing::internal::CaptureStderr();
    const int status = runInitDb({directory.string()});
    const std::string err = ::testing::internal::GetCapturedStderr();
    ::unsetenv("KAVEX_DATA_DIR");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "kavex init-db: KAVEX_DATA_DIR names '" + notData +
                       "', which holds no schema.sql: it must name Kavex's data folder\n");
    EXPECT_FALSE(std::filesystem::exists(directory));
}

}  // namespace
}  // namespace kavex::tool
