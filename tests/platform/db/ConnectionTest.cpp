#include "platform/db/Connection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/db/Errors.h"
#include "platform/db/Recordset.h"
#include "tests/platform/base/ErrorNumber.h"
#include "tests/platform/db/FreshDatabase.h"

namespace kavex::db {
namespace {

using testing::FreshDatabase;

using base::testing::errorNumber;

long countRows(Connection& connection, const std::string& table) {
    Recordset rs;
    rs.Open("select count(*) as N from " + table, connection);
    return static_cast<long>(rs.Fields("N").number());
}

TEST(ConnectionOpen, JetConnectionStringOpensAndCloses) {
    FreshDatabase database;
    Connection connection;
    EXPECT_EQ(connection.State(), 0);
    connection.Open(database.connectionString());
    EXPECT_EQ(connection.State(), 1);
    EXPECT_EQ(connection.ConnectionString(), database.connectionString());
    connection.Close();
    EXPECT_EQ(connection.State(), 0);
    connection.Close();  // closing twice is harmless
    connection.Open(database.connectionString());
    EXPECT_EQ(connection.State(), 1);
}

TEST(ConnectionOpen, PasswordIsAcceptedButNotNeeded) {
    FreshDatabase database;
    for (const std::string& text :
         {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + database.path().string(),
          " provider = microsoft.jet.oledb.4.0 ; DATA SOURCE = \"" + database.path().string() +
              "\" ; Jet OLEDB:Database Password=another; Persist Security Info=False;"}) {
        Connection connection;
        connection.Open(text);
        EXPECT_EQ(connection.State(), 1) << text;
    }
}

TEST(ConnectionOpen, MissingFileFailsAndIsNotCreated) {
    FreshDatabase database;
    const auto missing = database.folder() / "Missing.mdb";
    Connection connection;
    try {
        connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + missing.string() +
                        ";Jet OLEDB:Database Password=x");
        FAIL() << "a missing database opened";
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), -2147467259);
        EXPECT_EQ(error.description(), "Could not find file '" + missing.string() + "'.");
    }
    EXPECT_EQ(connection.State(), 0);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(errorNumber([&] { connection.Execute("select 1"); }), 3709);
}

TEST(ConnectionOpen, FileThatIsNotADatabaseFails) {
    FreshDatabase database;
    const auto bogus = database.folder() / "Bogus.mdb";
    std::ofstream(bogus) << "Standard Jet DB, not really\n" << std::string(4096, 'x');
    Connection connection;
    EXPECT_EQ(errorNumber([&] { connection.Open("Data Source=" + bogus.string()); }), -2147467259);
    EXPECT_EQ(connection.State(), 0);
}

TEST(ConnectionOpen, BadConnectionStringsAreRefused) {
    FreshDatabase database;
    Connection connection;
    EXPECT_EQ(errorNumber([&] { connection.Open("Provider=Microsoft.Jet.OLEDB.4.0"); }), 3001);
    EXPECT_EQ(errorNumber([&] { connection.Open("just a path"); }), 3001);
    EXPECT_EQ(errorNumber([&] {
                  connection.Open("Provider=SQLOLEDB;Data Source=" + database.path().string());
              }),
              3706);
    connection.Open(database.connectionString());
    EXPECT_EQ(errorNumber([&] { connection.Open(database.connectionString()); }), 3705);
}

class ConnectionExecute : public ::testing::Test {
  protected:
    void SetUp() override { connection.Open(database.connectionString()); }
    FreshDatabase database;
    Connection connection;
};

TEST_F(ConnectionExecute, ReturnsRowsChanged) {
    EXPECT_EQ(connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')"), 1);
    EXPECT_EQ(connection.Execute("insert into AQ_StockSymbolList(Symbol) values('B')"), 1);
    EXPECT_EQ(connection.Execute("update AQ_StockSymbolList set Exchange = 'NYSE'"), 2);
    EXPECT_EQ(connection.Execute("delete from AQ_StockSymbolList where Symbol = 'zzz'"), 0);
    EXPECT_EQ(connection.Execute("create table AQ_Scratch (Name TEXT)"), 0);
}

TEST_F(ConnectionExecute, FailingStatementRaisesItsErrorAndChangesNothing) {
    try {
        connection.Execute("insert into AQ_NoSuchTable(Symbol) values('A')");
        FAIL();
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), -2147217900);
        EXPECT_NE(error.description().find("AQ_NoSuchTable"), std::string::npos);
    }
    EXPECT_EQ(errorNumber([&] { connection.Execute("inser into AQ_StockSymbolList values(1)"); }),
              -2147217900);
    EXPECT_EQ(errorNumber([&] { connection.Execute("   "); }), -2147217900);
    // A NOT NULL key left out.
    EXPECT_EQ(errorNumber([&] {
                  connection.Execute("insert into AQ_StockSymbolList(Description) values('x')");
              }),
              -2147217873);
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 0);
}

// The database would read only up to the NUL and run what stands before it.
TEST_F(ConnectionExecute, AStatementWithANulInsideIsRefusedAndNothingRuns) {
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('B')");
    const std::string cut("delete from AQ_StockSymbolList\0 where Symbol = 'A'", 50);
    ASSERT_EQ(cut.size(), 50u);
    EXPECT_EQ(errorNumber([&] { connection.Execute(cut); }), -2147217900);
    Recordset rs;
    EXPECT_EQ(errorNumber([&] {
                  rs.Open(std::string("select * from AQ_StockSymbolList\0x", 34), connection);
              }),
              -2147217900);
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 2);
}

TEST_F(ConnectionExecute, SecondStatementInOneTextIsRefusedAndNothingRuns) {
    const long before = countRows(connection, "ConfigSettings");
    try {
        connection.Execute(
            "insert into AQ_StockSymbolList(Symbol) values('A'); delete from ConfigSettings");
        FAIL() << "two statements ran as one";
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), -2147217900);
        EXPECT_EQ(error.description(), "Characters found after end of SQL statement.");
    }
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 0);
    EXPECT_EQ(countRows(connection, "ConfigSettings"), before);
    // One trailing semicolon is fine.
    EXPECT_EQ(connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A');  "), 1);
}

TEST_F(ConnectionExecute, CommittedWritesStayRolledBackWritesGo) {
    EXPECT_EQ(connection.BeginTrans(), 1);
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('B')");
    connection.CommitTrans();
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 2);

    connection.BeginTrans();
    connection.Execute("delete from AQ_StockSymbolList where Symbol = 'A'");
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('C')");
    connection.RollbackTrans();
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 2);
}

TEST_F(ConnectionExecute, ALargeWriteReachesTheFileOnlyWithItsCommit) {
    // About 6 MB of changed pages, as a sheet's quotes stored together make: they wait in memory
    // for the commit rather than spilling into the file or its write-ahead log (and onto the
    // disk) on the way.
    const std::filesystem::path log = database.path().string() + "-wal";
    const auto logSize = [&] {
        std::error_code missing;
        const std::uintmax_t size = std::filesystem::file_size(log, missing);
        return missing ? 0 : size;
    };
    const std::uintmax_t before = std::filesystem::file_size(database.path());
    const std::uintmax_t logBefore = logSize();
    connection.BeginTrans();
    const std::string document(4000, 'q');
    for (int i = 0; i < 1500; ++i) {
        connection.Execute("insert into AQ_StockSymbolData(Symbol, SymbolData) values(?, ?)",
                           {base::Variant("S" + std::to_string(i)), base::Variant(document)});
    }
    EXPECT_EQ(std::filesystem::file_size(database.path()), before);
    EXPECT_EQ(logSize(), logBefore);
    connection.CommitTrans();
    EXPECT_GT(std::filesystem::file_size(database.path()), before + 1500 * 4000);
}

TEST_F(ConnectionExecute, WriteOfSeveralStatementsFailingHalfWayLeavesNothingHalfWritten) {
    // A replace of a ranked list: delete the old rows, insert the new ones. The second insert
    // breaks the key, so the whole replace is undone and the old list stays.
    connection.Execute(
        "insert into AQ_TemplateLists(TemplateCode, Exchange, DisplayOrder, Symbol) "
        "values('VOL_LEADERS', 'NYSE', 1, 'OLD')");
    connection.BeginTrans();
    try {
        connection.Execute("delete from AQ_TemplateLists where TemplateCode = 'VOL_LEADERS'");
        connection.Execute(
            "insert into AQ_TemplateLists(TemplateCode, Exchange, DisplayOrder, Symbol) "
            "values('VOL_LEADERS', 'NYSE', 1, 'NEW1')");
        connection.Execute(
            "insert into AQ_TemplateLists(TemplateCode, Exchange, DisplayOrder, Symbol) "
            "values('VOL_LEADERS', 'NYSE', 1, 'NEW2')");
        connection.CommitTrans();
        FAIL();
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), -2147217873);
        connection.RollbackTrans();
    }
    Recordset rs;
    rs.Open("select Symbol from AQ_TemplateLists", connection);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields("Symbol").text(), "OLD");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST_F(ConnectionExecute, NestedTransactionsUndoOnlyTheInnerLevel) {
    connection.BeginTrans();
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    EXPECT_EQ(connection.BeginTrans(), 2);
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('B')");
    connection.RollbackTrans();
    connection.CommitTrans();
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 1);
    EXPECT_EQ(errorNumber([&] { connection.CommitTrans(); }), -2147168242);
    EXPECT_EQ(errorNumber([&] { connection.RollbackTrans(); }), -2147168242);
}

TEST_F(ConnectionExecute, ClosingWithATransactionOpenRollsItBack) {
    connection.BeginTrans();
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    connection.Close();
    connection.Open(database.connectionString());
    EXPECT_EQ(countRows(connection, "AQ_StockSymbolList"), 0);
    EXPECT_EQ(connection.BeginTrans(), 1);  // the level starts over
    connection.RollbackTrans();
}

TEST_F(ConnectionExecute, WritesAreSeenByAnotherConnectionToTheSameFile) {
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    Connection other;
    other.Open(database.connectionString());
    EXPECT_EQ(countRows(other, "AQ_StockSymbolList"), 1);
}

}  // namespace
}  // namespace kavex::db

namespace kavex::db {
namespace {

using base::testing::errorNumber;
using testing::FreshDatabase;

// Values standing for the marks of a command.
class ConnectionExecuteValues : public ::testing::Test {
  protected:
    void SetUp() override { connection.Open(database.connectionString()); }
    std::string stored(const std::string& symbol) {
        Recordset rows;
        rows.Open("select SymbolData from AQ_StockSymbolData where Symbol = '" + symbol + "'",
                  connection);
        if (rows.Eof()) {
            return "<none>";
        }
        const base::Variant value = rows.Fields(0);
        return value.isNull() ? "<null>" : base::CStr(value);
    }
    FreshDatabase database;
    Connection connection;
};

TEST_F(ConnectionExecuteValues, TextsNumbersAndNullAreStoredAsGiven) {
    const std::string document(20000, 'x');
    const std::string quoted = "<Stock><Name>O'Neil & \"Sons\"</Name></Stock>";
    const char* insert = "insert into AQ_StockSymbolData(Symbol, SymbolData) values(?, ?)";
    EXPECT_EQ(connection.Execute(insert, {base::Variant("LONG"), base::Variant(document)}), 1);
    EXPECT_EQ(connection.Execute(insert, {base::Variant("QUOTE"), base::Variant(quoted)}), 1);
    EXPECT_EQ(connection.Execute(insert, {base::Variant("NONE"), base::Variant::null()}), 1);
    EXPECT_EQ(connection.Execute(insert, {base::Variant("NUM"), base::Variant(12.5)}), 1);
    EXPECT_EQ(stored("LONG"), document);
    EXPECT_EQ(stored("QUOTE"), quoted);
    EXPECT_EQ(stored("NONE"), "<null>");
    EXPECT_EQ(stored("NUM"), "12.5");
    EXPECT_EQ(connection.Execute("update AQ_StockSymbolData set SymbolData = ? where Symbol = ?",
                                 {base::Variant("y"), base::Variant("nosuch")}),
              0);
    EXPECT_EQ(connection.Execute("update AQ_StockSymbolData set SymbolData = ?, LastCheckDate = "
                                 "Now() where Symbol = ?",
                                 {base::Variant("y"), base::Variant("quote")}),
              1);
    EXPECT_EQ(stored("QUOTE"), "y");
}

TEST_F(ConnectionExecuteValues, AWrongCountTypeOrNulIsRefusedAndNothingRuns) {
    const char* insert = "insert into AQ_StockSymbolData(Symbol, SymbolData) values(?, ?)";
    EXPECT_EQ(errorNumber([&] { connection.Execute(insert, {base::Variant("A")}); }),
              errors::ErrorsInCommand);
    EXPECT_EQ(errorNumber([&] {
                  connection.Execute(insert,
                                     {base::Variant("A"), base::Variant("b"), base::Variant("c")});
              }),
              errors::ErrorsInCommand);
    EXPECT_EQ(errorNumber([&] {
                  connection.Execute(insert, {base::Variant("A"), base::Variant(true)});
              }),
              errors::ErrorsInCommand);
    EXPECT_EQ(
        errorNumber([&] {
            connection.Execute(insert, {base::Variant(std::string("A\0B", 3)), base::Variant("b")});
        }),
        errors::ErrorsInCommand);
    EXPECT_EQ(stored("A"), "<none>");
    // The command still runs with the right values afterwards.
    EXPECT_EQ(connection.Execute(insert, {base::Variant("A"), base::Variant("b")}), 1);
    EXPECT_EQ(stored("A"), "b");
}

TEST_F(ConnectionExecuteValues, AFailingCommandRaisesItsErrorAndTheNextOneRuns) {
    const char* insert = "insert into AQ_StockSymbolData(Symbol, SymbolData) values(?, ?)";
    connection.Execute(insert, {base::Variant("A"), base::Variant("1")});
    EXPECT_NE(errorNumber([&] {
                  connection.Execute(insert, {base::Variant("A"), base::Variant("2")});
              }),
              0);
    EXPECT_EQ(stored("A"), "1");
    EXPECT_EQ(connection.Execute(insert, {base::Variant("B"), base::Variant("3")}), 1);
    EXPECT_EQ(stored("B"), "3");
}

}  // namespace
}  // namespace kavex::db
