#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

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

// Every number reads as the double nearest to the decimal it writes, to the last bit and sign:
// short ones, long ones, grouped, with decimals, exponents and percent signs.
TEST(ParseNumber, ReadsEveryNumberAsTheDoubleNearestItsDecimal) {
    std::mt19937 random(20240506);
    const auto digits = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    const auto upTo = [&](int most) { return static_cast<int>(random() % (most + 1)); };
    for (int round = 0; round < 20000; ++round) {
        const bool negative = random() % 3 == 0;
        std::string integer = digits(upTo(round % 2 == 0 ? 6 : 20));
        std::string fraction = digits(upTo(round % 3 == 0 ? 4 : 20));
        if (integer.empty() && fraction.empty()) {
            integer = "0";
        }
        const bool percent = random() % 4 == 0;
        const bool withExponent = random() % 5 == 0;
        const int exponent = withExponent ? upTo(60) - 30 : 0;

        std::string text = negative ? "-$" : "$";
        const bool grouped = random() % 2 == 0;
        for (std::size_t i = 0; i < integer.size(); ++i) {
            if (grouped && i > 0 && (integer.size() - i) % 3 == 0) {
                text += ',';
            }
            text += integer[i];
        }
        if (!fraction.empty() || random() % 2 == 0) {
            text += '.' + fraction;
        }
        if (withExponent) {
            text += "E" + std::to_string(exponent);
        }
        if (percent) {
            text += '%';
        }

        const std::string decimal = (integer.empty() ? "0" : integer) + "." + fraction + "0e" +
                                    std::to_string(exponent - (percent ? 2 : 0));
        double expected = 0;
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), expected);
        if (negative) {
            expected = -expected;
        }
        const auto read = parseNumber(text);
        ASSERT_TRUE(read.has_value()) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*read), std::bit_cast<std::uint64_t>(expected))
            << text << " read as " << *read << ", not " << expected;
    }
    EXPECT_TRUE(std::signbit(*parseNumber("-0.00")));
    EXPECT_TRUE(std::signbit(*parseNumber("-$0%")));
    EXPECT_EQ(parseNumber("107,450.0%"), 1074.5);
    EXPECT_EQ(parseNumber("$1,037.25"), 1037.25);
    EXPECT_EQ(parseNumber("0.1"), 0.1);
    EXPECT_EQ(parseNumber("123456789012345678"), 123456789012345678.0);
    EXPECT_EQ(parseNumber("0.000000000000000000000000012345"), 1.2345e-26);
}

// A number entered into the spreadsheet keeps 15 significant digits, rounded on the decimal
// digits written (not on the double the full text would make), so that the value is the one the
// cell shows.
TEST(ParseEnteredNumber, KeepsTheFifteenDigitsACellShows) {
    EXPECT_EQ(parseEnteredNumber("12345678901234567"), 12345678901234600.0);
    EXPECT_EQ(parseEnteredNumber("1.0000000000000002"), 1.0);
    EXPECT_EQ(parseEnteredNumber("-1.0000000000000002"), -1.0);
    // The sixteenth digit decides, halves away from zero, though the double nearest to the whole
    // text (1.0000000000000048...) would round down.
    EXPECT_EQ(parseEnteredNumber("1.000000000000005"), 1.00000000000001);
    EXPECT_EQ(parseEnteredNumber("1.00000000000000049999"), 1.0);
    EXPECT_EQ(parseEnteredNumber("9999999999999999"), 1e16);
    EXPECT_EQ(parseEnteredNumber("0.000123456789012345678"), 0.000123456789012346);
    EXPECT_EQ(parseEnteredNumber("$1,234,567,890,123,456.78"), 1234567890123460.0);
    EXPECT_EQ(parseEnteredNumber("12.3456789012345678%"), 0.123456789012346);
    EXPECT_EQ(parseEnteredNumber("1.23456789012345678E-5"), 1.23456789012346e-5);
    // Fifteen digits or fewer are read as parseNumber reads them.
    EXPECT_EQ(parseEnteredNumber("0.1"), 0.1);
    EXPECT_EQ(parseEnteredNumber("-$1,000.50"), -1000.5);
    EXPECT_EQ(parseEnteredNumber("123456789012345"), 123456789012345.0);
    EXPECT_EQ(parseEnteredNumber("1.79769313486231E+308"), 1.79769313486231e308);
    EXPECT_TRUE(std::signbit(*parseEnteredNumber("-0.00")));
    // Rounding past the largest number leaves no number.
    EXPECT_FALSE(parseEnteredNumber("1.7976931348623157E+308").has_value());
    EXPECT_FALSE(parseEnteredNumber("-1.7976931348623157E+308").has_value());
    EXPECT_FALSE(parseEnteredNumber("(5)").has_value());
    EXPECT_FALSE(parseEnteredNumber("abc").has_value());
    // The runtime's own reading keeps every digit.
    EXPECT_EQ(parseNumber("12345678901234567"), 12345678901234567.0);
    EXPECT_EQ(parseNumber("1.0000000000000002"), 1.0000000000000002);
}

// What a cell keeps is what it shows: the fifteen digits of the value read back as that value.
TEST(ParseEnteredNumber, TheValueReadsBackFromTheDigitsShown) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string text = round % 2 == 0 ? "" : "-";
        const int length = 1 + static_cast<int>(random() % 20);
        for (int i = 0; i < length; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        text += "E" + std::to_string(static_cast<int>(random() % 580) - 300);
        const auto value = parseEnteredNumber(text);
        ASSERT_TRUE(value.has_value()) << text;
        EXPECT_EQ(parseEnteredNumber(numberToText(*value)), *value) << text;
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
