#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "platform/base/Conversions.h"
#include "platform/base/Date.h"
#include "platform/base/Locale.h"
#include "platform/base/PlatformError.h"

namespace kavex::base {
namespace {

TEST(MakeDate, SerialsCountFromTheZeroDate) {
    EXPECT_EQ(makeDate(1899, 12, 30)->serial, 0.0);
    EXPECT_EQ(makeDate(1900, 1, 1)->serial, 2.0);
    EXPECT_EQ(makeDate(2007, 3, 15)->serial, 39156.0);
    EXPECT_EQ(makeDate(2007, 3, 15, 12)->serial, 39156.5);
    EXPECT_EQ(makeDate(1899, 12, 29, 6)->serial, -1.25);
}

TEST(MakeDate, RefusesPartsOutOfRange) {
    EXPECT_FALSE(makeDate(2007, 13, 1));
    EXPECT_FALSE(makeDate(2007, 0, 1));
    EXPECT_FALSE(makeDate(2007, 2, 30));
    EXPECT_FALSE(makeDate(2007, 2, 29));
    EXPECT_TRUE(makeDate(2008, 2, 29));
    EXPECT_FALSE(makeDate(1900, 2, 29));
    EXPECT_TRUE(makeDate(2000, 2, 29));
    EXPECT_FALSE(makeDate(2007, 4, 31));
    EXPECT_FALSE(makeDate(2007, 3, 15, 24));
    EXPECT_FALSE(makeDate(2007, 3, 15, 0, 60));
    EXPECT_FALSE(makeDate(0, 1, 1));
    EXPECT_FALSE(makeDate(10000, 1, 1));
}

TEST(SplitDate, RoundTripsAndRoundsToTheSecond) {
    const DateParts parts = splitDate(*makeDate(2007, 3, 15, 14, 5, 9));
    EXPECT_EQ(parts.year, 2007);
    EXPECT_EQ(parts.month, 3);
    EXPECT_EQ(parts.day, 15);
    EXPECT_EQ(parts.hour, 14);
    EXPECT_EQ(parts.minute, 5);
    EXPECT_EQ(parts.second, 9);
    // Just before midnight rounds into the next day.
    const DateParts next = splitDate(Date{39156.0 + 0.9999999});
    EXPECT_EQ(next.day, 16);
    EXPECT_EQ(next.hour, 0);
    const DateParts before = splitDate(Date{-1.25});
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(before.hour, 6);
}

TEST(DateArithmetic, WeekdaysAndAdding) {
    EXPECT_EQ(weekday(Date{0}), 7);                 // Saturday
    EXPECT_EQ(weekday(*makeDate(2007, 3, 15)), 5);  // Thursday
    EXPECT_EQ(addSeconds(*makeDate(2007, 3, 15, 23, 59, 30), 45), *makeDate(2007, 3, 16, 0, 0, 15));
    EXPECT_EQ(addSeconds(*makeDate(2007, 3, 1), -1), *makeDate(2007, 2, 28, 23, 59, 59));
    EXPECT_EQ(addDays(*makeDate(2007, 3, 15, 6), 20), *makeDate(2007, 4, 4, 6));
    EXPECT_EQ(addDays(Date{0.25}, -1), Date{-1.25});
    EXPECT_EQ(datePart(*makeDate(2007, 3, 15, 18)), *makeDate(2007, 3, 15));
}

TEST(ParseDate, TheFormsInUse) {
    const Date march15 = *makeDate(2007, 3, 15);
    EXPECT_EQ(parseDate("2007/03/15"), march15);
    EXPECT_EQ(parseDate("3/15/2007"), march15);
    EXPECT_EQ(parseDate("03/15/2007"), march15);
    EXPECT_EQ(parseDate("2007-03-15"), march15);
    EXPECT_EQ(parseDate("March 15, 2007"), march15);
    EXPECT_EQ(parseDate("mar 15 2007"), march15);
    EXPECT_EQ(parseDate("15-Mar-2007"), march15);
    EXPECT_EQ(parseDate("15 March 2007"), march15);
    EXPECT_EQ(parseDate("3/15/07"), march15);
    EXPECT_EQ(parseDate("3/15/2007 2:05:00 PM"), makeDate(2007, 3, 15, 14, 5));
    EXPECT_EQ(parseDate("2007-03-15 14:05"), makeDate(2007, 3, 15, 14, 5));
    EXPECT_EQ(parseDate("March 15, 2007 12:30 AM"), makeDate(2007, 3, 15, 0, 30));
    EXPECT_EQ(parseDate("2:05:00 PM"), Date{(14 * 3600 + 5 * 60) / 86400.0});
    EXPECT_EQ(parseDate("1/1/45"), makeDate(1945, 1, 1));
}

TEST(ParseDate, RefusesInvalidDatesWithoutGuessing) {
    for (const char* text : {"", "2007/13/15", "0000/00/00", "15/3/2007", "2/30/2007", "3/15",
                             "39156", "12.5", "#NODATA!", "March 2007", "3/15/2007 25:00",
                             "3/15/2007 13:00 PM", "3/15-2007", "3/15/2007 xyz", "20070315"}) {
        EXPECT_FALSE(parseDate(text).has_value()) << '"' << text << '"';
    }
}

int yearsAsked = 0;
int year2007() {
    ++yearsAsked;
    return 2007;
}

std::optional<Date> cellDate(std::string_view text) {
    return parseCellDate(text, &year2007);
}

// A cell reads more as a time than the runtime does: hours past a day, without AM or PM.
TEST(ParseCellDate, ATimeMayRunPastADay) {
    EXPECT_EQ(cellDate("25:00"), Date{25.0 / 24.0});
    EXPECT_EQ(cellDate("25:00")->serial, 1.0416666666666667);
    EXPECT_EQ(cellDate("48:00"), Date{2.0});
    EXPECT_EQ(cellDate("100:30:15"), Date{(100 * 3600 + 30 * 60 + 15) / 86400.0});
    EXPECT_EQ(cellDate("24:00"), Date{1.0});
    EXPECT_EQ(cellDate("12:30"), Date{0.5208333333333334});
    for (const char* text :
         {"25:00 PM", "13:00 AM", "24:60", "25:00:60", "3/15/2007 25:00", "25", "-25:00"}) {
        EXPECT_FALSE(cellDate(text).has_value()) << '"' << text << '"';
    }
}

// A day and month without a year fall in the year the caller gives, asked only for them.
TEST(ParseCellDate, ADayAndMonthWithoutAYearTakeTheCurrentYear) {
    yearsAsked = 0;
    const Date january15 = *makeDate(2007, 1, 15);
    EXPECT_EQ(cellDate("1/15"), january15);
    EXPECT_EQ(cellDate("01/15"), january15);
    EXPECT_EQ(cellDate("1-15"), january15);
    EXPECT_EQ(cellDate("Jan 15"), january15);
    EXPECT_EQ(cellDate("january 15"), january15);
    EXPECT_EQ(cellDate("15 Jan"), january15);
    EXPECT_EQ(cellDate("15-Jan"), january15);
    EXPECT_EQ(cellDate(" 1/15 "), january15);
    EXPECT_EQ(cellDate("1/15 10:30"), makeDate(2007, 1, 15, 10, 30));
    EXPECT_EQ(cellDate("Jan 15 2:05 PM"), makeDate(2007, 1, 15, 14, 5));
    EXPECT_EQ(yearsAsked, 10);
    // The forms with a year and the times of a day ask for none and read as parseDate reads them.
    for (const char* text : {"3/15/2007", "Mar 15 2007", "March 15, 2007 12:30 AM", "15-Mar-07",
                             "15 March 2007", "2007-03-15", "2:05:00 PM"}) {
        EXPECT_EQ(cellDate(text), parseDate(text)) << '"' << text << '"';
    }
    EXPECT_EQ(yearsAsked, 10);
    // What is no day of that year, or no day and month, stays no date.
    for (const char* text : {"2/29", "13/15", "1/32", "1/15/", "1/15-", "123/1", "1/2020", "Jan",
                             "Jan 32", "Jan 15,", "15-Jan-", "1/15 xyz", "1.15"}) {
        EXPECT_FALSE(cellDate(text).has_value()) << '"' << text << '"';
    }
}

TEST(ParseCellDate, AYearlessDateFollowsTheLocaleOrder) {
    Locale british;
    british.shortDatePattern = "dd/MM/yyyy";
    setCurrentLocale(british);
    const auto read = cellDate("15/1");
    const auto refused = cellDate("1/15");
    setCurrentLocale(Locale{});
    EXPECT_EQ(read, makeDate(2007, 1, 15));
    EXPECT_FALSE(refused.has_value());
}

// The runtime's IsDate and CDate, which the add-in calls, read neither.
TEST(ParseCellDate, TheRuntimesReadingStaysAsItIs) {
    for (const char* text : {"25:00", "1/15", "Jan 20", "20 Jan", "20-Jan", "1-15"}) {
        EXPECT_FALSE(parseDate(text).has_value()) << '"' << text << '"';
        EXPECT_FALSE(IsDate(text)) << '"' << text << '"';
        EXPECT_THROW(CDate(text), PlatformError) << '"' << text << '"';
    }
}

TEST(Dates, ConversionsAndGeneralForm) {
    EXPECT_TRUE(IsDate("3/15/2007"));
    EXPECT_FALSE(IsDate(39156));
    EXPECT_FALSE(IsDate("#N/A"));
    EXPECT_EQ(CDate("2007-03-15"), *makeDate(2007, 3, 15));
    EXPECT_EQ(CDate(39156), Date{39156});
    EXPECT_THROW(CDate("garbage"), PlatformError);
    EXPECT_EQ(CStr(*makeDate(2007, 3, 15)), "3/15/2007");
    EXPECT_EQ(CStr(*makeDate(2007, 3, 15, 14, 5)), "3/15/2007 2:05:00 PM");
    EXPECT_EQ(CStr(*makeDate(2007, 3, 15, 0, 0, 1)), "3/15/2007 12:00:01 AM");
    EXPECT_EQ(CStr(Date{0.5}), "12:00:00 PM");
    EXPECT_EQ(CStr(Date{0}), "12:00:00 AM");
    // The general form reads back.
    for (const Date date : {*makeDate(2007, 3, 15, 14, 5), *makeDate(1999, 12, 31)}) {
        EXPECT_EQ(parseDate(CStr(date)), date);
    }
}

}  // namespace
}  // namespace kavex::base
