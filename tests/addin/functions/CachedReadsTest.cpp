// The readers keep what they read of a cached row until the row may have changed. Whatever
// changes the data, and from wherever, the next read answers as a first read would.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "addin/core/Database.h"
#include "addin/functions/ExchangeValueReader.h"
#include "addin/functions/SymbolValueReader.h"
#include "addin/marketdata/QuoteFetch.h"
#include "addin/marketdata/SymbolRegistration.h"
#include "platform/base/Locale.h"
#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::functions {
namespace {

class CachedReadsTest : public testing::CacheFixture {
  protected:
    void SetUp() override {
        CacheFixture::SetUp();
        cacheSymbol("IBM", quote("100", "IBM Corp"));
    }
    static std::string quote(const std::string& last, const std::string& name) {
        return "<Stock><Last>" + last + "</Last><Name>" + name + "</Name><Change>-1.5</Change>" +
               "</Stock>";
    }
    // Every way a cell reads IBM: formatted, unformatted, a tag without a class.
    std::string reads(const std::string& symbol = "IBM") {
        return GetSymbolDataItem("Last", symbol, true) + "|" +
               GetSymbolDataItemUnFormatted("Last", symbol, true) + "|" +
               GetSymbolDataItem("Name", symbol, true) + "|" +
               GetSymbolDataItem("Change", symbol, true);
    }
    // A statement run by another program on the same file.
    void foreignSql(const std::string& statement) {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(databasePath().c_str(), &handle), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(handle, statement.c_str(), nullptr, nullptr, &error);
        const std::string message = error != nullptr ? error : "";
        sqlite3_free(error);
        sqlite3_close(handle);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }
    std::filesystem::path databasePath() const {
        return std::filesystem::path(core::AddInPath) / "Kavex.mdb";
    }
};

TEST_F(CachedReadsTest, RepeatedReadsGiveTheSameAnswers) {
    const std::string first = reads();
    EXPECT_EQ(first, "$100.00|100|IBM Corp|-$1.50");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(reads(), first);
    }
    EXPECT_EQ(GetSymbolDataItem("Last", "ibm", true), "$100.00");
    EXPECT_EQ(GetSymbolDataItem("NoSuchTag", "IBM", true), "#NODATA!");
    EXPECT_EQ(GetSymbolDataItem("NoSuchTag", "IBM", true), "#NODATA!");
}

TEST_F(CachedReadsTest, AWriteThroughTheSharedConnectionIsSeenAtOnce) {
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
    sql("update AQ_StockSymbolData set SymbolData = '" + quote("101.25", "IBM New") +
        "' where Symbol = 'IBM'");
    EXPECT_EQ(reads(), "$101.25|101.25|IBM New|-$1.50");
    sql("update AQ_StockSymbolData set SymbolData = null where Symbol = 'IBM'");
    EXPECT_EQ(reads(), "#NODATA!|#NODATA!|#NODATA!|#NODATA!");
    sql("delete from AQ_StockSymbolData where Symbol = 'IBM'");
    EXPECT_EQ(reads(), "#INVALID!|#INVALID!|#INVALID!|#INVALID!");
}

TEST_F(CachedReadsTest, TheFetchJobsStoreIsSeenAtOnce) {
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
    marketdata::InsertUpdateStockSymbolData("IBM", quote("99", "IBM Fetched"));
    EXPECT_EQ(reads(), "$99.00|99|IBM Fetched|-$1.50");
}

TEST_F(CachedReadsTest, ANewSymbolsRowIsSeenAtOnce) {
    listSymbol("MSFT");
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData where Symbol = 'MSFT'"), 0);
    // The sheet-change handler registers it; the reader finds the bare row and inserts nothing.
    std::string symbol = "MSFT";
    std::string unused;
    marketdata::AddNewExistingSymbol(symbol, unused);
    EXPECT_EQ(reads("MSFT"), "#NODATA!|#NODATA!|#NODATA!|#NODATA!");
    EXPECT_EQ(cachedRows("MSFT"), 1);
    marketdata::InsertUpdateStockSymbolData("MSFT", quote("400", "Microsoft"));
    EXPECT_EQ(reads("MSFT"), "$400.00|400|Microsoft|-$1.50");

    // The reader's own insert of a listed symbol.
    listSymbol("ORCL");
    EXPECT_EQ(reads("ORCL"), "#NODATA!|#NODATA!|#NODATA!|#NODATA!");
    EXPECT_EQ(cachedRows("ORCL"), 1);
    sql("update AQ_StockSymbolData set SymbolData = '" + quote("120", "Oracle") +
        "' where Symbol = 'ORCL'");
    EXPECT_EQ(reads("ORCL"), "$120.00|120|Oracle|-$1.50");
}

TEST_F(CachedReadsTest, AWriteByAnotherProgramIsSeenAtOnce) {
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
    foreignSql("update AQ_StockSymbolData set SymbolData = '" + quote("7", "Other") + "'");
    EXPECT_EQ(reads(), "$7.00|7|Other|-$1.50");
    // The same document written again changes nothing that shows.
    foreignSql("update AQ_StockSymbolData set SymbolData = '" + quote("7", "Other") + "'");
    EXPECT_EQ(reads(), "$7.00|7|Other|-$1.50");
    foreignSql("drop table AQ_StockSymbolData");
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "#ERROR!");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "IBM", true), "#ERROR!");
}

TEST_F(CachedReadsTest, ARolledBackWriteIsSeenUndone) {
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
    core::DBConnection->BeginTrans();
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
    // Not committed yet, so the file does not tell: the connection's own count must.
    sql("update AQ_StockSymbolData set SymbolData = '" + quote("5", "Inside") + "'");
    EXPECT_EQ(reads(), "$5.00|5|Inside|-$1.50");
    core::DBConnection->RollbackTrans();
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
}

TEST_F(CachedReadsTest, ADatabaseClosedReopenedOrReplacedIsReadAgain) {
    EXPECT_EQ(reads(), "$100.00|100|IBM Corp|-$1.50");
    // Closed: the reader opens it again.
    core::DBConnection->Close();
    foreignSql("update AQ_StockSymbolData set SymbolData = '" + quote("8", "Reopened") + "'");
    EXPECT_EQ(reads(), "$8.00|8|Reopened|-$1.50");

    // Replaced by another file that holds other data for the same symbol.
    const std::filesystem::path other = databasePath().parent_path() / "Other.mdb";
    std::filesystem::copy_file(databasePath(), other);
    {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(other.c_str(), &handle), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(handle,
                               ("update AQ_StockSymbolData set SymbolData = '" +
                                quote("9", "Replaced") + "'")
                                   .c_str(),
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(handle);
    }
    core::DBConnection = std::make_unique<db::Connection>();
    core::DBConnection->Open("Data Source=" + other.string());
    EXPECT_EQ(reads(), "$9.00|9|Replaced|-$1.50");

    // Gone: every read fails as it would have.
    core::DBConnection.reset();
    core::AddInPath = (databasePath().parent_path() / "missing").string() + "/";
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "#ERROR!");
}

TEST_F(CachedReadsTest, DisplayTextFollowsTheDecimalsAndTheLocale) {
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$100.00");
    core::SetDecimalPlaces(4);
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$100.0000");
    core::SetDecimalPlaces(0);
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$100");

    const base::Locale saved = base::currentLocale();
    base::Locale german = saved;
    german.decimalSeparator = ',';
    german.groupingSeparator = '.';
    core::SetDecimalPlaces(2);
    sql("update AQ_StockSymbolData set SymbolData = '" + quote("1234,5", "IBM Corp") + "'");
    base::setCurrentLocale(german);
    const std::string inGerman = GetSymbolDataItem("Last", "IBM", true);
    base::setCurrentLocale(saved);
    EXPECT_EQ(inGerman, "$1.234,50");
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "1234,5");
}

TEST_F(CachedReadsTest, ManySymbolsAndLateColumnsStayRight) {
    for (int i = 0; i < 300; ++i) {
        cacheSymbol("S" + std::to_string(i), quote(std::to_string(i), "Name " + std::to_string(i)));
    }
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(GetSymbolDataItem("Last", "S" + std::to_string(i), true),
                  "$" + std::to_string(i) + ".00");
    }
    // A column added later asks every row for an element not asked before.
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(GetSymbolDataItem("Name", "S" + std::to_string(i), true),
                  "Name " + std::to_string(i));
    }
}

TEST_F(CachedReadsTest, ExchangeRowsFollowTheirChangesToo) {
    cacheExchange("NSDQ", "<Stock><Last>2345.678</Last><Name>Nasdaq</Name></Stock>");
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "2,345.68");
    EXPECT_EQ(GetExchangeDataItem("Name", "NSDQ", true), "Nasdaq");
    sql("update AQ_StockExchangeData set ExchangeData = '<Stock><Last>1</Last></Stock>'");
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "1.00");
    EXPECT_EQ(GetExchangeDataItem("Name", "NSDQ", true), "#NODATA!");
    foreignSql("delete from AQ_StockExchangeData");
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "#NODATA!");
}

}  // namespace
}  // namespace kavex::addin::functions
