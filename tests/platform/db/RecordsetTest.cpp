#include "platform/db/Recordset.h"

#include <gtest/gtest.h>

#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "platform/db/Clock.h"
#include "platform/db/Connection.h"
#include "platform/db/StoredDate.h"
#include "tests/platform/base/ErrorNumber.h"
#include "tests/platform/db/FreshDatabase.h"

namespace kavex::db {
namespace {

using testing::FreshDatabase;

using base::testing::errorNumber;

class RecordsetTest : public ::testing::Test {
  protected:
    void SetUp() override { connection.Open(database.connectionString()); }
    void TearDown() override { setClock({}); }

    base::Variant single(const std::string& statement, std::string_view field) {
        Recordset rs;
        rs.Open(statement, connection);
        return rs.Fields(field);
    }

    FreshDatabase database;
    Connection connection;
};

TEST_F(RecordsetTest, EmptyResultIsAtBothEnds) {
    Recordset rs;
    rs.Open("select Symbol from AQ_StockSymbolList", connection);
    EXPECT_EQ(rs.State(), 1);
    EXPECT_TRUE(rs.Bof());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), -1);
    EXPECT_EQ(errorNumber([&] { rs.Fields("Symbol"); }), 3021);
    EXPECT_EQ(errorNumber([&] { rs.MoveNext(); }), 3021);
}

TEST_F(RecordsetTest, WalksRowsForwardAndReadsFieldsByAnyLetterCase) {
    connection.Execute(
        "insert into AQ_StockSymbolList(Symbol, Description) values('A', 'first'), ('B', NULL)");
    Recordset rs;
    rs.Open("select Symbol, Description from AQ_StockSymbolList order by Symbol", connection);
    EXPECT_FALSE(rs.Bof());
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(rs.FieldName(1), "Description");
    EXPECT_EQ(rs.Fields("SYMBOL"), base::Variant("A"));
    EXPECT_EQ(rs.Fields("description"), base::Variant("first"));
    EXPECT_EQ(rs.Fields(0), base::Variant("A"));
    rs.MoveNext();
    EXPECT_FALSE(rs.Eof());
    EXPECT_FALSE(rs.Bof());
    EXPECT_TRUE(rs.Fields("Description").isNull());
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_FALSE(rs.Bof());
}

TEST_F(RecordsetTest, UnknownFieldAndClosedRecordsetRaise) {
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    Recordset rs;
    rs.Open("select Symbol from AQ_StockSymbolList", connection);
    EXPECT_EQ(errorNumber([&] { rs.Fields("Exchange"); }), 3265);
    EXPECT_EQ(errorNumber([&] { rs.Fields(1); }), 3265);
    EXPECT_EQ(errorNumber([&] { rs.Open("select 1", connection); }), 3705);
    rs.Close();
    EXPECT_EQ(rs.State(), 0);
    EXPECT_EQ(errorNumber([&] { rs.Eof(); }), 3704);
    EXPECT_EQ(errorNumber([&] { rs.Fields("Symbol"); }), 3704);
    rs.Close();  // closing twice is harmless
}

TEST_F(RecordsetTest, ClosingTheConnectionClosesItsRecordsets) {
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A'), ('B')");
    Recordset rs;
    rs.Open("select Symbol from AQ_StockSymbolList", connection);
    connection.Close();
    EXPECT_EQ(rs.State(), 0);
    EXPECT_EQ(errorNumber([&] { rs.MoveNext(); }), 3704);
    EXPECT_EQ(errorNumber([&] { rs.Open("select 1", connection); }), 3709);
}

TEST_F(RecordsetTest, FailingQueryRaisesAndLeavesTheRecordsetClosed) {
    Recordset rs;
    try {
        rs.Open("select NoSuchColumn from AQ_StockSymbolList", connection);
        FAIL();
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), -2147217900);
        EXPECT_EQ(error.description(), "no such column: NoSuchColumn");
    }
    EXPECT_EQ(rs.State(), 0);
}

TEST_F(RecordsetTest, CommandOpenedAsRecordsetRunsAndLeavesItClosed) {
    Recordset rs;
    rs.Open("insert into AQ_StockSymbolList(Symbol) values('A')", connection);
    EXPECT_EQ(rs.State(), 0);
    EXPECT_EQ(single("select count(*) as N from AQ_StockSymbolList", "N"), base::Variant(1));
}

TEST_F(RecordsetTest, NumbersComeBackAsNumbersAndTextAsStoredText) {
    connection.Execute(
        "insert into AQ_TemplateLists(TemplateCode, Exchange, DisplayOrder, Symbol) "
        "values('VOL_LEADERS', 'NYSE', 7, '  padded  ')");
    Recordset rs;
    rs.Open("select DisplayOrder, Symbol, DisplayOrder / 2.0 as Half from AQ_TemplateLists",
            connection);
    EXPECT_EQ(rs.Fields("DisplayOrder"), base::Variant(7));
    EXPECT_EQ(rs.Fields("Symbol"), base::Variant("  padded  "));
    EXPECT_EQ(rs.Fields("Half"), base::Variant(3.5));
    // Text columns keep what the configuration stored as text.
    EXPECT_EQ(single("select ConfigValue from ConfigSettings where ConfigKey = 'decimal_place'",
                     "ConfigValue"),
              base::Variant("2"));
}

TEST_F(RecordsetTest, DateColumnsReadAsDatesWhateverWayTheyWereWritten) {
    const base::Date expected = toSerial({2007, 3, 15, 10, 30, 0});
    EXPECT_EQ(expected.serial, 39156.4375);
    const char* writes[] = {
        "#3/15/2007 10:30:00 AM#",
        "#2007-03-15 10:30:00#",
        "'2007-03-15 10:30:00'",
        "'3/15/2007 10:30 AM'",
        "39156.4375",
    };
    for (const char* value : writes) {
        connection.Execute("delete from AQ_StockSymbolData");
        connection.Execute(
            std::string("insert into AQ_StockSymbolData(Symbol, LastFetchDate) values('A', ") +
            value + ")");
        const base::Variant read =
            single("select LastFetchDate from AQ_StockSymbolData", "LastFetchDate");
        ASSERT_TRUE(read.isDate()) << value;
        EXPECT_EQ(read.date(), expected) << value;
    }
    // Text that is no date stays text rather than becoming a wrong date.
    connection.Execute("update AQ_StockSymbolData set LastFetchDate = 'soon'");
    EXPECT_EQ(single("select LastFetchDate from AQ_StockSymbolData", "LastFetchDate"),
              base::Variant("soon"));
}

TEST_F(RecordsetTest, StoredDatesCompareInDateOrder) {
    connection.Execute(
        "insert into AQ_StockSymbolData(Symbol, LastCheckDate) values('A', #12/31/2006#), "
        "('B', #1/2/2007 9:00:00 AM#), ('C', #10/1/2007#)");
    Recordset rs;
    rs.Open(
        "select Symbol from AQ_StockSymbolData where LastCheckDate < #2/1/2007# order by "
        "LastCheckDate desc",
        connection);
    EXPECT_EQ(rs.Fields("Symbol"), base::Variant("B"));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("Symbol"), base::Variant("A"));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST_F(RecordsetTest, NowAndDateFollowTheClock) {
    const base::Date simulated = toSerial({2024, 5, 6, 14, 45, 30});
    setClock([simulated] { return simulated; });
    connection.Execute(
        "insert into AQ_StockSymbolData(Symbol, LastCheckDate, LastFetchDate) values('A', "
        "Date(), Now())");
    Recordset rs;
    rs.Open("select LastCheckDate, LastFetchDate from AQ_StockSymbolData", connection);
    EXPECT_EQ(rs.Fields("LastCheckDate"), base::Variant(toSerial({2024, 5, 6})));
    EXPECT_EQ(rs.Fields("LastFetchDate"), base::Variant(simulated));
    rs.Close();
    // The built-in date function with arguments is left alone.
    EXPECT_EQ(single("select date('2024-01-02 03:04:05') as D", "D"), base::Variant("2024-01-02"));
}

TEST_F(RecordsetTest, TextConcatenationWithAmpersand) {
    connection.Execute("insert into AQ_StockSymbolList(Symbol, Exchange) values('IBM', 'NYSE')");
    EXPECT_EQ(
        single("select Symbol & ' (' & Exchange & ')' as Label from AQ_StockSymbolList", "Label"),
        base::Variant("IBM (NYSE)"));
}

TEST_F(RecordsetTest, BooleanColumnsReadAsBooleans) {
    connection.Execute("create table AQ_Flags (Name TEXT, Active BOOLEAN)");
    connection.Execute("insert into AQ_Flags values('on', -1), ('off', 0), ('true', TRUE)");
    Recordset rs;
    rs.Open("select Active from AQ_Flags order by rowid", connection);
    EXPECT_EQ(rs.Fields("Active"), base::Variant(true));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("Active"), base::Variant(false));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("Active"), base::Variant(true));
}

TEST_F(RecordsetTest, AQueryWithMarksReadsTheRowsOfTheValuesGiven) {
    connection.Execute(
        "insert into AQ_StockSymbolList(Symbol, Description) values('A', 'first'), ('B', "
        "'it''s'), ('C', NULL)");
    const char* query =
        "select Symbol, Description from AQ_StockSymbolList where Symbol in (?, ?, ?) order by "
        "Symbol";
    Recordset rs;
    rs.Open(query, connection, {base::Variant("c"), base::Variant("a"), base::Variant::null()});
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(base::CStr(rs.Fields("Symbol")), "A");
    rs.MoveNext();
    EXPECT_EQ(base::CStr(rs.Fields("Symbol")), "C");
    EXPECT_TRUE(rs.Fields("Description").isNull());
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    rs.Close();
    // The same query again with other values: nothing of the first ones is left bound.
    rs.Open(query, connection, {base::Variant("B"), base::Variant::null(), base::Variant(3.0)});
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(base::CStr(rs.Fields("Description")), "it's");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST_F(RecordsetTest, AQueryWithMarksRefusesAWrongCountOrTypeAndStaysClosed) {
    const char* query = "select Symbol from AQ_StockSymbolList where Symbol = ?";
    Recordset rs;
    EXPECT_EQ(errorNumber([&] { rs.Open(query, connection, {}); }), -2147217900);
    EXPECT_EQ(errorNumber([&] {
                  rs.Open(query, connection, {base::Variant("A"), base::Variant("B")});
              }),
              -2147217900);
    EXPECT_EQ(errorNumber([&] { rs.Open(query, connection, {base::Variant(true)}); }), -2147217900);
    EXPECT_EQ(
        errorNumber([&] { rs.Open(query, connection, {base::Variant(std::string("A\0B", 3))}); }),
        -2147217900);
    EXPECT_EQ(rs.State(), 0);
    connection.Execute("insert into AQ_StockSymbolList(Symbol) values('A')");
    rs.Open(query, connection, {base::Variant("a")});
    EXPECT_FALSE(rs.Eof());
}

}  // namespace
}  // namespace kavex::db
