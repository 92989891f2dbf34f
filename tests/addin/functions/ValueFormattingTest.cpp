#include "addin/functions/ValueFormatting.h"

#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "platform/base/Conversions.h"

namespace kavex::addin::functions {
namespace {

using base::Variant;

// Sets the price pattern as the configuration load does for a decimal count, and restores the
// default afterwards.
class ValueFormattingTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = core::PriceFormat; }
    void TearDown() override { core::PriceFormat = saved_; }
    static void useDecimals(int decimals) {
        core::PriceFormat = "$###,###,##0";
        if (decimals > 0)
            core::PriceFormat += "." + std::string(decimals, '0');
    }

  private:
    std::string saved_;
};

TEST_F(ValueFormattingTest, CurrencyFollowsTheConfiguredDecimalsAtEachCall) {
    useDecimals(2);
    EXPECT_EQ(FormatValue("1234.5", "currency"), "$1,234.50");
    EXPECT_EQ(FormatValue("-5", "currency"), "-$5.00");
    EXPECT_EQ(FormatValue("0", "currency"), "$0.00");
    useDecimals(0);
    EXPECT_EQ(FormatValue("1234.5", "currency"), "$1,235");
    EXPECT_EQ(FormatValue("-1234.5", "currency"), "-$1,235");
    EXPECT_EQ(FormatValue("0.4", "currency"), "$0");
    useDecimals(4);
    EXPECT_EQ(FormatValue("1234.5", "currency"), "$1,234.5000");
    EXPECT_EQ(FormatValue("0.00005", "currency"), "$0.0001");
}

TEST_F(ValueFormattingTest, OtherClassesIgnoreTheConfiguredDecimals) {
    for (int decimals : {0, 2, 4}) {
        useDecimals(decimals);
        SCOPED_TRACE(decimals);
        EXPECT_EQ(FormatValue("98765", "wholecurrency"), "$98,765");
        EXPECT_EQ(FormatValue("98765.5", "wholecurrency"), "$98,766");
        EXPECT_EQ(FormatValue("1234.567", "number"), "1,234.57");
        EXPECT_EQ(FormatValue("1234567.891", "number"), "1,234,567.89");
        EXPECT_EQ(FormatValue("1234.5", "wholenumber"), "1,235");
        EXPECT_EQ(FormatValue("1234.4", "wholenumber"), "1,234");
        EXPECT_EQ(FormatValue("-1234.5", "wholenumber"), "-1,235");
        EXPECT_EQ(FormatValue("0.0125", "percentage"), "1.25%");
        EXPECT_EQ(FormatValue("20070315", "date"), "03/15/2007");
    }
}

TEST_F(ValueFormattingTest, PercentageShowsDecimalsOnlyForAFractionalRatio) {
    EXPECT_EQ(FormatValue("0.0125", "percentage"), "1.25%");
    EXPECT_EQ(FormatValue("0.5", "percentage"), "50.0%");
    EXPECT_EQ(FormatValue("2", "percentage"), "200%");
    EXPECT_EQ(FormatValue("1", "percentage"), "100%");
    EXPECT_EQ(FormatValue("0", "percentage"), "0%");
    EXPECT_EQ(FormatValue("-2", "percentage"), "-200%");
    EXPECT_EQ(FormatValue("-0.025", "percentage"), "-2.5%");
}

TEST_F(ValueFormattingTest, DateReadsEightDigitsAsYearMonthDay) {
    EXPECT_EQ(FormatValue("20070315", "date"), "03/15/2007");
    EXPECT_EQ(FormatValue("00000000", "date"), "00000000");
    EXPECT_EQ(FormatValue("20071315", "date"), "20071315");
    EXPECT_EQ(FormatValue("20070230", "date"), "20070230");
    EXPECT_EQ(FormatValue("2007-03-15", "date"), "2007-03-15");
    EXPECT_EQ(FormatValue("2007031", "date"), "2007031");
    EXPECT_EQ(FormatValue("-2007031", "date"), "-2007031");
}

TEST_F(ValueFormattingTest, ErrorWordsAndTextPassEveryClassUnchanged) {
    for (const char* cls :
         {"currency", "wholecurrency", "number", "wholenumber", "date", "percentage"}) {
        SCOPED_TRACE(cls);
        for (const char* word : {"#NODATA!", "#INVALID!", "#ERROR!", "#NAME!", "N/A", "-nan", "",
                                 "   ", "ACME Corp"}) {
            EXPECT_EQ(FormatValue(word, cls), word);
        }
    }
}

TEST_F(ValueFormattingTest, UnknownClassOrOtherLetterCaseReturnsTheValueAsItIs) {
    EXPECT_EQ(FormatValue("1234.5", "Currency"), "1234.5");
    EXPECT_EQ(FormatValue("1234.5", ""), "1234.5");
    EXPECT_EQ(FormatValue(" 1234.5 ", "money"), " 1234.5 ");
}

TEST_F(ValueFormattingTest, OverflowingNumbersAreLeftAsText) {
    EXPECT_EQ(FormatValue("1e999", "currency"), "1e999");
    EXPECT_EQ(FormatValue("-1e999", "percentage"), "-1e999");
    // The arithmetic treats them as the text they are, like any other non-numeric operand.
    EXPECT_EQ(SubtractValues("1e999", "1e999"), Variant("1e999"));
    EXPECT_EQ(SubtractValues("2", "-1e999"), Variant("-1e999"));
    EXPECT_EQ(DivideValues("5", "1e999"), Variant("1e999"));
    EXPECT_EQ(DivideValues("1e999", "0"), Variant("1e999"));
}

TEST_F(ValueFormattingTest, FormattedTextsReadBackAsNumbers) {
    useDecimals(2);
    for (const char* cls : {"currency", "wholecurrency", "number", "wholenumber"}) {
        SCOPED_TRACE(cls);
        std::string shown = FormatValue("-1234567.5", cls);
        ASSERT_TRUE(base::IsNumeric(Variant(shown))) << shown;
        EXPECT_NEAR(base::CDbl(Variant(shown)), -1234567.5, 0.51);
    }
}

TEST_F(ValueFormattingTest, FormatsANumberResultThroughItsText) {
    useDecimals(2);
    EXPECT_EQ(FormatValue(Variant(8.5), "currency"), "$8.50");
    EXPECT_EQ(FormatValue(Variant(0.2), "percentage"), "20.0%");
    EXPECT_EQ(FormatValue(Variant("#NODATA!"), "currency"), "#NODATA!");
}

TEST(SubtractValuesTest, SubtractsNumbersAndPassesTheFirstNonNumericOperand) {
    EXPECT_EQ(SubtractValues("10.5", "2"), Variant(8.5));
    EXPECT_EQ(SubtractValues("$1,234.50", "0.5"), Variant(1234.0));
    EXPECT_EQ(SubtractValues("#NODATA!", "2"), Variant("#NODATA!"));
    EXPECT_EQ(SubtractValues("10.5", "#INVALID!"), Variant("#INVALID!"));
    EXPECT_EQ(SubtractValues("#NODATA!", "#INVALID!"), Variant("#NODATA!"));
    EXPECT_EQ(SubtractValues("", "2"), Variant(""));
}

TEST(DivideValuesTest, DividesNumbersRefusesZeroAndPassesNonNumericOperands) {
    ASSERT_TRUE(DivideValues("$12.30", "123").isNumber());
    EXPECT_DOUBLE_EQ(DivideValues("$12.30", "123").number(), 0.1);
    EXPECT_EQ(DivideValues("5", "0"), Variant("#ERROR!"));
    EXPECT_EQ(DivideValues("5", "$0.00"), Variant("#ERROR!"));
    EXPECT_EQ(DivideValues("#NODATA!", "0"), Variant("#NODATA!"));
    EXPECT_EQ(DivideValues("5", "N/A"), Variant("N/A"));
}

}  // namespace
}  // namespace kavex::addin::functions
