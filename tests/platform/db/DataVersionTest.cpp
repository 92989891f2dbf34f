#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "platform/base/PlatformError.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tests/platform/db/FreshDatabase.h"

namespace kavex::db {
namespace {

using testing::FreshDatabase;

// Whatever keeps data read from the file relies on the version moving with every change of the
// data, from wherever the change comes, and on nothing else moving it.
class DataVersionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        connection.Open(database.connectionString());
        connection.Execute("insert into AQ_StockSymbolData(Symbol, SymbolData) values('IBM', 'a')");
    }
    std::string read() {
        Recordset rows;
        rows.Open("select SymbolData from AQ_StockSymbolData where Symbol = 'IBM'", connection);
        return rows.Eof() ? "<none>" : rows.Fields(0).text();
    }
    FreshDatabase database;
    Connection connection;
};

TEST_F(DataVersionTest, ReadsLeaveItAsItIs) {
    const DataVersion before = connection.DataVersion();
    EXPECT_EQ(read(), "a");
    Recordset rows;
    rows.Open("select count(*) from AQ_StockSymbolList", connection);
    rows.Close();
    EXPECT_EQ(connection.DataVersion(), before);
    EXPECT_EQ(connection.DataVersion(), before);
}

TEST_F(DataVersionTest, EveryWriteThroughTheConnectionMovesIt) {
    for (const char* statement :
         {"update AQ_StockSymbolData set SymbolData = 'b' where Symbol = 'IBM'",
          "update AQ_StockSymbolData set SymbolData = 'b' where Symbol = 'NONE'",
          "insert into AQ_StockSymbolData(Symbol) values('MSFT')",
          "delete from AQ_StockSymbolData where Symbol = 'MSFT'", "create table Scratch(x)",
          "drop table Scratch"}) {
        const DataVersion before = connection.DataVersion();
        connection.Execute(statement);
        EXPECT_NE(connection.DataVersion(), before) << statement;
    }
    // A command run through a recordset is a write all the same.
    const DataVersion before = connection.DataVersion();
    Recordset command;
    command.Open("update AQ_StockSymbolData set SymbolData = 'c' where Symbol = 'IBM'", connection);
    EXPECT_NE(connection.DataVersion(), before);
}

TEST_F(DataVersionTest, AFailingWriteMovesIt) {
    const DataVersion before = connection.DataVersion();
    EXPECT_THROW(connection.Execute("insert into AQ_StockSymbolData(Symbol) values('IBM')"),
                 base::PlatformError);
    EXPECT_NE(connection.DataVersion(), before);
}

TEST_F(DataVersionTest, ARollbackMovesIt) {
    connection.BeginTrans();
    connection.Execute("update AQ_StockSymbolData set SymbolData = 'b' where Symbol = 'IBM'");
    const DataVersion inside = connection.DataVersion();
    EXPECT_EQ(read(), "b");
    connection.RollbackTrans();
    EXPECT_EQ(read(), "a");
    EXPECT_NE(connection.DataVersion(), inside);

    // Transaction control sent as a statement of its own.
    connection.Execute("BEGIN");
    connection.Execute("update AQ_StockSymbolData set SymbolData = 'd' where Symbol = 'IBM'");
    const DataVersion written = connection.DataVersion();
    connection.Execute("ROLLBACK");
    EXPECT_NE(connection.DataVersion(), written);
    EXPECT_EQ(read(), "a");
}

TEST_F(DataVersionTest, ACommitByAnotherConnectionMovesIt) {
    const DataVersion before = connection.DataVersion();
    Connection other;
    other.Open(database.connectionString());
    other.Execute("update AQ_StockSymbolData set SymbolData = 'b' where Symbol = 'IBM'");
    EXPECT_NE(connection.DataVersion(), before);

    // The same through SQLite directly, as another program would write the file.
    const DataVersion next = connection.DataVersion();
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(database.path().c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "update AQ_StockSymbolData set SymbolData = 'e'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);
    EXPECT_NE(connection.DataVersion(), next);
    EXPECT_EQ(read(), "e");
}

TEST_F(DataVersionTest, ACommitByAnotherConnectionMovesItWithAWriteAheadLogToo) {
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(database.path().c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(read(), "a");
    for (const char* value : {"b", "c"}) {
        const DataVersion before = connection.DataVersion();
        EXPECT_EQ(connection.DataVersion(), before);
        ASSERT_EQ(
            sqlite3_exec(
                handle,
                (std::string("update AQ_StockSymbolData set SymbolData = '") + value + "'").c_str(),
                nullptr, nullptr, nullptr),
            SQLITE_OK);
        EXPECT_NE(connection.DataVersion(), before) << value;
        EXPECT_EQ(read(), value);
    }
    sqlite3_close(handle);
}

TEST_F(DataVersionTest, NoTwoOpensShareOne) {
    const DataVersion first = connection.DataVersion();
    Connection other;
    other.Open(database.connectionString());
    EXPECT_NE(other.DataVersion(), first);
    connection.Close();
    connection.Open(database.connectionString());
    EXPECT_NE(connection.DataVersion(), first);
    EXPECT_NE(connection.DataVersion(), other.DataVersion());
}

TEST_F(DataVersionTest, AClosedConnectionHasNone) {
    connection.Close();
    EXPECT_THROW(connection.DataVersion(), base::PlatformError);
}

}  // namespace
}  // namespace kavex::db
