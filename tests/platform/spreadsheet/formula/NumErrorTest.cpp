#include <gtest/gtest.h>

#include <string>

#include "platform/spreadsheet/formula/Formula.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using base::CellError;
using testing::FakeWorkbook;

class FormulaNumError : public ::testing::Test {
  protected:
    Variant eval(std::string_view text) { return book.eval(text); }
    FakeWorkbook book;
};

TEST_F(FormulaNumError, TheErrorValueHasTheSpreadsheetsTextAndNumber) {
    EXPECT_EQ(base::cellErrorText(CellError::Num), "#NUM!");
    EXPECT_EQ(static_cast<int>(CellError::Num), 2036);
    EXPECT_EQ(static_cast<int>(CellError::NA), 2042);
    EXPECT_EQ(static_cast<int>(CellError::Div0), 2007);
    EXPECT_EQ(static_cast<int>(CellError::Value), 2015);
    EXPECT_EQ(static_cast<int>(CellError::Ref), 2023);
    EXPECT_EQ(static_cast<int>(CellError::Name), 2029);
    // Written in a formula it is read and shown again.
    EXPECT_EQ(eval("#NUM!"), Variant(CellError::Num));
    EXPECT_EQ(eval("#num!+1"), Variant(CellError::Num));
    EXPECT_EQ(render(parse("IF(A1,#num!,1)")), "IF(A1,#NUM!,1)");
}

TEST_F(FormulaNumError, AggregatesRefuseAResultThatIsNoFiniteNumber) {
    EXPECT_EQ(eval("SUM(1E308,1E308)"), Variant(CellError::Num));
    EXPECT_EQ(eval("SUM(-1E308,-1E308)"), Variant(CellError::Num));
    EXPECT_EQ(eval("AVERAGE(1E308,1E308)"), Variant(CellError::Num));
    book.set("A1", 1e308);
    book.set("A2", 1e308);
    EXPECT_EQ(eval("SUM(A1:A2)"), Variant(CellError::Num));
    EXPECT_EQ(eval("AVERAGE(A1:A2)"), Variant(CellError::Num));
    EXPECT_EQ(eval("SUM(A1:A2)&\"\""), Variant(CellError::Num));
    EXPECT_EQ(eval("ISNUMBER(SUM(A1:A2))"), Variant(false));
    // Sums that stay finite are untouched.
    EXPECT_EQ(eval("SUM(1E308,-1E308)"), Variant(0.0));
    EXPECT_EQ(eval("AVERAGE(1E308,1E307)"), Variant(5.5e307));
}

TEST_F(FormulaNumError, OperatorsGiveNumWhereTheResultIsNoNumber) {
    EXPECT_EQ(eval("0^0"), Variant(CellError::Num));
    EXPECT_EQ(eval("(-8)^(1/3)"), Variant(CellError::Num));
    EXPECT_EQ(eval("2^1024"), Variant(CellError::Num));
    EXPECT_EQ(eval("1E200*1E200"), Variant(CellError::Num));
    EXPECT_EQ(eval("-1E308-1E308"), Variant(CellError::Num));
    EXPECT_EQ(eval("1E308/1E-10"), Variant(CellError::Num));
    EXPECT_EQ(eval("0^-1"), Variant(CellError::Div0));  // still a division by zero
    EXPECT_EQ(eval("(-8)^3"), Variant(-512.0));
}

TEST_F(FormulaNumError, RoundingPastTheLargestNumberIsNum) {
    EXPECT_EQ(eval("ROUND(1.7E308,-308)"), Variant(CellError::Num));
    EXPECT_EQ(eval("ROUND(-1.7E308,-308)"), Variant(CellError::Num));
    EXPECT_EQ(eval("ROUND(1.2E308,-308)"), Variant(1e308));
}

// Rounding to a power of ten past the largest number gives 0, as the number has no digit there.
TEST_F(FormulaNumError, RoundingToAPowerPastTheLargestNumberIsZero) {
    EXPECT_EQ(eval("ROUND(5E307,-400)"), Variant(0.0));
    EXPECT_EQ(eval("ROUND(1E308,-309)"), Variant(0.0));
    EXPECT_EQ(eval("ROUND(-1.7E308,-309)"), Variant(0.0));
    EXPECT_EQ(eval("ROUND(5E307,-308)"), Variant(1e308));
    EXPECT_EQ(eval("ROUND(4E307,-308)"), Variant(0.0));
}

TEST_F(FormulaNumError, TheInformationFunctionsKnowIt) {
    EXPECT_EQ(eval("ISERROR(2^1024)"), Variant(true));
    EXPECT_EQ(eval("ISERROR(#NUM!)"), Variant(true));
    EXPECT_EQ(eval("ISNUMBER(2^1024)"), Variant(false));
    EXPECT_EQ(eval("IFERROR(0^0,\"none\")"), Variant("none"));
    EXPECT_EQ(eval("ISTEXT(#NUM!)"), Variant(false));
    EXPECT_EQ(eval("SUM(1,#NUM!)"), Variant(CellError::Num));
    EXPECT_EQ(eval("COUNT(1,#NUM!)"), Variant(1.0));
}

}  // namespace
}  // namespace kavex::formula
