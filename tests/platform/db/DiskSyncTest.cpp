// What a commit costs in waits for the disk, and what a writer that dies leaves behind.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tests/platform/db/FreshDatabase.h"
#include "tests/platform/db/SyncCountingVfs.h"

namespace kavex::db {
namespace {

using testing::FreshDatabase;
using testing::SyncCountingVfs;

long countRows(Connection& connection, const std::string& statement) {
    Recordset rows;
    rows.Open(statement, connection);
    return static_cast<long>(rows.Fields(0).number());
}

// A worksheet function that meets a symbol not cached yet commits the symbol's bare row on its
// own; 300 such formulas pasted at once make 300 commits. They must not each wait for the disk:
// at full synchronisation with the rollback journal they waited 900 times (1,200 syncs of the
// disk counting the folder's).
TEST(DiskSync, ThreeHundredCommitsOfANewSymbolEachWaitForTheDiskAtMostSixtyTimes) {
    FreshDatabase database;
    SyncCountingVfs counting;
    {
        Connection connection;
        connection.Open(database.connectionString());
        for (int i = 1; i <= 300; ++i) {
            connection.Execute("insert into AQ_StockSymbolData(Symbol) values('S" +
                               std::to_string(i) + "')");
        }
        EXPECT_EQ(countRows(connection, "select count(*) from AQ_StockSymbolData"), 300);
    }
    EXPECT_LE(counting.syncs(), 60);

    // Every commit is in the file once the connection is closed.
    Connection again;
    again.Open(database.connectionString());
    EXPECT_EQ(countRows(again, "select count(*) from AQ_StockSymbolData"), 300);
}

// A program that dies while writing, its transaction open and its commits not yet copied into
// the file, leaves a file that opens with every commit and nothing of the transaction.
TEST(DiskSync, AWriterThatDiesLeavesItsCommitsAndNothingElse) {
    FreshDatabase database;
    const std::string connectionString = database.connectionString();
    const pid_t child = ::fork();
    if (child == 0) {
        int status = 1;
        try {
            Connection connection;
            connection.Open(connectionString);
            for (int i = 1; i <= 5; ++i) {
                connection.Execute("insert into AQ_StockSymbolData(Symbol) values('KEPT" +
                                   std::to_string(i) + "')");
            }
            connection.BeginTrans();
            for (int i = 1; i <= 2000; ++i) {
                connection.Execute(
                    "insert into AQ_StockSymbolData(Symbol, SymbolData) values(?, ?)",
                    {base::Variant("LOST" + std::to_string(i)),
                     base::Variant(std::string(4000, 'q'))});
            }
            status = 0;
        } catch (...) {
        }
        ::_exit(status);  // no close, no rollback: as if the power were pulled from the program
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer did not get as far";

    Connection connection;
    connection.Open(connectionString);
    EXPECT_EQ(countRows(connection,
                        "select count(*) from AQ_StockSymbolData where Symbol like "
                        "'KEPT%'"),
              5);
    EXPECT_EQ(countRows(connection, "select count(*) from AQ_StockSymbolData"), 5);
    Recordset check;
    check.Open("PRAGMA integrity_check", connection);
    EXPECT_EQ(check.Fields(0).text(), "ok");
}

}  // namespace
}  // namespace kavex::db
