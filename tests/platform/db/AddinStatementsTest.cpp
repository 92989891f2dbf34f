// The statements the add-in's cache readers and top-list refresh send, built the way the add-in
// builds them (concatenation, apostrophes doubled), against a fresh database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "tests/platform/db/FreshDatabase.h"

namespace kavex::db {
namespace {

using testing::FreshDatabase;

std::string quoted(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out;
}

std::string symbolDataSelect(std::string_view symbol) {
    return "SELECT AQ_StockSymbolData.SymbolData, AQ_StockSymbolData.Symbol FROM "
           "AQ_StockSymbolData WHERE AQ_StockSymbolData.Symbol = '" +
           quoted(symbol) + "'";
}

std::string symbolListSelect(std::string_view symbol) {
    return "SELECT Symbol from AQ_StockSymbolList where Symbol='" + quoted(symbol) + "'";
}

std::string symbolDataInsert(std::string_view symbol) {
    return "insert into AQ_StockSymbolData(Symbol) values('" + quoted(symbol) + "')";
}

std::string exchangeSelect(std::string_view exchange) {
    return "SELECT ExchangeData, Exchange FROM AQ_StockExchangeData WHERE Exchange = '" +
           quoted(exchange) + "'";
}

std::string topListSelect(int count, std::string_view code, std::string_view exchange) {
    return "select top " + std::to_string(count) +
           " Symbol from AQ_TemplateLists where TemplateCode = '" + std::string(code) +
           "' AND Exchange = '" + std::string(exchange) + "' order by DisplayOrder ";
}

class AddinStatements : public ::testing::Test {
  protected:
    void SetUp() override {
        connection.Open(database.connectionString());
        connection.Execute(
            "insert into AQ_StockSymbolData(Symbol, SymbolData, LastCheckDate, LastFetchDate) "
            "values('MSFT', '<Stock><Last>1234.5</Last></Stock>', #3/15/2007 10:30:00 AM#, "
            "#3/15/2007 10:30:05 AM#)");
        connection.Execute(
            "insert into AQ_StockSymbolData(Symbol, SymbolData) values('O''REILLY', "
            "'<Stock><Last>7</Last></Stock>')");
        connection.Execute(
            "insert into AQ_StockSymbolList(Symbol, Description, Exchange) values('IBM', "
            "'International Business Machines', 'NYSE')");
        connection.Execute(
            "insert into AQ_StockExchangeData(Exchange, ExchangeData) values('NSDQ', "
            "'<Stock><Last>2345.678</Last></Stock>')");
    }

    std::vector<std::string> symbols(const std::string& statement) {
        Recordset rs;
        rs.Open(statement, connection);
        std::vector<std::string> out;
        while (!rs.Eof()) {
            out.push_back(rs.Fields("Symbol").text());
            rs.MoveNext();
        }
        return out;
    }

    FreshDatabase database;
    Connection connection;
};

TEST_F(AddinStatements, SymbolDataSelectFindsTheCachedRowWhateverTheLetterCase) {
    for (const char* typed : {"MSFT", "msft", "MsFt"}) {
        Recordset rs;
        rs.Open(symbolDataSelect(typed), connection);
        ASSERT_FALSE(rs.Eof()) << typed;
        EXPECT_EQ(rs.Fields("SymbolData").text(), "<Stock><Last>1234.5</Last></Stock>");
        EXPECT_EQ(rs.Fields("Symbol").text(), "MSFT");
        rs.MoveNext();
        EXPECT_TRUE(rs.Eof());
        rs.Close();
    }
}

TEST_F(AddinStatements, ApostropheInASymbolIsLookedUpAsText) {
    Recordset rs;
    rs.Open(symbolDataSelect("o'reilly"), connection);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields("Symbol").text(), "O'REILLY");

    // Not in the symbol list: no row, no failure.
    rs.Close();
    rs.Open(symbolListSelect("it's"), connection);
    EXPECT_TRUE(rs.Eof());
}

TEST_F(AddinStatements, UnknownSymbolHasNoRowInEitherTable) {
    Recordset rs;
    rs.Open(symbolDataSelect("NOPE"), connection);
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.Bof());
    rs.Close();
    rs.Open(symbolListSelect("NOPE"), connection);
    EXPECT_TRUE(rs.Eof());
}

TEST_F(AddinStatements, ListedSymbolIsInsertedBareAndThenFoundWithNullData) {
    EXPECT_EQ(symbols(symbolListSelect("ibm")), std::vector<std::string>{"IBM"});
    EXPECT_EQ(connection.Execute(symbolDataInsert("IBM")), 1);

    Recordset rs;
    rs.Open(symbolDataSelect("ibm"), connection);
    ASSERT_FALSE(rs.Eof());
    EXPECT_TRUE(rs.Fields("SymbolData").isNull());
    rs.Close();

    rs.Open("select LastCheckDate, LastFetchDate from AQ_StockSymbolData where Symbol = 'IBM'",
            connection);
    EXPECT_TRUE(rs.Fields("LastCheckDate").isNull());
    EXPECT_TRUE(rs.Fields("LastFetchDate").isNull());
}

TEST_F(AddinStatements, SecondInsertOfTheSameSymbolFailsAndKeepsOneRow) {
    connection.Execute(symbolDataInsert("IBM"));
    try {
        connection.Execute(symbolDataInsert("ibm"));
        FAIL() << "a duplicate key was accepted";
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.number(), -2147217873);
        EXPECT_NE(error.description().find("UNIQUE"), std::string::npos) << error.description();
    }
    EXPECT_EQ(symbols("select Symbol from AQ_StockSymbolData where Symbol = 'IBM'").size(), 1u);
}

TEST_F(AddinStatements, ExchangeSelectReadsTheRowAndFindsNothingForOtherTexts) {
    Recordset rs;
    rs.Open(exchangeSelect("NSDQ"), connection);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields("ExchangeData").text(), "<Stock><Last>2345.678</Last></Stock>");
    EXPECT_EQ(rs.Fields("Exchange").text(), "NSDQ");
    rs.Close();
    for (const char* other : {"NASDAQ", "   ", ""}) {
        rs.Open(exchangeSelect(other), connection);
        EXPECT_TRUE(rs.Eof()) << "'" << other << "'";
        rs.Close();
    }
}

TEST_F(AddinStatements, TopListGivesAtMostCountSymbolsInDisplayOrder) {
    // Inserted out of order, and with other lists around them.
    const char* rows[][4] = {
        {"PRICE_GAINERS", "NYSE", "4", "DDD"}, {"PRICE_GAINERS", "NYSE", "2", "BBB"},
        {"PRICE_GAINERS", "NYSE", "5", "EEE"}, {"PRICE_GAINERS", "NYSE", "1", "AAA"},
        {"PRICE_GAINERS", "NYSE", "3", "CCC"}, {"PRICE_LOSERS", "NYSE", "1", "LLL"},
        {"PRICE_GAINERS", "NSDQ", "1", "NNN"},
    };
    connection.BeginTrans();
    for (const auto& row : rows) {
        connection.Execute(std::string("insert into AQ_TemplateLists(TemplateCode, Exchange, "
                                       "DisplayOrder, Symbol) values('") +
                           row[0] + "', '" + row[1] + "', " + row[2] + ", '" + row[3] + "')");
    }
    connection.CommitTrans();

    EXPECT_EQ(symbols(topListSelect(3, "PRICE_GAINERS", "NYSE")),
              (std::vector<std::string>{"AAA", "BBB", "CCC"}));
    EXPECT_EQ(symbols(topListSelect(25, "PRICE_GAINERS", "NYSE")),
              (std::vector<std::string>{"AAA", "BBB", "CCC", "DDD", "EEE"}));
    EXPECT_EQ(symbols(topListSelect(25, "VOL_LEADERS", "NYSE")), std::vector<std::string>{});
    EXPECT_EQ(symbols(topListSelect(0, "PRICE_GAINERS", "NYSE")), std::vector<std::string>{});
}

TEST_F(AddinStatements, RepeatedSelectSeesDataWrittenBetweenRuns) {
    const std::string select = symbolDataSelect("MSFT");
    for (int price = 1; price <= 3; ++price) {
        const std::string data = "<Stock><Last>" + std::to_string(price) + "</Last></Stock>";
        connection.Execute("update AQ_StockSymbolData set SymbolData = '" + data +
                           "' where Symbol = 'MSFT'");
        Recordset rs;
        rs.Open(select, connection);
        EXPECT_EQ(rs.Fields("SymbolData").text(), data);
    }
}

TEST_F(AddinStatements, SameStatementOpenTwiceAtOnceReadsIndependently) {
    connection.Execute(symbolDataInsert("AAPL"));
    const std::string all = "select Symbol from AQ_StockSymbolData order by Symbol";
    Recordset outer;
    outer.Open(all, connection);
    std::vector<std::string> pairs;
    while (!outer.Eof()) {
        Recordset inner;
        inner.Open(all, connection);
        while (!inner.Eof()) {
            pairs.push_back(outer.Fields("Symbol").text() + "/" + inner.Fields("Symbol").text());
            inner.MoveNext();
        }
        outer.MoveNext();
    }
    EXPECT_EQ(pairs.size(), 9u);
    EXPECT_EQ(pairs.front(), "AAPL/AAPL");
    EXPECT_EQ(pairs.back(), "O'REILLY/O'REILLY");
}

}  // namespace
}  // namespace kavex::db
