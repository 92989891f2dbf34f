#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/spreadsheet/formula/CellAddress.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using base::CellError;
using testing::FakeWorkbook;

bool anySheet(const std::string&) {
    return true;
}

TEST(FormulaWholeLines, ColumnsAndRowsAreReferences) {
    const Formula f = parse("SUM(D:D)+SUM($B:$F)+SUM(3:3)+SUM($2:$5)+SUM(Sheet2!A:A)+'My s'!7:7");
    ASSERT_EQ(f.references().size(), 6u);
    EXPECT_EQ(f.references()[0], (AreaRef{"", 1, 4, MaxRows, 4}));
    EXPECT_EQ(f.references()[1], (AreaRef{"", 1, 2, MaxRows, 6}));
    EXPECT_EQ(f.references()[2], (AreaRef{"", 3, 1, 3, MaxColumns}));
    EXPECT_EQ(f.references()[3], (AreaRef{"", 2, 1, 5, MaxColumns}));
    EXPECT_EQ(f.references()[4], (AreaRef{"Sheet2", 1, 1, MaxRows, 1}));
    EXPECT_EQ(f.references()[5], (AreaRef{"My s", 7, 1, 7, MaxColumns}));
    EXPECT_TRUE(f.names().empty());
    // Runs written backwards are put in order; the last column and row are on the sheet.
    EXPECT_EQ(parse("F:B").references()[0], (AreaRef{"", 1, 2, MaxRows, 6}));
    EXPECT_EQ(parse("XFD:XFD").references()[0], (AreaRef{"", 1, MaxColumns, MaxRows, MaxColumns}));
    EXPECT_EQ(parse("1048576:1048576").references()[0],
              (AreaRef{"", MaxRows, 1, MaxRows, MaxColumns}));
    EXPECT_EQ(parseAreaReference("$C:$C"), (AreaRef{"", 1, 3, MaxRows, 3}));
}

TEST(FormulaWholeLines, WhatIsNoWholeLineIsRefused) {
    for (const char* bad : {"A:1", "1:A", "A1:B", "A:B1", "XFE:XFE", "0:0", "1048577:1048577",
                            "D:", "3:", "$:$", "D$:D", "1.5:2", "ABCD:ABCD"}) {
        EXPECT_THROW(parse(bad), ParseError) << bad;
    }
}

TEST(FormulaWholeLines, ShowAsTyped) {
    EXPECT_EQ(render(parse("sum(d:d) + sum($b:$f)+SUM(3:3)+SUM($2:$5)+sheet2!a:$c+'My s'!7:7")),
              "SUM(D:D) + SUM($B:$F)+SUM(3:3)+SUM($2:$5)+sheet2!A:$C+'My s'!7:7");
    // Copied to another cell: only the relative lines move, and only along their own axis.
    EXPECT_EQ(render(parse("SUM(D:D)+SUM($D:$D)+SUM(3:3)+SUM($3:$3)"), {}, 2, 1),
              "SUM(E:E)+SUM($D:$D)+SUM(5:5)+SUM($3:$3)");
    EXPECT_EQ(render(parse("SUM(A:A)+SUM(1:1)"), {}, 5, -1), "SUM(#REF!)+SUM(6:6)");
    EXPECT_EQ(render(parse("SUM(XFD:XFD)"), {}, 0, 1), "SUM(#REF!)");
}

TEST(FormulaWholeLines, LineEditsMoveThemAsOtherReferences) {
    const LineEdit insertRows{false, 2, 3, anySheet};
    // Inserting rows leaves whole columns as they are; whole rows below move, runs widen.
    EXPECT_EQ(render(parse("SUM(D:D)+SUM(1:1)+SUM(2:2)+SUM($1:$4)"), {}, insertRows),
              "SUM(D:D)+SUM(1:1)+SUM(5:5)+SUM($1:$7)");
    const LineEdit deleteRows{false, 2, -2, anySheet};
    EXPECT_EQ(render(parse("SUM(D:D)+SUM(2:3)+SUM(4:4)+SUM(1:5)"), {}, deleteRows),
              "SUM(D:D)+SUM(#REF!)+SUM(2:2)+SUM(1:3)");
    const LineEdit insertColumns{true, 2, 1, anySheet};
    EXPECT_EQ(render(parse("SUM(A:A)+SUM(B:B)+SUM($A:$C)+SUM(3:3)+Sheet2!B:B"), {}, insertColumns),
              "SUM(A:A)+SUM(C:C)+SUM($A:$D)+SUM(3:3)+Sheet2!C:C");
    const LineEdit deleteColumns{true, 4, -1, [](const std::string& s) { return s.empty(); }};
    EXPECT_EQ(render(parse("SUM(D:D)+SUM(E:E)+SUM(C:E)+SUM(7:7)+Sheet2!E:E"), {}, deleteColumns),
              "SUM(#REF!)+SUM(D:D)+SUM(C:D)+SUM(7:7)+Sheet2!E:E");
}

class FormulaWholeLinesEvaluate : public ::testing::Test {
  protected:
    Variant eval(std::string_view text) { return book.eval(text); }
    FakeWorkbook book;
};

TEST_F(FormulaWholeLinesEvaluate, AggregatesReadTheCellsTheLinesHold) {
    book.addSheet("Sheet2");
    book.set("D2", 5.0);
    book.set("D900000", 7.0);
    book.set("D3", "text");
    book.set("E3", 100.0);
    book.set("Sheet2!A5", 3.0);
    EXPECT_EQ(eval("SUM(D:D)"), Variant(12.0));
    EXPECT_EQ(eval("SUM($D:$E)"), Variant(112.0));
    EXPECT_EQ(eval("SUM(3:3)"), Variant(100.0));
    EXPECT_EQ(eval("COUNT(D:D)"), Variant(2.0));
    EXPECT_EQ(eval("MAX(D:D)"), Variant(7.0));
    EXPECT_EQ(eval("AVERAGE(D:D)"), Variant(6.0));
    EXPECT_EQ(eval("SUM(Sheet2!A:A)"), Variant(3.0));
    EXPECT_EQ(eval("SUM(Nosheet!A:A)"), Variant(CellError::Ref));
    // A whole line in one cell's place: implicit intersection is not modelled.
    EXPECT_EQ(eval("D:D+1"), Variant(CellError::Value));
    // Only the cells the sheet holds are read.
    book.cellReads = 0;
    EXPECT_EQ(eval("SUM(1:1048576)"), Variant(112.0));
    EXPECT_LE(book.cellReads, 5);
}

}  // namespace
}  // namespace kavex::formula
