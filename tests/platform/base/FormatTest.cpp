#include <gtest/gtest.h>

#include "platform/base/Conversions.h"
#include "platform/base/Format.h"
#include "platform/base/Locale.h"

namespace kavex::base {
namespace {

TEST(FormatNumber, PricePatterns) {
    EXPECT_EQ(formatNumber(1234.5, "$###,###,##0.00"), "$1,234.50");
    EXPECT_EQ(formatNumber(1234.5, "$###,###,##0"), "$1,235");
    EXPECT_EQ(formatNumber(1234.5, "$###,###,##0.0000"), "$1,234.5000");
    EXPECT_EQ(formatNumber(98765, "$###,###,##0"), "$98,765");
    EXPECT_EQ(formatNumber(-5, "$###,###,##0.00"), "-$5.00");
    EXPECT_EQ(formatNumber(0.5, "$###,###,##0.00"), "$0.50");
    EXPECT_EQ(formatNumber(1234567890.126, "$###,###,##0.00"), "$1,234,567,890.13");
}

TEST(FormatNumber, RoundsHalvesAwayFromZeroOnTheDecimalDigits) {
    EXPECT_EQ(formatNumber(1234.567, "###,###,##0.00"), "1,234.57");
    EXPECT_EQ(formatNumber(1234.5, "###,###,##0"), "1,235");
    EXPECT_EQ(formatNumber(1234.4, "###,###,##0"), "1,234");
    EXPECT_EQ(formatNumber(-1234.5, "###,###,##0"), "-1,235");
    EXPECT_EQ(formatNumber(2.675, "0.00"), "2.68");
    EXPECT_EQ(formatNumber(1.005, "0.00"), "1.01");
    EXPECT_EQ(formatNumber(0.125, "0.00"), "0.13");
    EXPECT_EQ(formatNumber(2.5, "0"), "3");
    EXPECT_EQ(formatNumber(999.995, "#,##0.00"), "1,000.00");
    EXPECT_EQ(formatNumber(9.96, "0.0"), "10.0");
    EXPECT_EQ(formatNumber(0.0004, "0.000"), "0.000");
}

TEST(FormatNumber, RoundsOnTheFifteenDigitsTheRuntimeShows) {
    // 473.015-354.69 is held as 118.32499999999999; its 15 digits are 118.325.
    EXPECT_EQ(formatNumber(473.015 - 354.69, "$#,##0.00"), "$118.33");
    EXPECT_EQ(formatNumber(-(473.015 - 354.69), "$#,##0.00"), "-$118.33");
    EXPECT_EQ(formatNumber(0.1 + 0.7, "0.0000000000000000"), "0.8000000000000000");
    EXPECT_EQ(formatNumber(1.0 / 3.0, "0.00000000000000000"), "0.33333333333333300");
    EXPECT_EQ(formatNumber(12345678901234567.0, "#,##0"), "12,345,678,901,234,600");
    EXPECT_EQ(formatNumber((473.015 - 354.69) / 100, "0.00%"), "118.33%");
    EXPECT_EQ(formatNumber(-0.004999999999999999, "0.00"), "-0.01");
    EXPECT_EQ(Format(Variant(473.015 - 354.69), "$###,###,##0.00"), "$118.33");
    // CStr and the general form already show 15 digits.
    EXPECT_EQ(CStr(Variant(473.015 - 354.69)), "118.325");
    EXPECT_EQ(formatNumber(473.015 - 354.69, "General"), "118.325");
}

TEST(FormatNumber, ZeroShowsNoMinusSign) {
    EXPECT_EQ(formatNumber(-0.001, "0.00"), "0.00");
    EXPECT_EQ(formatNumber(-0.0, "0"), "0");
    EXPECT_EQ(formatNumber(-0.005, "0.00"), "-0.01");
}

TEST(FormatNumber, Percentages) {
    EXPECT_EQ(formatNumber(0.0125, "###,###,##0.0#%"), "1.25%");
    EXPECT_EQ(formatNumber(0.5, "###,###,##0.0#%"), "50.0%");
    EXPECT_EQ(formatNumber(2, "###,###,##0%"), "200%");
    EXPECT_EQ(formatNumber(0, "###,###,##0%"), "0%");
    EXPECT_EQ(formatNumber(12.3456, "###,###,##0.0#%"), "1,234.56%");
    EXPECT_EQ(formatNumber(-0.00125, "0.00%"), "-0.13%");
    EXPECT_EQ(formatNumber(0.29, "0%"), "29%");  // 0.29 * 100 is 28.999999999999996 in binary
}

TEST(FormatNumber, PlaceholdersAndLiterals) {
    EXPECT_EQ(formatNumber(5, "000"), "005");
    EXPECT_EQ(formatNumber(12345, "00"), "12345");
    EXPECT_EQ(formatNumber(0.5, "#.##"), ".5");
    EXPECT_EQ(formatNumber(0, "###"), "");
    EXPECT_EQ(formatNumber(1.5, "0.0#"), "1.5");
    EXPECT_EQ(formatNumber(1.25, "0.0#"), "1.25");
    EXPECT_EQ(formatNumber(1.2, "0.###"), "1.2");
    EXPECT_EQ(formatNumber(123456789, "000-00-0000"), "123-45-6789");
    EXPECT_EQ(formatNumber(1234.5, "\\#0.0 \"USD\""), "#1234.5 USD");
    EXPECT_EQ(formatNumber(1234.5, "[Red]#,##0.0"), "1,234.5");
    EXPECT_EQ(formatNumber(1e20, "#,##0"), "100,000,000,000,000,000,000");
    EXPECT_EQ(formatNumber(1234.5, ""), "1234.5");
}

TEST(FormatNumber, SectionsAndNamedForms) {
    EXPECT_EQ(formatNumber(-5, "#,##0.00;(#,##0.00)"), "(5.00)");
    EXPECT_EQ(formatNumber(0, "0.00;(0.00);\"zero\""), "zero");
    EXPECT_EQ(formatNumber(5, "0.00;(0.00);\"zero\""), "5.00");
    EXPECT_EQ(formatNumber(-1234.5, "Currency"), "($1,234.50)");
    EXPECT_EQ(formatNumber(1234.5, "Standard"), "1,234.50");
    EXPECT_EQ(formatNumber(0.1234, "Percent"), "12.34%");
    EXPECT_EQ(formatNumber(3, "fixed"), "3.00");
    EXPECT_EQ(formatNumber(1234.5, "General Number"), "1234.5");
}

TEST(FormatNumber, LocaleSeparators) {
    Locale german;
    german.decimalSeparator = ',';
    german.groupingSeparator = '.';
    setCurrentLocale(german);
    EXPECT_EQ(formatNumber(1234.5, "#,##0.00"), "1.234,50");
    setCurrentLocale(Locale{});
}

// Everything the number patterns produce must read back as the value shown.
TEST(FormatNumber, OutputReadsBackAsTheShownValue) {
    struct Case {
        double value;
        const char* pattern;
        double shown;
    };
    for (const Case& c :
         {Case{1234.5, "$###,###,##0.00", 1234.5}, Case{1234.5, "$###,###,##0", 1235},
          Case{-5, "$###,###,##0.00", -5}, Case{98765, "$###,###,##0", 98765},
          Case{1234.567, "###,###,##0.00", 1234.57}, Case{1234.5, "###,###,##0", 1235},
          Case{0.0125, "###,###,##0.0#%", 0.0125}, Case{0.5, "###,###,##0.0#%", 0.5},
          Case{2, "###,###,##0%", 2}, Case{0, "###,###,##0%", 0},
          Case{-1234567.891, "$###,###,##0.00", -1234567.89},
          Case{12.30, "$###,###,##0.00", 12.3}}) {
        const std::string text = formatNumber(c.value, c.pattern);
        ASSERT_TRUE(IsNumeric(text)) << text;
        EXPECT_DOUBLE_EQ(CDbl(text), c.shown) << text;
    }
}

TEST(FormatDate, ThePatternsInUse) {
    const Date date = *makeDate(2007, 3, 5, 14, 7, 9);
    EXPECT_EQ(formatDate(date, "mm/dd/yyyy"), "03/05/2007");
    EXPECT_EQ(formatDate(date, "m/d/yyyy"), "3/5/2007");
    EXPECT_EQ(formatDate(date, "dd-mmm-yyyy"), "05-Mar-2007");
    EXPECT_EQ(formatDate(date, "hh:mm:ss"), "14:07:09");
    EXPECT_EQ(formatDate(date, "h:nn"), "14:07");
    EXPECT_EQ(formatDate(date, "mmm d, yyyy h:mm AM/PM"), "Mar 5, 2007 2:07 PM");
    EXPECT_EQ(formatDate(date, "mmmm dd, yyyy hh:mm:ss"), "March 05, 2007 14:07:09");
    EXPECT_EQ(formatDate(date, "dddd, mmmm d, yyyy"), "Monday, March 5, 2007");
    EXPECT_EQ(formatDate(date, "ddd yy"), "Mon 07");
    EXPECT_EQ(formatDate(date, "h:mm am/pm"), "2:07 pm");
    EXPECT_EQ(formatDate(date, "h A/P"), "2 P");
    EXPECT_EQ(formatDate(date, "MM/DD/YYYY"), "03/05/2007");
    EXPECT_EQ(formatDate(date, "mm:ss"), "07:09");
    EXPECT_EQ(formatDate(date, "yyyy\\m\"at\"h"), "2007mat14");
    EXPECT_EQ(formatDate(*makeDate(2007, 3, 5, 0, 30), "h:mm AM/PM"), "12:30 AM");
    EXPECT_EQ(formatDate(*makeDate(2007, 3, 5, 12, 30), "hh:mm AMPM"), "12:30 PM");
}

TEST(FormatDate, NamedForms) {
    const Date date = *makeDate(2007, 3, 15, 14, 5);
    EXPECT_EQ(formatDate(date, "Short Date"), "3/15/2007");
    EXPECT_EQ(formatDate(date, "General Date"), "3/15/2007 2:05:00 PM");
    EXPECT_EQ(formatDate(date, "Long Date"), "Thursday, March 15, 2007");
    EXPECT_EQ(formatDate(date, "Medium Date"), "15-Mar-07");
    EXPECT_EQ(formatDate(date, "Long Time"), "2:05:00 PM");
    EXPECT_EQ(formatDate(date, "Short Time"), "14:05");
}

TEST(FormatDate, TheLocaleDateSeparator) {
    Locale dotted;
    dotted.dateSeparator = '.';
    setCurrentLocale(dotted);
    EXPECT_EQ(formatDate(*makeDate(2007, 3, 15), "mm/dd/yyyy"), "03.15.2007");
    setCurrentLocale(Locale{});
}

TEST(FormatDate, DateTextReadsBack) {
    const Date date = *makeDate(2007, 3, 5);
    for (const char* pattern :
         {"mm/dd/yyyy", "m/d/yyyy", "dd-mmm-yyyy", "mmmm d, yyyy", "Short Date"}) {
        EXPECT_EQ(parseDate(formatDate(date, pattern)), date) << pattern;
    }
}

TEST(Format, PicksByValue) {
    EXPECT_EQ(Format("1234.5", "$###,###,##0.00"), "$1,234.50");
    EXPECT_EQ(Format("#NODATA!", "$###,###,##0.00"), "#NODATA!");
    EXPECT_EQ(Format("-nan", "###,###,##0"), "-nan");
    EXPECT_EQ(Format("", "0.00"), "");
    EXPECT_EQ(Format("2007/03/15", "mm/dd/yyyy"), "03/15/2007");
    EXPECT_EQ(Format("2007/13/15", "mm/dd/yyyy"), "2007/13/15");
    EXPECT_EQ(Format(39156, "mm/dd/yyyy"), "03/15/2007");
    EXPECT_EQ(Format(Date{39156}, "0.0"), "39156.0");
    EXPECT_EQ(Format(Date{39156.5}), "3/15/2007 12:00:00 PM");
    EXPECT_EQ(Format(1234.5), "1234.5");
    EXPECT_EQ(Format(Variant(), "0.00"), "");
    EXPECT_EQ(Format(Variant::null(), "0.00"), "");
    EXPECT_EQ(Format(CellError::NA, "0.00"), "#N/A");
    EXPECT_EQ(Format(true, "0"), "-1");
    EXPECT_EQ(Format(true), "True");
    EXPECT_EQ(Format("abc", "\"[\"@\"]\""), "[abc]");
    EXPECT_EQ(Format(12.5, "@"), "12.5");
    EXPECT_EQ(Format(1e300, "mm/dd/yyyy"), "1E+300");
}

}  // namespace
}  // namespace kavex::base
