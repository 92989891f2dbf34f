#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/spreadsheet/formula/Formula.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using testing::FakeWorkbook;

// A number constant keeps the 15 significant digits the formula shows, so that the formula
// computed is the formula shown, saved and read again.
TEST(FormulaNumberConstant, KeepsTheFifteenDigitsItShows) {
    FakeWorkbook book;
    EXPECT_EQ(render(parse("1.0000000000000002-1")), "1-1");
    EXPECT_EQ(book.eval("1.0000000000000002-1"), Variant(0.0));
    EXPECT_EQ(render(parse("12345678901234567-12345678901234500")),
              "1.23456789012346E+16-1.23456789012345E+16");
    EXPECT_EQ(book.eval("12345678901234567-12345678901234500"), Variant(100.0));
    EXPECT_EQ(book.eval("0.30000000000000004=0.3"), Variant(true));
    EXPECT_EQ(book.eval(".99999999999999999"), Variant(1.0));
    EXPECT_EQ(render(parse("1.79769313486231E+308/2")), "1.79769313486231E+308/2");
    // Fifteen digits or fewer are kept as they are.
    EXPECT_EQ(book.eval("0.1+0.2"), Variant(0.1 + 0.2));
    EXPECT_EQ(book.eval("123456789012345"), Variant(123456789012345.0));
}

// A constant that rounds past the largest number is out of range, as a larger one always was.
TEST(FormulaNumberConstant, OneThatRoundsPastTheLargestNumberIsRefused) {
    for (const char* text : {"1.7976931348623157E+308/2", "-1.7976931348623157E308",
                             "A1+1.79769313486231999E308", "1E309"}) {
        EXPECT_THROW(parse(text), ParseError) << text;
    }
    try {
        parse("1+1.7976931348623157E+308/2");
        FAIL() << "parsed";
    } catch (const ParseError& e) {
        EXPECT_EQ(e.position(), 2u);
        EXPECT_NE(std::string(e.what()).find("out of range"), std::string::npos) << e.what();
    }
}

// Whatever the constant, the formula shown parses again to the value computed.
TEST(FormulaNumberConstant, TheFormulaShownComputesTheSameValue) {
    FakeWorkbook book;
    std::mt19937 random(20240611);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const int length = 1 + static_cast<int>(random() % 19);
        for (int i = 0; i < length; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        text.insert(random() % text.size(), ".");
        text += "E" + std::to_string(static_cast<int>(random() % 560) - 280);
        const std::string formula = text + "*1";
        const std::string shown = render(parse(formula));
        EXPECT_EQ(book.eval(shown), book.eval(formula)) << formula << " shown as " << shown;
        EXPECT_EQ(render(parse(shown)), shown) << formula;
    }
}

}  // namespace
}  // namespace kavex::formula
