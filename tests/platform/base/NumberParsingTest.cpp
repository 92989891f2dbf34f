#include <gtest/gtest.h>

#include "platform/base/Conversions.h"
#include "platform/base/Locale.h"

namespace kavex::base {
namespace {

TEST(ParseNumber, AcceptsSignsCurrencyGroupingAndExponent) {
    EXPECT_EQ(parseNumber("12.5"), 12.5);
    EXPECT_EQ(parseNumber("  -12.5\t"), -12.5);
    EXPECT_EQ(parseNumber("+3"), 3.0);
    EXPECT_EQ(parseNumber("$1,234.50"), 1234.5);
    EXPECT_EQ(parseNumber("-$5.00"), -5.0);
    EXPECT_EQ(parseNumber("$-5.00"), -5.0);
    EXPECT_EQ(parseNumber("1,234,567"), 1234567.0);
    EXPECT_EQ(parseNumber("1E+20"), 1e20);
    EXPECT_EQ(parseNumber("1.5e-7"), 1.5e-7);
    EXPECT_EQ(parseNumber(".5"), 0.5);
    EXPECT_EQ(parseNumber("5."), 5.0);
    EXPECT_EQ(parseNumber("0001"), 1.0);
}

TEST(ParseNumber, PercentDividesByHundred) {
    EXPECT_EQ(parseNumber("50.0%"), 0.5);
    EXPECT_EQ(parseNumber("1.25%"), 0.0125);
    EXPECT_EQ(parseNumber("200%"), 2.0);
    EXPECT_EQ(parseNumber("-1,250%"), -12.5);
}

TEST(ParseNumber, RefusesWhatIsNoNumber) {
    for (const char* text :
         {"",     "   ",       "#NODATA!", "#INVALID!", "N/A",    "-nan",    "nan", "NaN",
          "inf",  "-Infinity", "$",        "-",         "+-5",    "--5",     "5-",  "(5)",
          "1,23", "1,2345",    ",123",     "123,",      "1,,234", "12,34.5", "1e",  "1e+",
          "5 5",  "5%%",       "$$5",      "0x10",      "1.2.3",  "1E400",   "abc"}) {
        EXPECT_FALSE(parseNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(ParseNumber, TinyExponentsReadAsZero) {
    EXPECT_EQ(parseNumber("1e-400"), 0.0);
    EXPECT_EQ(parseNumber("1e-00000000005"), 1e-5);
}

TEST(ParseNumber, ReadsTheLocaleSeparators) {
    Locale german;
    german.decimalSeparator = ',';
    german.groupingSeparator = '.';
    german.currencySymbol = "EUR";
    setCurrentLocale(german);
    EXPECT_EQ(parseNumber("EUR1.234,5"), 1234.5);
    EXPECT_FALSE(parseNumber("1,234.5").has_value());
    setCurrentLocale(Locale{});
}

TEST(IsNumeric, FollowsTheValueKind) {
    EXPECT_TRUE(IsNumeric(Variant(3.5)));
    EXPECT_TRUE(IsNumeric(Variant(true)));
    EXPECT_TRUE(IsNumeric(Variant()));
    EXPECT_TRUE(IsNumeric(Variant(" $1,234.50 ")));
    EXPECT_FALSE(IsNumeric(Variant("#NODATA!")));
    EXPECT_FALSE(IsNumeric(Variant::null()));
    EXPECT_FALSE(IsNumeric(Variant(Date{39156})));
    EXPECT_FALSE(IsNumeric(Variant(CellError::NA)));
}

}  // namespace
}  // namespace kavex::base
