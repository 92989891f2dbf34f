#include "platform/db/JetSql.h"

#include <gtest/gtest.h>

#include "platform/base/Conversions.h"
#include "platform/db/StoredDate.h"

namespace kavex::db {
namespace {

TEST(JetToSqlite, TopBecomesLimitAtTheEnd) {
    EXPECT_EQ(jetToSqlite("select top 3 Symbol from T where A = 'x' order by DisplayOrder "),
              "select Symbol from T where A = 'x' order by DisplayOrder LIMIT 3");
    EXPECT_EQ(jetToSqlite("SELECT DISTINCT TOP 10 Symbol FROM T;"),
              "SELECT DISTINCT Symbol FROM T LIMIT 10");
    EXPECT_EQ(jetToSqlite("  Select  Top\t25  Symbol from T"), "  Select  Symbol from T LIMIT 25");
}

TEST(JetToSqlite, NamesThatOnlyLookLikeTopAreLeftAlone) {
    EXPECT_EQ(jetToSqlite("select topic from T"), "select topic from T");
    EXPECT_EQ(jetToSqlite("select top from T"), "select top from T");
    EXPECT_EQ(jetToSqlite("select Top10 from T"), "select Top10 from T");
    EXPECT_EQ(jetToSqlite("update T set A = 'select top 3'"), "update T set A = 'select top 3'");
}

TEST(JetToSqlite, DateLiteralsBecomeStoredText) {
    EXPECT_EQ(jetToSqlite("where D < #3/15/2007#"), "where D < '2007-03-15 00:00:00'");
    EXPECT_EQ(jetToSqlite("set D = #3/15/2007 1:05:09 PM#"), "set D = '2007-03-15 13:05:09'");
    EXPECT_EQ(jetToSqlite("set D = #12/31/1999 12:00:00 AM#"), "set D = '1999-12-31 00:00:00'");
    EXPECT_EQ(jetToSqlite("set D = #2007-03-15 10:30#"), "set D = '2007-03-15 10:30:00'");
    // Not a date: left for the database to refuse.
    EXPECT_EQ(jetToSqlite("set D = #2/30/2007#"), "set D = #2/30/2007#");
    EXPECT_EQ(jetToSqlite("set D = #3/15/2007"), "set D = #3/15/2007");
}

TEST(JetToSqlite, AmpersandConcatenatesOutsideQuotesOnly) {
    EXPECT_EQ(jetToSqlite("select A & 'R&D' & [B&C] from T"), "select A || 'R&D' || [B&C] from T");
    EXPECT_EQ(jetToSqlite("select 'it''s #1/1/2007# & more' from T"),
              "select 'it''s #1/1/2007# & more' from T");
}

TEST(StoredDate, ReadsIsoUsAndTimeOnlyForms) {
    auto parts = parseDateText("3/5/07 9:07 pm");
    ASSERT_TRUE(parts);
    EXPECT_EQ(formatStoredDate(*parts), "2007-03-05 21:07:00");
    EXPECT_EQ(formatStoredDate(*parseDateText("1/1/29")), "2029-01-01 00:00:00");
    EXPECT_EQ(formatStoredDate(*parseDateText("1/1/30")), "1930-01-01 00:00:00");
    EXPECT_EQ(formatStoredDate(*parseDateText(" 2024-02-29T23:59:59 ")), "2024-02-29 23:59:59");
    EXPECT_EQ(formatStoredDate(*parseDateText("10:30:15 AM")), "1899-12-30 10:30:15");
    for (const char* bad : {"", "2023-02-29", "13/1/2007", "1/1/2007 25:00", "1/1/2007 13:00 PM",
                            "2007-03-15 10:30:00 junk", "soon", "1/1/2007 10:5", "0099-12-31"}) {
        EXPECT_FALSE(parseDateText(bad)) << bad;
    }
}

TEST(StoredDate, SerialsRoundTrip) {
    EXPECT_EQ(toSerial({1899, 12, 30}).serial, 0.0);
    EXPECT_EQ(toSerial({1970, 1, 1}).serial, 25569.0);
    EXPECT_EQ(toSerial({2007, 3, 15, 18, 0, 0}).serial, 39156.75);
    const DateTimeParts parts = fromSerial(base::Date{45418.6149305556});
    EXPECT_EQ(formatStoredDate(parts), "2024-05-06 14:45:30");
    // Before the zero date the time stays a positive fraction, as the runtime keeps it, so a
    // stored date reads back as the same date the runtime's conversions give.
    EXPECT_EQ(toSerial({1899, 12, 29, 6, 0, 0}).serial, -1.25);
    EXPECT_EQ(formatStoredDate(base::Date{-1.25}), "1899-12-29 06:00:00");
    EXPECT_EQ(toSerial(*parseDateText("12/29/1899 6:00 AM")),
              *base::parseDate("12/29/1899 6:00 AM"));
}

}  // namespace
}  // namespace kavex::db
