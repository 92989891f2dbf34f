#include <gtest/gtest.h>

#include <string>

#include "platform/spreadsheet/formula/Formula.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using testing::FakeWorkbook;

class FormulaTextCaseAndOrder : public ::testing::Test {
  protected:
    Variant eval(std::string_view text) { return book.eval(text); }
    FakeWorkbook book;
};

TEST_F(FormulaTextCaseAndOrder, UpperAndLowerChangeEveryLetter) {
    EXPECT_EQ(eval("UPPER(\"été\")"), Variant("ÉTÉ"));
    EXPECT_EQ(eval("LOWER(\"ÉTÉ\")"), Variant("été"));
    EXPECT_EQ(eval("UPPER(\"straße ñandú\")"), Variant("STRAßE ÑANDÚ"));
    EXPECT_EQ(eval("LOWER(\"ΑΘΗΝΑ Москва\")"), Variant("αθηνα москва"));
    EXPECT_EQ(eval("UPPER(\"abc 1-2 €\")"), Variant("ABC 1-2 €"));
    EXPECT_EQ(eval("LEN(UPPER(\"été\"))"), Variant(3.0));
    // A byte that is no character is kept as it is.
    EXPECT_EQ(eval("UPPER(\"a\xff"
                   "b\")"),
              Variant("A\xff"
                      "B"));
}

TEST_F(FormulaTextCaseAndOrder, TextsOrderAsTheSpreadsheetDoes) {
    // Punctuation sorts before digits and letters, digits before letters.
    EXPECT_EQ(eval("\"_\"<\"a\""), Variant(true));
    EXPECT_EQ(eval("\"-\"<\"0\""), Variant(true));
    EXPECT_EQ(eval("\"9\"<\"a\""), Variant(true));
    EXPECT_EQ(eval("\"a_\"<\"ab\""), Variant(true));
    // Letter case is ignored; accented letters sort with their letter.
    EXPECT_EQ(eval("\"a\"<\"B\""), Variant(true));
    EXPECT_EQ(eval("\"B\">\"a\""), Variant(true));
    EXPECT_EQ(eval("\"é\"<\"f\""), Variant(true));
    EXPECT_EQ(eval("\"e\"<\"é\""), Variant(true));
    EXPECT_EQ(eval("\"Zoo\">\"apple\""), Variant(true));
    EXPECT_EQ(eval("\"abc\"<=\"ABC\""), Variant(true));
    EXPECT_EQ(eval("\"abc\">=\"ABC\""), Variant(true));
    EXPECT_EQ(eval("\"abc\"<\"ABC\""), Variant(false));
    EXPECT_EQ(eval("\"\"<\"a\""), Variant(true));
    EXPECT_EQ(eval("\"ab\">\"a\""), Variant(true));
}

TEST_F(FormulaTextCaseAndOrder, EqualityIgnoresLetterCaseOnly) {
    EXPECT_EQ(eval("\"ÉTÉ\"=\"été\""), Variant(true));
    EXPECT_EQ(eval("\"abc\"=\"ABC\""), Variant(true));
    EXPECT_EQ(eval("\"e\"=\"é\""), Variant(false));
    EXPECT_EQ(eval("\"e\"<>\"é\""), Variant(true));
    EXPECT_EQ(eval("\"a-b\"=\"ab\""), Variant(false));
    EXPECT_EQ(eval("\"a\"=\"a \""), Variant(false));
    // Exactly one of <, = and > holds for any two texts.
    for (const char* pair : {"\"a\",\"a\xc2\xad\"", "\"x\",\"X\"", "\"co-op\",\"coop\""}) {
        const std::string p(pair);
        const std::string a = p.substr(0, p.find(','));
        const std::string b = p.substr(p.find(',') + 1);
        const int holds = (eval(a + "<" + b) == Variant(true)) +
                          (eval(a + "=" + b) == Variant(true)) +
                          (eval(a + ">" + b) == Variant(true));
        EXPECT_EQ(holds, 1) << pair;
    }
}

}  // namespace
}  // namespace kavex::formula
