#include <gtest/gtest.h>

#include <string>

#include "platform/base/Date.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "platform/spreadsheet/formula/Values.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using base::CellError;
using testing::FakeWorkbook;

class FormulaTextAsNumber : public ::testing::Test {
  protected:
    Variant eval(std::string_view text) { return book.eval(text); }
    double number(std::string_view text) {
        const Variant v = eval(text);
        EXPECT_TRUE(v.isNumber()) << text;
        return v.isNumber() ? v.number() : 0.0;
    }
    FakeWorkbook book;
};

TEST_F(FormulaTextAsNumber, DateAndTimeTextsCountInArithmetic) {
    EXPECT_EQ(eval("\"1/1/2020\"+0"), Variant(43831.0));
    EXPECT_NEAR(number("\"12:30\"+0"), 0.5208333333333334, 1e-12);
    EXPECT_NEAR(number("\"1/1/2020 6:00 PM\"*1"), 43831.75, 1e-9);
    EXPECT_EQ(eval("-\"March 15, 2007\""), Variant(-39156.0));
    EXPECT_EQ(eval("\"1/2/2020\"-\"1/1/2020\""), Variant(1.0));
    book.set("A1", "1/1/2020");
    EXPECT_EQ(eval("A1+1"), Variant(43832.0));
    EXPECT_EQ(eval("\"1/1/2020\"%"), Variant(438.31));
    // What reads as neither stays #VALUE!.
    EXPECT_EQ(eval("\"13/45/2020\"+0"), Variant(CellError::Value));
    EXPECT_EQ(eval("\"noon\"+0"), Variant(CellError::Value));
}

TEST_F(FormulaTextAsNumber, DateAndTimeTextsCountInAggregateArguments) {
    EXPECT_EQ(eval("SUM(\"1/1/2020\",1)"), Variant(43832.0));
    EXPECT_NEAR(number("SUM(\"12:30\",\"(5)\")"), 0.5208333333333334 - 5, 1e-12);
    EXPECT_EQ(eval("AVERAGE(\"1/1/2020\",\"1/3/2020\")"), Variant(43832.0));
    EXPECT_EQ(eval("MAX(\"1/1/2020\",5)"), Variant(43831.0));
    EXPECT_EQ(eval("COUNT(\"1/1/2020\",\"(5)\",\"x\")"), Variant(2.0));
    // Texts in cells of an area are skipped, as before.
    book.set("A1", "1/1/2020");
    book.set("A2", 2.0);
    EXPECT_EQ(eval("SUM(A1:A2)"), Variant(2.0));
}

TEST_F(FormulaTextAsNumber, ABracketedAmountIsNegative) {
    EXPECT_EQ(eval("\"(5)\"+0"), Variant(-5.0));
    EXPECT_EQ(eval("\" ( $1,000.50 ) \"*2"), Variant(-2001.0));
    EXPECT_EQ(eval("\"(5%)\"*100"), Variant(-5.0));
    EXPECT_EQ(eval("VALUE(\"(5)\")"), Variant(-5.0));
    EXPECT_EQ(eval("\"(-5)\"+0"), Variant(CellError::Value));
    EXPECT_EQ(eval("\"()\"+0"), Variant(CellError::Value));
    EXPECT_EQ(eval("\"(5\"+0"), Variant(CellError::Value));
    EXPECT_EQ(eval("\"5)\"+0"), Variant(CellError::Value));
}

// Texts the cells read beyond the runtime's dates: times past a day, and a day and month
// without a year, which fall in the current year of the host's clock.
class FormulaCellDateText : public FormulaTextAsNumber {
  protected:
    void SetUp() override { os::machineClock().startSimulation(*base::makeDate(2007, 3, 10, 9)); }
    void TearDown() override { os::machineClock().useRealTime(); }
};

TEST_F(FormulaCellDateText, CountInArithmetic) {
    EXPECT_EQ(eval("\"25:00\"+0"), Variant(25.0 / 24.0));
    EXPECT_EQ(generalNumber(number("\"25:00\"+0")), "1.04166666666667");
    EXPECT_EQ(eval("\"100:30\"*24"), Variant(100.5));
    EXPECT_EQ(eval("\"1/15\"+0"), Variant(base::makeDate(2007, 1, 15)->serial));
    EXPECT_EQ(eval("\"Jan 20\"+0"), Variant(base::makeDate(2007, 1, 20)->serial));
    EXPECT_EQ(eval("\"20-Jan\"-\"1/15\""), Variant(5.0));
    EXPECT_EQ(eval("VALUE(\"25:00\")"), Variant(25.0 / 24.0));
    // Another year on the clock, another date.
    os::machineClock().startSimulation(*base::makeDate(2024, 6, 1));
    EXPECT_EQ(eval("\"1/15\"+0"), Variant(base::makeDate(2024, 1, 15)->serial));
    // What the cells read as before reads so still.
    EXPECT_EQ(eval("\"12:30\"+0"), Variant(0.5208333333333334));
    EXPECT_EQ(eval("\"1/1/2020\"+0"), Variant(43831.0));
    EXPECT_EQ(eval("\"$1,000.00\"+0"), Variant(1000.0));
    EXPECT_EQ(eval("\"5%\"+0"), Variant(0.05));
    EXPECT_EQ(eval("\"25:00 PM\"+0"), Variant(CellError::Value));
    EXPECT_EQ(eval("\"2/30\"+0"), Variant(CellError::Value));
}

TEST_F(FormulaCellDateText, CountInAggregateArguments) {
    EXPECT_EQ(eval("SUM(\"25:00\",\"(5)\")"), Variant(25.0 / 24.0 - 5));
    EXPECT_EQ(eval("MAX(\"1/15\",\"Jan 20\")"), Variant(base::makeDate(2007, 1, 20)->serial));
    EXPECT_EQ(eval("COUNT(\"25:00\",\"1/15\",\"Jan 20\",\"x\")"), Variant(3.0));
    // Texts in cells of an area are skipped, as every text is.
    book.set("A1", "25:00");
    book.set("A2", "1/15");
    book.set("A3", 2.0);
    EXPECT_EQ(eval("SUM(A1:A3)"), Variant(2.0));
}

}  // namespace
}  // namespace kavex::formula
