#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

class RecalculationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app.workbooks().add();
        sheet = app.activeSheet();
        // COUNTED(x) returns x and counts its calls per argument value.
        app.registerFunction("Counted", [this](const std::vector<formula::Argument>& args) {
            const Variant v = args.empty() ? Variant() : args[0].value;
            ++calls[v.isNumber() ? v.number() : -1];
            ++totalCalls;
            return v;
        });
    }
    Application app;
    Worksheet sheet;
    std::map<double, int> calls;
    int totalCalls = 0;
};

TEST_F(RecalculationTest, AFormulaThatDoesNotParseLeavesTheCellUntouched) {
    sheet.range("A1").setValue(5.0);
    for (const char* bad : {"=SUM(A1", "=1+*2", "=\"open"}) {
        try {
            sheet.range("A1").setFormula(bad);
            FAIL() << bad << " was accepted";
        } catch (const base::PlatformError& e) {
            EXPECT_EQ(e.number(), 1004);
        }
        EXPECT_EQ(sheet.range("A1").value(), Variant(5.0));
        EXPECT_FALSE(sheet.range("A1").hasFormula());
    }
    // A multi-cell write with a bad formula writes none of the cells.
    EXPECT_THROW(sheet.range("B1:B3").setValue("=(("), base::PlatformError);
    EXPECT_TRUE(sheet.range("B2").value().isEmpty());
}

TEST_F(RecalculationTest, AChangeRecalculatesItsDependentsAndNothingElse) {
    sheet.range("A1").setValue(1.0);
    sheet.range("A2").setValue(2.0);
    sheet.range("B1").setFormula("=Counted(A1)");
    sheet.range("B2").setFormula("=Counted(A2)");
    sheet.range("C1").setFormula("=B1*10");
    totalCalls = 0;
    sheet.range("A1").setValue(7.0);
    EXPECT_EQ(totalCalls, 1);
    EXPECT_EQ(sheet.range("C1").value(), Variant(70.0));
    EXPECT_EQ(sheet.range("B2").value(), Variant(2.0));
}

TEST_F(RecalculationTest, ManualModeDefersUntilAutomaticComesBack) {
    sheet.range("A1").setValue(1.0);
    sheet.range("B1").setFormula("=A1+1");
    sheet.range("C1").setFormula("=B1*2");
    app.setCalculation(xlCalculationManual);
    sheet.range("A1").setValue(10.0);
    EXPECT_EQ(sheet.range("C1").value(), Variant(4.0));
    // A formula entered in manual mode computes itself only.
    sheet.range("D1").setFormula("=C1+1");
    EXPECT_EQ(sheet.range("D1").value(), Variant(5.0));
    app.setCalculation(xlCalculationAutomatic);
    EXPECT_EQ(sheet.range("B1").value(), Variant(11.0));
    EXPECT_EQ(sheet.range("C1").value(), Variant(22.0));
    // The formula entered in manual mode catches up with its precedents too.
    EXPECT_EQ(sheet.range("D1").value(), Variant(23.0));
    sheet.range("A1").setValue(0.0);
    EXPECT_EQ(sheet.range("D1").value(), Variant(3.0));
}

TEST_F(RecalculationTest, RangeCalculateRecalculatesExactlyThoseCells) {
    sheet.range("A1").setValue(1.0);
    sheet.range("B1").setFormula("=Counted(A1)");
    sheet.range("B2").setFormula("=Counted(A1)");
    app.setCalculation(xlCalculationManual);
    sheet.range("A1").setValue(3.0);
    totalCalls = 0;
    sheet.range("B1").calculate();
    EXPECT_EQ(totalCalls, 1);
    EXPECT_EQ(sheet.range("B1").value(), Variant(3.0));
    EXPECT_EQ(sheet.range("B2").value(), Variant(1.0));
    app.calculate();
    EXPECT_EQ(sheet.range("B2").value(), Variant(3.0));
}

TEST_F(RecalculationTest, RegisteredFunctionsIgnoreCaseAndShowTheirRegisteredSpelling) {
    app.registerFunction("KavexLast", [](const std::vector<formula::Argument>& args) {
        return Variant("$" + args.at(0).value.text());
    });
    sheet.range("B5").setValue("IBM");
    sheet.range("C5").setFormula("=kavexlast(b5)");
    EXPECT_EQ(sheet.range("C5").formula(), "=KavexLast(B5)");
    EXPECT_EQ(sheet.range("C5").value(), Variant("$IBM"));
    sheet.range("C6").setFormula("=NoSuchFunction(B5)");
    EXPECT_EQ(sheet.range("C6").text(), "#NAME?");
}

TEST_F(RecalculationTest, AFormulaWrittenOverARangeMovesItsRelativeReferences) {
    sheet.range("B5:B7").setValue("IBM");
    sheet.range("C5:C7").setFormula("=Counted(B5)");
    EXPECT_EQ(sheet.range("C7").formula(), "=Counted(B7)");
}

TEST_F(RecalculationTest, CyclesEndWithTheCurrentValue) {
    sheet.range("A1").setFormula("=B1+1");
    sheet.range("B1").setFormula("=A1+1");
    sheet.range("C1").setValue(1.0);
    EXPECT_TRUE(sheet.range("A1").value().isNumber());
}

TEST_F(RecalculationTest, AReentrantFunctionThatWritesAndRecalculatesSurvives) {
    // Like a login started from a worksheet function: it writes cells, switches calculation,
    // recalculates, rewrites its own cell's neighbours and even its own formula.
    int depth = 0;
    app.registerFunction("Reenter", [&](const std::vector<formula::Argument>&) {
        ++depth;
        if (depth < 4) {
            app.setCalculation(xlCalculationManual);
            for (int r = 1; r <= 50; ++r) {
                sheet.cells(r, 5).setValue(static_cast<double>(r * depth));
                sheet.cells(r, 6).setFormula("=E" + std::to_string(r) + "*2");
            }
            sheet.range("A1").setValue(static_cast<double>(depth));
            sheet.range("G1").setFormula("=Reenter()");
            app.setCalculation(xlCalculationAutomatic);
            app.calculate();
            sheet.range("F1:F50").calculate();
            sheet.range("E1:E50").clearContents();
        }
        --depth;
        return Variant("done");
    });
    sheet.range("B1").setFormula("=A1+1");
    sheet.range("C1").setFormula("=Reenter()");
    EXPECT_EQ(sheet.range("C1").value(), Variant("done"));
    EXPECT_EQ(sheet.range("F3").value(), Variant(0.0));
    sheet.range("C1").clearContents();
    EXPECT_TRUE(sheet.range("C1").value().isEmpty());
}

TEST_F(RecalculationTest, CellsWrittenBesideARangeWhileItIsCalculatedLeaveEveryCellComputedOnce) {
    // Each call (reading the cell to its left) writes a new cell further along its row and
    // deletes one at the row's end.
    std::map<std::string, int> seen;
    app.registerFunction("Spread", [&](const std::vector<formula::Argument>& args) {
        const auto& area = *args.at(0).reference;
        ++seen[std::to_string(area.firstRow) + ":" + std::to_string(area.firstColumn)];
        sheet.cells(area.firstRow, 20 + area.firstColumn).setValue(1.0);
        sheet.cells(area.firstRow, 30).clearContents();
        return Variant(static_cast<double>(area.firstColumn));
    });
    for (int r = 1; r <= 3; ++r) {
        sheet.cells(r, 30).setValue(9.0);
    }
    app.setCalculation(xlCalculationManual);
    sheet.range("B1:D3").setFormula("=Spread(A1)");
    seen.clear();
    sheet.range("A1:Z3").calculate();
    EXPECT_EQ(seen.size(), 9u);
    for (const auto& [cell, count] : seen) {
        EXPECT_EQ(count, 1) << cell;
    }
    for (int r = 1; r <= 3; ++r) {
        for (int c = 2; c <= 4; ++c) {
            EXPECT_EQ(sheet.cells(r, c).value(), Variant(c - 1.0)) << r << "," << c;
        }
    }
}

TEST_F(RecalculationTest, AFunctionThatReplacesItsOwnFormulaDoesNotUseTheFreedOne) {
    app.registerFunction("SelfReplace", [&](const std::vector<formula::Argument>&) {
        sheet.range("A1").setFormula("=1+2");
        return Variant("old");
    });
    sheet.range("A1").setFormula("=SelfReplace()");
    EXPECT_EQ(sheet.range("A1").formula(), "=1+2");
    EXPECT_EQ(sheet.range("A1").value(), Variant(3.0));
}

TEST_F(RecalculationTest, AThrowingFunctionGivesValueError) {
    app.registerFunction("Boom", [](const std::vector<formula::Argument>&) -> Variant {
        throw base::PlatformError(5, "boom");
    });
    sheet.range("A1").setFormula("=Boom()");
    EXPECT_EQ(sheet.range("A1").text(), "#VALUE!");
}

TEST_F(RecalculationTest, AFunctionCalledOnReferencesAloneSeesWhatAnyOtherFormulaSees) {
    // A formula that is nothing but a host call on references is computed on a shorter road
    // than one that does more; the function cannot tell the two apart.
    std::vector<std::vector<formula::Argument>> seen;
    app.registerFunction("Record", [&](const std::vector<formula::Argument>& args) {
        seen.push_back(args);
        return Variant("#NODATA! a text too long to be stored inline");
    });
    app.registerFunction("Blank", [](const std::vector<formula::Argument>&) { return Variant(); });
    app.registerFunction("Boom", [](const std::vector<formula::Argument>&) -> Variant {
        throw base::PlatformError(5, "boom");
    });
    app.activeWorkbook().worksheets().add("Data").range("B2").setValue(
        "long enough to be on the heap");
    sheet.range("A1").setValue("IBM");
    const std::string arguments = "A1,Data!B2:C3,A5,Nowhere!A1,(A1)";
    sheet.range("B1").setFormula("=Record(" + arguments + ")");
    sheet.range("B2").setFormula("=IF(TRUE,Record(" + arguments + "))");
    ASSERT_EQ(seen.size(), 2u);
    ASSERT_EQ(seen[0].size(), 5u);
    for (std::size_t i = 0; i < seen[0].size(); ++i) {
        EXPECT_EQ(seen[0][i].value, seen[1][i].value) << i;
        EXPECT_EQ(seen[0][i].reference, seen[1][i].reference) << i;
    }
    EXPECT_EQ(seen[0][1].value, Variant("long enough to be on the heap"));
    EXPECT_EQ(seen[0][1].reference, (formula::AreaRef{"Data", 2, 2, 3, 3}));
    EXPECT_TRUE(seen[0][2].value.isEmpty());
    EXPECT_EQ(seen[0][3].value, Variant(base::CellError::Ref));
    EXPECT_EQ(sheet.range("B1").value(), sheet.range("B2").value());

    // A value read for one call is not what the next call of the same shape sees.
    sheet.range("A1").setValue("MSFT");
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2][0].value, Variant("MSFT"));
    EXPECT_EQ(seen[3][0].value, Variant("MSFT"));

    sheet.range("C1").setFormula("=Missing(A1)");
    sheet.range("C2").setFormula("=(Boom(A1))");
    sheet.range("C3").setFormula("=Blank(A1)");
    EXPECT_EQ(sheet.range("C1").text(), "#NAME?");
    EXPECT_EQ(sheet.range("C2").text(), "#VALUE!");
    EXPECT_TRUE(sheet.range("C3").value().isEmpty());  // what a host function returns, unchanged
}

TEST_F(RecalculationTest, CellEntryReadsNumbersDatesAndText) {
    sheet.range("A1").setValue("$1,000.00");
    EXPECT_EQ(sheet.range("A1").value(), Variant(1000.0));
    EXPECT_EQ(sheet.range("A1").text(), "$1,000.00");
    sheet.range("A2").setValue("5%");
    EXPECT_EQ(sheet.range("A2").value(), Variant(0.05));
    EXPECT_EQ(sheet.range("A2").text(), "5%");
    sheet.range("A3").setValue("3/15/2007");
    EXPECT_TRUE(sheet.range("A3").value().isDate());
    EXPECT_EQ(sheet.range("A3").text(), "3/15/2007");
    sheet.range("A4").setValue("'12");
    EXPECT_EQ(sheet.range("A4").value(), Variant("12"));
    sheet.range("A5").setValue("IBM");
    EXPECT_EQ(sheet.range("A5").value(), Variant("IBM"));
    sheet.range("A5").setValue("");
    EXPECT_TRUE(sheet.range("A5").value().isEmpty());
    sheet.range("A6").setValue("0.00");
    EXPECT_EQ(sheet.range("A6").value(), Variant(0.0));
}

}  // namespace
}  // namespace kavex::sheet

namespace kavex::sheet {
namespace {

// Aggregates over a whole sheet cost what the sheet holds: each of these walked seventeen
// billion empty cells before.
TEST(AggregateTest, AWholeSheetAreaWalksOnlyTheCellsThatHoldSomething) {
    Application app;
    app.workbooks().add();
    Worksheet sheet = app.activeSheet();
    Worksheet other = app.activeWorkbook().worksheets().add("Other");
    sheet.activate();
    sheet.range("C7").setValue(4.0);
    sheet.range("XFD1048576").setValue(6.0);
    sheet.range("B2").setValue("text");
    sheet.range("A1").setFormula("=COUNT(B1:XFD1048576)");
    EXPECT_EQ(sheet.range("A1").value(), Variant(2.0));
    sheet.range("A2").setFormula("=SUM(C1:XFD1048576)");
    EXPECT_EQ(sheet.range("A2").value(), Variant(10.0));
    sheet.range("A3").setFormula("=AVERAGE(B1:XFD1048576)");
    EXPECT_EQ(sheet.range("A3").value(), Variant(5.0));
    sheet.range("A4").setFormula("=MAX(B1:XFD1048576)+MIN(B1:XFD1048576)");
    EXPECT_EQ(sheet.range("A4").value(), Variant(10.0));
    sheet.range("A5").setFormula("=AND(C1:XFD1048576)");
    EXPECT_EQ(sheet.range("A5").value(), Variant(true));
    other.range("A1").setFormula("=COUNT(Sheet1!A1:XFD1048576)");
    EXPECT_EQ(other.range("A1").value(), Variant(6.0));  // two numbers and four results

    // The data still drive the result: a new value and an error in the area count.
    sheet.range("Z100").setValue(5.0);
    EXPECT_EQ(sheet.range("A2").value(), Variant(15.0));
    sheet.range("D1").setFormula("=1/0");
    EXPECT_EQ(sheet.range("A2").value(), Variant(base::CellError::Div0));
    // A cell waiting for recalculation in the area is brought up to date before it is read.
    app.setCalculation(xlCalculationManual);
    sheet.range("D1").setFormula("=C7*2");
    app.setCalculation(xlCalculationAutomatic);
    EXPECT_EQ(sheet.range("A2").value(), Variant(23.0));
    // A sheet that does not exist is #REF!.
    sheet.range("A6").setFormula("=SUM(Gone!A1:XFD1048576)");
    EXPECT_EQ(sheet.range("A6").value(), Variant(base::CellError::Ref));
}

}  // namespace
}  // namespace kavex::sheet

namespace kavex::sheet {
namespace {

// Without iteration a cycle's cells give 0 on every recalculation; nothing adds up (they gave
// 10, 16, 23 before as each pass read the last result).
TEST_F(RecalculationTest, ACircularReferenceGivesZeroAndNeverAccumulates) {
    sheet.range("A1").setValue(10.0);
    sheet.range("C3").setFormula("=A1+C3");
    sheet.range("D3").setFormula("=C3+1");
    EXPECT_EQ(sheet.range("C3").value(), Variant(0.0));
    for (double a : {6.0, 7.0}) {
        sheet.range("A1").setValue(a);
        EXPECT_EQ(sheet.range("C3").value(), Variant(0.0));
        EXPECT_EQ(sheet.range("D3").value(), Variant(1.0));
    }
    app.calculate();
    sheet.range("C3").calculate();
    EXPECT_EQ(sheet.range("C3").value(), Variant(0.0));

    // A longer cycle, through a registered function too: all of its cells give 0.
    sheet.range("E1").setValue(3.0);
    sheet.range("F1").setFormula("=E1+G1");
    sheet.range("G1").setFormula("=Counted(F1)*2");
    sheet.range("E1").setValue(4.0);
    EXPECT_EQ(sheet.range("F1").value(), Variant(0.0));
    EXPECT_EQ(sheet.range("G1").value(), Variant(0.0));

    // Breaking the cycle gives plain values again.
    sheet.range("C3").setFormula("=A1*2");
    EXPECT_EQ(sheet.range("C3").value(), Variant(14.0));
    EXPECT_EQ(sheet.range("D3").value(), Variant(15.0));
}

// A host function that recalculates while its own cell is pending reads the pending value: that
// is re-entry, not a cycle.
TEST_F(RecalculationTest, AHostFunctionThatRecalculatesIsNoCycle) {
    sheet.range("A1").setValue(1.0);
    app.registerFunction("Reenter", [this](const std::vector<formula::Argument>& args) {
        sheet.range("B2").calculate();
        return args[0].value;
    });
    sheet.range("B1").setFormula("=Reenter(A1)+1");
    sheet.range("B2").setFormula("=B1*10");
    sheet.range("A1").setValue(5.0);
    EXPECT_EQ(sheet.range("B1").value(), Variant(6.0));
    EXPECT_EQ(sheet.range("B2").value(), Variant(60.0));
}

// A host function that recalculates while a cell of a range's pass waits on it: what it computes
// reads that cell's pending value, which is re-entry, not a cycle. The waiting cell shows its own
// result, and its dependents follow it, whichever way the function recalculates.
TEST_F(RecalculationTest, AFunctionThatRecalculatesWhileACellOfAPassWaitsOnItIsNoCycle) {
    std::function<void()> recalculate = [] {};
    app.registerFunction("Outer", [this](const std::vector<formula::Argument>& args) {
        sheet.range("B1").calculate();  // a pass over a cell that reads this function's cell
        return args.at(0).value;
    });
    app.registerFunction("Seven", [&](const std::vector<formula::Argument>&) {
        recalculate();
        return Variant(7.0);
    });
    const auto bumpE1 = [this] {
        sheet.range("E1").setValue(sheet.range("E1").value().number() + 1.0);
    };
    const std::vector<std::pair<std::string, std::function<void()>>> ways{
        {"Range.Calculate", [this] { sheet.range("D1").calculate(); }},
        {"a write recalculating its dependents", bumpE1},
        {"Application.Calculate",
         [&] {
             app.setCalculation(xlCalculationManual);
             bumpE1();
             app.calculate();
             app.setCalculation(xlCalculationAutomatic);
         }},
    };
    for (const auto& [way, run] : ways) {
        sheet.range("A1:E1").clearContents();
        recalculate = [] {};
        sheet.range("A1").setValue(1.0);
        sheet.range("E1").setValue(10.0);
        sheet.range("B1").setFormula("=Seven(C1)");
        sheet.range("D1").setFormula("=B1+E1");
        sheet.range("C1").setFormula("=Outer(A1)");
        ASSERT_EQ(sheet.range("B1").value(), Variant(7.0)) << way;
        // C1 computes to what it holds: only the pass its function starts computes B1 again.
        recalculate = run;
        sheet.range("C1").calculate();
        recalculate = [] {};
        const double e1 = sheet.range("E1").value().number();
        EXPECT_EQ(sheet.range("B1").value(), Variant(7.0)) << way;
        EXPECT_EQ(sheet.range("C1").value(), Variant(1.0)) << way;
        EXPECT_EQ(sheet.range("D1").value(), Variant(7.0 + e1)) << way;
    }
}

// A range's pass computes a formula that is nothing but a host call on cells of its own sheet
// on a short road: what it reads and what it gives are what any formula reads and gives.
TEST_F(RecalculationTest, ARangePassOverHostCallsReadsWhatAnyFormulaReads) {
    std::vector<std::vector<formula::Argument>> seen;
    app.registerFunction("Record", [&](const std::vector<formula::Argument>& args) {
        seen.push_back(args);
        return args.empty() ? Variant() : args[0].value;
    });
    app.setCalculation(xlCalculationManual);
    sheet.range("A1").setValue("IBM");
    sheet.range("A3").setValue(2.0);
    sheet.range("B1").setFormula("=Record(A1,A3)");  // its own row, and another row
    sheet.range("C1").setFormula("=Record(D1)");     // a cell the pass comes to later
    sheet.range("D1").setFormula("=Record(A1)");
    sheet.range("B2").setFormula("=Record(Z9)");  // a cell that does not exist
    sheet.range("B3").setFormula("=Record(B3)");  // itself: a cycle
    sheet.range("A1").setValue("MSFT");
    seen.clear();
    sheet.range("B1:D3").calculate();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0][0].value, Variant("MSFT"));
    EXPECT_EQ(seen[0][0].reference, (formula::AreaRef{"", 1, 1, 1, 1}));
    EXPECT_EQ(seen[0][1].value, Variant(2.0));
    EXPECT_EQ(seen[0][1].reference, (formula::AreaRef{"", 3, 1, 3, 1}));
    EXPECT_EQ(seen[1][0].value, Variant("IBM"));  // D1 as it was, computed later in the pass
    EXPECT_EQ(seen[2][0].value, Variant("MSFT"));
    EXPECT_TRUE(seen[3][0].value.isEmpty());
    EXPECT_EQ(seen[3][0].reference, (formula::AreaRef{"", 9, 26, 9, 26}));
    EXPECT_EQ(sheet.range("B1").value(), Variant("MSFT"));
    EXPECT_EQ(sheet.range("C1").value(), Variant("IBM"));
    EXPECT_EQ(sheet.range("D1").value(), Variant("MSFT"));
    EXPECT_EQ(sheet.range("B3").value(), Variant(0.0));
    // The next pass reads what this one left.
    seen.clear();
    sheet.range("C1").calculate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0][0].value, Variant("MSFT"));
}

// A host function that recalculates a range while its own call is under way keeps the arguments
// it was given, and the cells of both passes are computed from their own arguments.
TEST_F(RecalculationTest, AHostFunctionThatCalculatesARangeKeepsItsOwnArguments) {
    int depth = 0;
    std::vector<std::string> mismatches;
    app.registerFunction("Nested", [&](const std::vector<formula::Argument>& args) {
        const Variant before = args.at(0).value;
        const auto reference = args.at(0).reference;
        if (depth++ == 0) {
            sheet.range("D1:D3").calculate();
        }
        --depth;
        if (args.at(0).value != before || args.at(0).reference != reference) {
            mismatches.push_back(std::to_string(reference->firstRow));
        }
        return Variant(before.text() + "!");
    });
    app.setCalculation(xlCalculationManual);
    for (int r = 1; r <= 3; ++r) {
        sheet.cells(r, 1).setValue("row " + std::to_string(r) + " with a text on the heap");
        sheet.cells(r, 3).setValue("other " + std::to_string(r) + " with a text on the heap");
    }
    sheet.range("B1:B3").setFormula("=Nested(A1)");
    sheet.range("D1:D3").setFormula("=Nested(C1)");
    sheet.range("B1:B3").calculate();
    EXPECT_TRUE(mismatches.empty()) << mismatches.front();
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(sheet.cells(r, 2).value(),
                  Variant("row " + std::to_string(r) + " with a text on the heap!"));
        EXPECT_EQ(sheet.cells(r, 4).value(),
                  Variant("other " + std::to_string(r) + " with a text on the heap!"));
    }
}

// Whole columns are walked by the cells they hold: each formula of them is computed once.
TEST_F(RecalculationTest, CalculatingWholeColumnsComputesEachOfTheirFormulasOnce) {
    app.setCalculation(xlCalculationManual);
    for (int row : {1, 64, 65, 70'000, 1'048'576}) {
        sheet.cells(row, 1).setValue(static_cast<double>(row));
        sheet.cells(row, 2).setFormula("=Counted(A" + std::to_string(row) + ")");
        sheet.cells(row, 4).setFormula("=Counted(A" + std::to_string(row) + ")");
    }
    calls.clear();
    sheet.range("B:C").calculate();
    EXPECT_EQ(calls,
              (std::map<double, int>{{1, 1}, {64, 1}, {65, 1}, {70'000, 1}, {1'048'576, 1}}));
}

// A pass keeps a result that equals the cell's value as it is: a text that differs in any one
// character, at any length, is still a new value, and the cell and its argument readers see it.
TEST_F(RecalculationTest, APassSeesATextResultThatDiffersInAnyOneCharacter) {
    std::string returned;
    app.registerFunction("Returned",
                         [&](const std::vector<formula::Argument>&) { return Variant(returned); });
    app.setCalculation(xlCalculationManual);
    sheet.range("A1").setValue("IBM");
    sheet.range("B1").setFormula("=Returned(A1)");
    sheet.range("C1").setFormula("=Counted(B1)");
    for (std::size_t length = 1; length <= 40; ++length) {
        const std::string base(length, 'a');
        for (std::size_t changed = 0; changed < length; ++changed) {
            returned = base;
            sheet.range("B1:C1").calculate();
            ASSERT_EQ(sheet.range("B1").value(), Variant(base));
            returned[changed] = 'b';
            sheet.range("B1:C1").calculate();
            ASSERT_EQ(sheet.range("B1").value(), Variant(returned))
                << "length " << length << ", character " << changed;
            ASSERT_EQ(sheet.range("C1").value(), Variant(returned))
                << "length " << length << ", character " << changed;
        }
    }
}

}  // namespace
}  // namespace kavex::sheet
