#include <gtest/gtest.h>

#include <limits>

#include "platform/base/Conversions.h"
#include "tests/platform/base/ErrorNumber.h"

namespace kavex::base {
namespace {

using testing::errorNumber;

TEST(CStr, NumbersInTheShortFormWithFifteenDigits) {
    EXPECT_EQ(CStr(1234.5), "1234.5");
    EXPECT_EQ(CStr(0.1), "0.1");
    EXPECT_EQ(CStr(0.1 + 0.2), "0.3");
    EXPECT_EQ(CStr(-42), "-42");
    EXPECT_EQ(CStr(0.0), "0");
    EXPECT_EQ(CStr(-0.0), "0");
    EXPECT_EQ(CStr(1e20), "1E+20");
    EXPECT_EQ(CStr(1.5e20), "1.5E+20");
    EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(CStr(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(CStr(0.0001), "0.0001");
    EXPECT_EQ(CStr(0.00001), "1E-05");
    EXPECT_EQ(CStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(CStr(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(CStr(100.0), "100");
}

TEST(CStr, OtherKinds) {
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(false), "False");
    EXPECT_EQ(CStr(Variant()), "");
    EXPECT_EQ(CStr("abc"), "abc");
    EXPECT_EQ(errorNumber([] { CStr(Variant::null()); }), errors::InvalidUseOfNull);
    EXPECT_EQ(errorNumber([] { CStr(CellError::NA); }), errors::TypeMismatch);
}

TEST(CStr, NumbersReadBack) {
    for (double value : {1234.5, 0.1, -7.25, 1e20, 1.5e-7, 987654321.125, 3e-300}) {
        const auto back = parseNumber(CStr(value));
        ASSERT_TRUE(back.has_value()) << CStr(value);
        EXPECT_DOUBLE_EQ(*back, value);
    }
}

TEST(CDbl, ConvertsOrRaises) {
    EXPECT_EQ(CDbl("$1,234.50"), 1234.5);
    EXPECT_EQ(CDbl(true), -1.0);
    EXPECT_EQ(CDbl(Variant()), 0.0);
    EXPECT_EQ(CDbl(Date{39156.5}), 39156.5);
    EXPECT_EQ(errorNumber([] { CDbl("#NODATA!"); }), errors::TypeMismatch);
    EXPECT_EQ(errorNumber([] { CDbl(""); }), errors::TypeMismatch);
    EXPECT_EQ(errorNumber([] { CDbl("-nan"); }), errors::TypeMismatch);
    EXPECT_EQ(errorNumber([] { CDbl(CellError::Value); }), errors::TypeMismatch);
    EXPECT_EQ(errorNumber([] { CDbl(Variant::null()); }), errors::InvalidUseOfNull);
}

TEST(CLng, RoundsHalfToEvenAndChecksRange) {
    EXPECT_EQ(CLng(2.5), 2);
    EXPECT_EQ(CLng(3.5), 4);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(-3.5), -4);
    EXPECT_EQ(CLng(2.6), 3);
    EXPECT_EQ(CLng("1,234.5"), 1234);
    EXPECT_EQ(CLng(2147483647.0), 2147483647L);
    EXPECT_EQ(CLng(-2147483648.0), -2147483648L);
    EXPECT_EQ(errorNumber([] { CLng(2147483647.5); }), errors::Overflow);
    EXPECT_EQ(errorNumber([] { CLng(-2147483649.0); }), errors::Overflow);
    EXPECT_EQ(errorNumber([] { CLng(std::numeric_limits<double>::quiet_NaN()); }),
              errors::Overflow);
    EXPECT_EQ(errorNumber([] { CLng("abc"); }), errors::TypeMismatch);
}

TEST(CInt, SixteenBitRange) {
    EXPECT_EQ(CInt(0.5), 0);
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(32767), 32767);
    EXPECT_EQ(errorNumber([] { CInt(32768); }), errors::Overflow);
    EXPECT_EQ(errorNumber([] { CInt(-32768.6); }), errors::Overflow);
    EXPECT_EQ(errorNumber([] { CInt("#N/A"); }), errors::TypeMismatch);
}

TEST(CBool, TextAndNumbers) {
    EXPECT_TRUE(CBool("TRUE"));
    EXPECT_FALSE(CBool("false"));
    EXPECT_TRUE(CBool("-1"));
    EXPECT_FALSE(CBool(0));
    EXPECT_TRUE(CBool(0.1));
    EXPECT_EQ(errorNumber([] { CBool("yes"); }), errors::TypeMismatch);
}

}  // namespace
}  // namespace kavex::base
