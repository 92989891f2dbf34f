#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/formula/CellAddress.h"
#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::formula {
namespace {

std::string roundTrip(std::string_view text) {
    return render(parse(text));
}

TEST(FormulaRender, ShowsTheFormulaAsTheSpreadsheetDoes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a1+$b$2", "A1+$B$2"},
        // Blanks between tokens stay as typed, those at the end go.
        {" sum( a1:b3 , 2 ) ", " SUM( A1:B3 , 2 )"},
        {"a1\n+ 1\t", "A1\n+ 1"},
        {"Sheet1!a1", "Sheet1!A1"},
        {"'Sheet1'!A1", "Sheet1!A1"},
        {"'My sheet'!a1:b2", "'My sheet'!A1:B2"},
        {"'It''s'!A1", "'It''s'!A1"},
        {"'2019'!A1", "'2019'!A1"},
        {"'B7'!A1", "'B7'!A1"},
        {"1E3+12.50+.5", "1000+12.5+0.5"},
        {"1E20", "1E+20"},
        {"\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
        {"\"\"", "\"\""},
        {"true<>false", "TRUE<>FALSE"},
        {"#n/a&#value!&#ref!&#div/0!&#name?", "#N/A&#VALUE!&#REF!&#DIV/0!&#NAME?"},
        {"if(A1,,1)", "IF(A1,,1)"},
        {"-2^2", "-2^2"},
        {"+A1", "+A1"},
        {"50 %", "50 %"},
        {"((1+2))*3", "((1+2))*3"},
        {"B3:A1", "A1:B3"},
        {"$B3:A$1", "A$1:$B3"},
        {"A1:A1", "A1:A1"},
        {"if(trim(b5) =\"\",\"\",\"N\")", "IF(TRIM(B5) =\"\",\"\",\"N\")"},
        {"a1 <= 2", "A1 <= 2"},
        {"Total*2", "Total*2"},
        {"F()", "F()"},
        {"F(,)", "F(,)"},
        {"xfd1048576", "XFD1048576"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(roundTrip(text), shown) << text;
        // What is shown reads back to itself.
        EXPECT_EQ(roundTrip(shown), shown) << shown;
    }
}

TEST(FormulaRender, NamesHostFunctionsThroughTheCallback) {
    const auto canonical = [](std::string_view name) -> std::optional<std::string> {
        if (name == "kavexlast" || name == "KAVEXLAST") {
            return "KavexLast";
        }
        return std::nullopt;
    };
    EXPECT_EQ(render(parse("kavexlast(b7)"), canonical), "KavexLast(B7)");
    EXPECT_EQ(render(parse("myFunc(b7)"), canonical), "myFunc(B7)");
    EXPECT_EQ(render(parse("kavexlast(b7)")), "kavexlast(B7)");
    // A built-in is always shown in upper case; the callback is not asked.
    EXPECT_EQ(render(parse("Sum(1)"), [](std::string_view) { return std::string("wrong"); }),
              "SUM(1)");
}

TEST(FormulaRender, OffsetsMoveRelativePartsOnly) {
    EXPECT_EQ(render(parse("A1+$A$1+A$1+$A1"), {}, 2, 3), "D3+$A$1+D$1+$A3");
    EXPECT_EQ(render(parse("SUM(A2:B5)"), {}, -1, 0), "SUM(A1:B4)");
    EXPECT_EQ(render(parse("Sheet2!B2"), {}, 1, 0), "Sheet2!B3");
    EXPECT_EQ(render(parse("KavexLast(B7)"), {}, 5, 0), "KavexLast(B12)");
    // A relative corner moved past an absolute one keeps the area in order.
    EXPECT_EQ(render(parse("A1:A$5"), {}, 10, 0), "A$5:A11");
}

TEST(FormulaRender, LineEditsMoveReferencesToTheEditedSheet) {
    const LineEdit insert{false, 5, 2,
                          [](const std::string& sheet) { return sheet.empty() || sheet == "S"; }};
    // Inserted before row 5: rows from 5 down move, absolute or not; an area over row 5 widens.
    EXPECT_EQ(render(parse("A4+A5+$B$9+S!C5+Other!A9"), {}, insert), "A4+A7+$B$11+S!C7+Other!A9");
    EXPECT_EQ(render(parse("SUM(A1:A5) + SUM(A5:B6)"), {}, insert), "SUM(A1:A7) + SUM(A7:B8)");
    const LineEdit remove{false, 5, -2, [](const std::string& sheet) { return sheet.empty(); }};
    // Rows 5 and 6 deleted: below moves up, the deleted cells are lost, areas lose their part.
    EXPECT_EQ(render(parse("A4+A5+A6+A7+$A$10"), {}, remove), "A4+#REF!+#REF!+A5+$A$8");
    EXPECT_EQ(render(parse("SUM(A3:A8)+SUM(A5:A9)+SUM(A2:A6)+SUM(A5:B6)"), {}, remove),
              "SUM(A3:A6)+SUM(A5:A7)+SUM(A2:A4)+SUM(#REF!)");
    EXPECT_EQ(render(parse("S!A9"), {}, remove), "S!A9");
    // Pushed off the bottom of the sheet: lost.
    EXPECT_EQ(render(parse("A1048576"), {},
                     LineEdit{false, 2, 1, [](const std::string&) { return true; }}),
              "#REF!");
    // Columns move the same way.
    const LineEdit columns{true, 2, -1, [](const std::string& sheet) { return sheet.empty(); }};
    EXPECT_EQ(render(parse("A1+B1+C1+SUM(A1:C3)+$D$2"), {}, columns),
              "A1+#REF!+B1+SUM(A1:B3)+$C$2");
    // What is shown parses again.
    EXPECT_NO_THROW(parse(render(parse("SUM(A5:B6)"), {}, remove)));
}

TEST(FormulaRender, ReferenceMovedOffTheSheetIsRefError) {
    EXPECT_EQ(render(parse("A1+B2"), {}, -1, 0), "#REF!+B1");
    EXPECT_EQ(render(parse("SUM(A2:A5)"), {}, -2, 0), "SUM(#REF!)");
    EXPECT_EQ(render(parse("Sheet2!A1"), {}, 0, -1), "#REF!");
    EXPECT_EQ(render(parse("XFD1"), {}, 0, 1), "#REF!");
    EXPECT_EQ(render(parse("A1048576"), {}, 1, 0), "#REF!");
    EXPECT_EQ(render(parse("$A$1"), {}, -5, -5), "$A$1");
    // What was rendered parses again.
    EXPECT_NO_THROW(parse(render(parse("SUM(A2:A5)+A1"), {}, -2, 0)));
}

TEST(FormulaParse, CollectsReferencesNamesAndFunctions) {
    const Formula f = parse("SUM(A1:B3,'My sheet'!$C$4)+Total*total+KavexLast(B7)+sum(1)");
    ASSERT_EQ(f.references().size(), 3u);
    EXPECT_EQ(f.references()[0], (AreaRef{"", 1, 1, 3, 2}));
    EXPECT_EQ(f.references()[1], (AreaRef{"My sheet", 4, 3, 4, 3}));
    EXPECT_EQ(f.references()[2], (AreaRef{"", 7, 2, 7, 2}));
    EXPECT_EQ(f.names(), std::vector<std::string>{"Total"});
    EXPECT_EQ(f.functionNames(), (std::vector<std::string>{"SUM", "KavexLast"}));
}

TEST(FormulaParse, TellsFunctionsCellsAndNamesApart) {
    // A word followed by "(" is a function even when it reads as a cell.
    EXPECT_EQ(parse("LO10(1)").functionNames(), std::vector<std::string>{"LO10"});
    EXPECT_EQ(parse("KavexLo10(B7)").functionNames(), std::vector<std::string>{"KavexLo10"});
    EXPECT_EQ(parse("LO10").references().size(), 1u);
    // Beyond the last column or row a word is a name.
    EXPECT_EQ(parse("ABCD1").names(), std::vector<std::string>{"ABCD1"});
    EXPECT_EQ(parse("A1048577").names(), std::vector<std::string>{"A1048577"});
    EXPECT_EQ(parse("my.name_2").names(), std::vector<std::string>{"my.name_2"});
}

struct BadFormula {
    std::string text;
    std::size_t position;
};

TEST(FormulaParse, RejectsBadTextAtThePositionOfTheFault) {
    const std::vector<BadFormula> cases = {
        {"1+*2", 2},        // an operator where a value belongs
        {"A1 B1", 3},       // two operands side by side
        {"SUM(1,2", 3},     // the "(" that is never closed
        {"(1+2", 0},        //
        {"1+2)", 3},        // a ")" too many
        {"1+", 2},          // trailing operator
        {"1+2*", 4},        //
        {"\"abc", 0},       // unterminated text
        {"1&\"abc", 2},     //
        {"", 0},            // nothing at all
        {"IF(1)", 0},       // too few arguments for a built-in
        {"NOT(1,2)", 0},    // too many
        {"SUM()", 0},       //
        {"#FOO!", 0},       // unknown error value
        {"Sheet1!", 7},     // sheet without a cell
        {"'Sheet1'A1", 8},  // quoted sheet without "!"
        {"'Sheet1", 0},     // unterminated sheet name
        {"A1:", 3},         // area without its second corner
        {"A1:B", 3},        //
        {"1E", 1},          // exponent without digits
        {"=1", 0},          // the leading "=" is not part of the text
        {"1;2", 1},         // unknown character
        {"SUM(1 2)", 6},    // missing separator
        {"$A", 0},          // neither a cell nor a name
        {"F(1,", 1},        // open argument list
        {"()", 1},          // empty parentheses
        {"1E999", 0},       // out of range
    };
    for (const auto& bad : cases) {
        try {
            parse(bad.text);
            ADD_FAILURE() << "parsed: " << bad.text;
        } catch (const ParseError& e) {
            EXPECT_EQ(e.position(), bad.position) << bad.text << ": " << e.what();
            EXPECT_FALSE(std::string(e.what()).empty()) << bad.text;
        }
    }
}

TEST(FormulaParse, RefusesHostileSizesWithoutCrashing) {
    const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_THROW(parse(deep), ParseError);
    const std::string signs = std::string(5000, '-') + "1";
    EXPECT_THROW(parse(signs), ParseError);
    std::string longSum = "1";
    while (longSum.size() < 9000) {
        longSum += "+1";
    }
    EXPECT_THROW(parse(longSum), ParseError);
    // Moderate nesting is fine.
    EXPECT_NO_THROW(parse(std::string(50, '(') + "1" + std::string(50, ')')));
}

TEST(FormulaParse, MessagesNameTheProblem) {
    try {
        parse("IF(1)");
        FAIL();
    } catch (const ParseError& e) {
        EXPECT_NE(std::string(e.what()).find("IF"), std::string::npos) << e.what();
    }
    try {
        parse("1+");
        FAIL();
    } catch (const ParseError& e) {
        EXPECT_NE(std::string(e.what()).find("+"), std::string::npos) << e.what();
    }
}

TEST(CellAddresses, ReadAndWriteA1References) {
    EXPECT_EQ(columnName(1), "A");
    EXPECT_EQ(columnName(26), "Z");
    EXPECT_EQ(columnName(27), "AA");
    EXPECT_EQ(columnName(MaxColumns), "XFD");
    EXPECT_EQ(parseAreaReference(" $b$2:a1 "), (AreaRef{"", 1, 1, 2, 2}));
    EXPECT_EQ(parseAreaReference("'My sheet'!C3"), (AreaRef{"My sheet", 3, 3, 3, 3}));
    EXPECT_FALSE(parseAreaReference("A0"));
    EXPECT_FALSE(parseAreaReference("XFE1"));
    EXPECT_FALSE(parseAreaReference("A1+1"));
    EXPECT_FALSE(parseAreaReference("Total"));
    EXPECT_FALSE(parseAreaReference(""));
    EXPECT_EQ(formatAreaReference(AreaRef{"", 1, 1, 3, 2}), "A1:B3");
    EXPECT_EQ(formatAreaReference(AreaRef{"", 4, 2, 4, 2}, true), "$B$4");
    EXPECT_EQ(quoteSheetName("Sheet1"), "Sheet1");
    EXPECT_EQ(quoteSheetName("Price Gainers"), "'Price Gainers'");
    EXPECT_EQ(quoteSheetName("Bob's"), "'Bob''s'");
}

}  // namespace
}  // namespace kavex::formula
