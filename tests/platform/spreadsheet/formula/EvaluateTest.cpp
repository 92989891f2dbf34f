#include <gtest/gtest.h>

#include <string>

#include "platform/base/Date.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using base::CellError;
using testing::FakeWorkbook;

class FormulaEvaluate : public ::testing::Test {
  protected:
    Variant eval(std::string_view text) { return book.eval(text); }
    FakeWorkbook book;
};

TEST_F(FormulaEvaluate, OperatorsFollowTheSpreadsheetsPrecedence) {
    EXPECT_EQ(eval("1+2*3"), Variant(7.0));
    EXPECT_EQ(eval("(1+2)*3"), Variant(9.0));
    EXPECT_EQ(eval("-2^2"), Variant(4.0));  // the sign binds tighter than ^
    EXPECT_EQ(eval("0-2^2"), Variant(-4.0));
    EXPECT_EQ(eval("2^3^2"), Variant(64.0));  // left to right
    EXPECT_EQ(eval("2*3^2"), Variant(18.0));
    EXPECT_EQ(eval("18/3^2"), Variant(2.0));
    EXPECT_EQ(eval("-3^2*2"), Variant(18.0));
    EXPECT_EQ(eval("50%^2"), Variant(0.25));
    EXPECT_EQ(eval("8/2/2"), Variant(2.0));
    EXPECT_EQ(eval("10-2-3"), Variant(5.0));
    EXPECT_EQ(eval("2^-1"), Variant(0.5));
    EXPECT_EQ(eval("2*50%"), Variant(1.0));
    EXPECT_EQ(eval("200%%"), Variant(0.02));
    EXPECT_EQ(eval("1+2&3"), Variant("33"));    // & below arithmetic
    EXPECT_EQ(eval("1&2=12"), Variant(false));  // = below &: the text "12" is not the number 12
    EXPECT_EQ(eval("1+1=2"), Variant(true));
    EXPECT_EQ(eval("--1"), Variant(1.0));
    EXPECT_EQ(eval("1--1"), Variant(2.0));
}

TEST_F(FormulaEvaluate, TextThatReadsAsANumberTakesPartInArithmetic) {
    EXPECT_EQ(eval("\"5\"+1"), Variant(6.0));
    EXPECT_EQ(eval("\"$1,000.00\"*2"), Variant(2000.0));
    EXPECT_EQ(eval("-\" 12 \""), Variant(-12.0));
    EXPECT_EQ(eval("\"abc\"+1"), Variant(CellError::Value));
    EXPECT_EQ(eval("\"\"+1"), Variant(CellError::Value));
    EXPECT_EQ(eval("TRUE+1"), Variant(2.0));
    EXPECT_EQ(eval("\"TRUE\"+1"), Variant(CellError::Value));
    book.set("A1", "7");
    EXPECT_EQ(eval("A1*2"), Variant(14.0));
    // Unary plus leaves the value as it is.
    EXPECT_EQ(eval("+\"5\""), Variant("5"));
}

TEST_F(FormulaEvaluate, EmptyCellsAreZeroOrEmptyText) {
    EXPECT_EQ(eval("A1+1"), Variant(1.0));
    EXPECT_EQ(eval("A1&\"x\""), Variant("x"));
    EXPECT_EQ(eval("A1=0"), Variant(true));
    EXPECT_EQ(eval("A1=\"\""), Variant(true));
    EXPECT_EQ(eval("A1=FALSE"), Variant(true));
    // A formula that only points at an empty cell shows 0.
    EXPECT_EQ(eval("A1"), Variant(0.0));
    EXPECT_EQ(eval("(A1)"), Variant(0.0));
}

TEST_F(FormulaEvaluate, JoinsTheGeneralFormOfValues) {
    EXPECT_EQ(eval("1234.5&\"\""), Variant("1234.5"));
    EXPECT_EQ(eval("0.1+0.2&\"\""), Variant("0.3"));
    EXPECT_EQ(eval("1/3&\"\""), Variant("0.333333333333333"));
    EXPECT_EQ(eval("-1E20&\"\""), Variant("-1E+20"));
    EXPECT_EQ(eval("1E-12&\"\""), Variant("1E-12"));
    EXPECT_EQ(eval("0.0001&\"\""), Variant("0.0001"));
    EXPECT_EQ(eval("100&\"\""), Variant("100"));
    EXPECT_EQ(eval("TRUE&FALSE"), Variant("TRUEFALSE"));
    book.set("B1", base::Date{39156.0});
    EXPECT_EQ(eval("B1&\"\""), Variant("39156"));
    EXPECT_EQ(eval("B1+1"), Variant(39157.0));
}

TEST_F(FormulaEvaluate, ComparesAsTheSpreadsheetDoes) {
    EXPECT_EQ(eval("\"abc\"=\"ABC\""), Variant(true));
    EXPECT_EQ(eval("\"a\"<\"B\""), Variant(true));
    EXPECT_EQ(eval("\"b\"<>\"B\""), Variant(false));
    EXPECT_EQ(eval("1<\"0\""), Variant(true));     // numbers before text
    EXPECT_EQ(eval("\"z\"<TRUE"), Variant(true));  // text before logical values
    EXPECT_EQ(eval("\"5\"=5"), Variant(false));
    EXPECT_EQ(eval("2>=2"), Variant(true));
    EXPECT_EQ(eval("2<=1"), Variant(false));
    EXPECT_EQ(eval("FALSE<TRUE"), Variant(true));
}

TEST_F(FormulaEvaluate, ErrorsPropagate) {
    EXPECT_EQ(eval("1/0"), Variant(CellError::Div0));
    EXPECT_EQ(eval("1/0+1"), Variant(CellError::Div0));
    EXPECT_EQ(eval("#N/A&\"x\""), Variant(CellError::NA));
    EXPECT_EQ(eval("#N/A+#REF!"), Variant(CellError::NA));  // the left one wins
    EXPECT_EQ(eval("-#VALUE!"), Variant(CellError::Value));
    EXPECT_EQ(eval("#DIV/0!%"), Variant(CellError::Div0));
    EXPECT_EQ(eval("#N/A=1"), Variant(CellError::NA));
    EXPECT_EQ(eval("LEN(#N/A)"), Variant(CellError::NA));
    EXPECT_EQ(eval("CONCATENATE(\"a\",1/0)"), Variant(CellError::Div0));
    EXPECT_EQ(eval("0^-1"), Variant(CellError::Div0));
    EXPECT_EQ(eval("1E200*1E200"), Variant(CellError::Num));  // overflow is no number
    book.set("A2", CellError::NA);
    EXPECT_EQ(eval("SUM(A1:A3)"), Variant(CellError::NA));
    EXPECT_EQ(eval("A2*0"), Variant(CellError::NA));
    // ISERROR and IFERROR stop them.
    EXPECT_EQ(eval("ISERROR(1/0)"), Variant(true));
    EXPECT_EQ(eval("ISERROR(A2)"), Variant(true));
    EXPECT_EQ(eval("ISERROR(1)"), Variant(false));
    EXPECT_EQ(eval("IFERROR(1/0,\"none\")"), Variant("none"));
    EXPECT_EQ(eval("IFERROR(4,\"none\")"), Variant(4.0));
}

TEST_F(FormulaEvaluate, LogicalFunctions) {
    book.set("A1", true);
    EXPECT_EQ(eval("IF(A1,\"yes\",\"no\")"), Variant("yes"));
    EXPECT_EQ(eval("IF(0,\"yes\",\"no\")"), Variant("no"));
    EXPECT_EQ(eval("IF(FALSE,1)"), Variant(false));
    EXPECT_EQ(eval("IF(A1,,1)"), Variant(0.0));
    EXPECT_EQ(eval("IF(A1,,1)&\"\""), Variant("0"));
    EXPECT_EQ(eval("IF(\"true\",1,2)"), Variant(1.0));
    EXPECT_EQ(eval("IF(\"x\",1,2)"), Variant(CellError::Value));
    EXPECT_EQ(eval("IF(1/0,1,2)"), Variant(CellError::Div0));
    // Only the branch taken is evaluated.
    EXPECT_EQ(eval("IF(TRUE,1,NoSuchFunction())"), Variant(1.0));
    EXPECT_TRUE(book.calledNames.empty());

    EXPECT_EQ(eval("AND(TRUE,1,\"TRUE\")"), Variant(true));
    EXPECT_EQ(eval("AND(TRUE,0)"), Variant(false));
    EXPECT_EQ(eval("OR(FALSE,0)"), Variant(false));
    EXPECT_EQ(eval("OR(FALSE,2)"), Variant(true));
    EXPECT_EQ(eval("AND(\"x\")"), Variant(CellError::Value));
    EXPECT_EQ(eval("OR(#N/A,TRUE)"), Variant(CellError::NA));
    book.set("B1", "text");
    book.set("B2", false);
    EXPECT_EQ(eval("OR(B1:B3)"), Variant(false));  // text and empty cells in an area are skipped
    EXPECT_EQ(eval("AND(B1)"), Variant(CellError::Value));  // nothing logical left
    EXPECT_EQ(eval("NOT(A1)"), Variant(false));
    EXPECT_EQ(eval("NOT(0)"), Variant(true));
}

TEST_F(FormulaEvaluate, TextFunctions) {
    EXPECT_EQ(eval("\"say \"\"hi\"\"\""), Variant("say \"hi\""));
    EXPECT_EQ(eval("LEN(\"\"\"\")"), Variant(1.0));
    EXPECT_EQ(eval("\t\"a\"\n&\r\"b\" "), Variant("ab"));  // blanks of every kind between tokens
    EXPECT_EQ(eval("TRIM(\"  a   b  \")"), Variant("a b"));
    EXPECT_EQ(eval("TRIM(B5)=\"\""), Variant(true));
    EXPECT_EQ(eval("LEN(\"h\xC3\xA9llo\")"), Variant(5.0));
    EXPECT_EQ(eval("LEN(1.5)"), Variant(3.0));
    EXPECT_EQ(eval("LEN(B5)"), Variant(0.0));
    EXPECT_EQ(eval("UPPER(\"abC1\")"), Variant("ABC1"));
    EXPECT_EQ(eval("LOWER(\"AbC\")"), Variant("abc"));
    EXPECT_EQ(eval("CONCATENATE(\"a\",1,TRUE,B5)"), Variant("a1TRUE"));
    EXPECT_EQ(eval("LEFT(\"abc\")"), Variant("a"));
    EXPECT_EQ(eval("LEFT(\"abc\",2)"), Variant("ab"));
    EXPECT_EQ(eval("LEFT(1234,2)"), Variant("12"));
    EXPECT_EQ(eval("RIGHT(\"abc\",5)"), Variant("abc"));
    EXPECT_EQ(eval("RIGHT(\"h\xC3\xA9\",1)"), Variant("\xC3\xA9"));
    EXPECT_EQ(eval("LEFT(\"abc\",-1)"), Variant(CellError::Value));
    EXPECT_EQ(eval("MID(\"abcdef\",2,3)"), Variant("bcd"));
    EXPECT_EQ(eval("MID(\"abc\",5,3)"), Variant(""));
    EXPECT_EQ(eval("MID(\"abc\",0,1)"), Variant(CellError::Value));
    EXPECT_EQ(eval("VALUE(\"$1,000\")"), Variant(1000.0));
    EXPECT_EQ(eval("VALUE(\"5%\")"), Variant(0.05));
    EXPECT_EQ(eval("VALUE(\"abc\")"), Variant(CellError::Value));
    EXPECT_EQ(eval("VALUE(3)"), Variant(3.0));
    EXPECT_EQ(eval("ISTEXT(\"a\")"), Variant(true));
    EXPECT_EQ(eval("ISTEXT(1)"), Variant(false));
}

TEST_F(FormulaEvaluate, MathAndAggregates) {
    EXPECT_EQ(eval("ABS(-3)"), Variant(3.0));
    EXPECT_EQ(eval("ABS(\"-3\")"), Variant(3.0));
    EXPECT_EQ(eval("ROUND(2.675,2)"), Variant(2.68));
    EXPECT_EQ(eval("ROUND(-2.5,0)"), Variant(-3.0));
    EXPECT_EQ(eval("ROUND(1234.5,-2)"), Variant(1200.0));
    EXPECT_EQ(eval("ROUND(1.005,2)"), Variant(1.01));
    EXPECT_EQ(eval("ROUND(1.5,)"), Variant(2.0));
    EXPECT_EQ(eval("ISNUMBER(5)"), Variant(true));
    EXPECT_EQ(eval("ISNUMBER(\"5\")"), Variant(false));

    book.set("A1", 1.0);
    book.set("A2", "2");  // text in an area is skipped
    book.set("A3", 3.0);
    book.set("B1", true);  // so are logical values
    book.set("B2", 10.0);
    EXPECT_EQ(eval("SUM(A1:B3)"), Variant(14.0));
    EXPECT_EQ(eval("SUM(A1:B3,5,\"3\",TRUE)"), Variant(23.0));  // arguments themselves count
    EXPECT_EQ(eval("SUM(A2)"), Variant(0.0));  // a one-cell reference is an area too
    EXPECT_EQ(eval("SUM(\"x\")"), Variant(CellError::Value));
    EXPECT_EQ(eval("SUM(1,,2)"), Variant(3.0));
    EXPECT_EQ(eval("MIN(A1:B3)"), Variant(1.0));
    EXPECT_EQ(eval("MAX(A1:B3)"), Variant(10.0));
    EXPECT_EQ(eval("MAX(C1:C3)"), Variant(0.0));
    EXPECT_EQ(eval("COUNT(A1:B3)"), Variant(3.0));
    EXPECT_EQ(eval("COUNT(1,\"2\",\"x\",#N/A)"), Variant(2.0));
    EXPECT_EQ(eval("AVERAGE(A1:B3)"), Variant(14.0 / 3.0));
    EXPECT_EQ(eval("AVERAGE(C1:C3)"), Variant(CellError::Div0));
    EXPECT_EQ(eval("ISBLANK(C1)"), Variant(true));
    EXPECT_EQ(eval("ISBLANK(A1)"), Variant(false));
    EXPECT_EQ(eval("ISBLANK(\"\")"), Variant(false));
    // A larger area where one value is wanted does not give a value.
    EXPECT_EQ(eval("A1:A3+1"), Variant(CellError::Value));
}

TEST_F(FormulaEvaluate, BuiltInNamesIgnoreCase) {
    EXPECT_EQ(eval("sum(1,2)"), Variant(3.0));
    EXPECT_EQ(eval("Concatenate(\"a\",\"b\")"), Variant("ab"));
    EXPECT_TRUE(isBuiltinFunction("Sum"));
    EXPECT_TRUE(isBuiltinFunction("iferror"));
    EXPECT_FALSE(isBuiltinFunction("KavexLast"));
    EXPECT_FALSE(isBuiltinFunction(""));
    EXPECT_TRUE(book.calledNames.empty());
}

TEST_F(FormulaEvaluate, SheetsAndNames) {
    book.addSheet("My sheet");
    book.set("'My sheet'!A1", 5.0);
    EXPECT_EQ(eval("'my sheet'!A1*2"), Variant(10.0));
    EXPECT_EQ(eval("Nosheet!A1"), Variant(CellError::Ref));
    book.set("C3", 4.0);
    book.define("Rate", "C3");
    book.define("Block", "'My sheet'!A1:A2");
    EXPECT_EQ(eval("Rate*2"), Variant(8.0));
    EXPECT_EQ(eval("rate*2"), Variant(8.0));
    EXPECT_EQ(eval("SUM(Block)"), Variant(5.0));
    EXPECT_EQ(eval("Nothing+1"), Variant(CellError::Name));
    EXPECT_EQ(eval("ISERROR(Nothing)"), Variant(true));
    EXPECT_EQ(eval("#REF!"), Variant(CellError::Ref));
}

TEST_F(FormulaEvaluate, UnknownFunctionIsNameError) {
    EXPECT_EQ(eval("NoSuch(1)"), Variant(CellError::Name));
    EXPECT_EQ(eval("NoSuch(1)&\"x\""), Variant(CellError::Name));
    EXPECT_EQ(book.calledNames, (std::vector<std::string>{"NoSuch", "NoSuch"}));
}

}  // namespace
}  // namespace kavex::formula
