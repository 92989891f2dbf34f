#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"
#include "tests/platform/spreadsheet/ErrorNumber.h"
#include "tests/platform/spreadsheet/RecordingSink.h"

namespace kavex::sheet {
namespace {

class InsertDeleteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        book = app.workbooks().add();
        sheet = app.activeSheet();
        other = book.worksheets().add("Other");
        for (int r = 1; r <= 10; ++r) {
            sheet.cells(r, 1).setValue(static_cast<double>(r * 10));
        }
    }
    Range at(const std::string& reference) { return sheet.range(reference); }

    Application app;
    Workbook book;
    Worksheet sheet;
    Worksheet other;
};

TEST_F(InsertDeleteTest, DeletingARowMovesTheRowsBelowUpWithAllTheyHold) {
    at("B4").setFormula("=A4*2");
    at("C4").setValue("IBM");
    at("C4").characters(1, 1).font().setBold(true);
    at("A5").font().setBold(true);
    at("A5").interior().setColorIndex(20);
    at("A6").addComment("Alert Details Active : yes");
    sheet.hyperlinks().add(at("C5"), "", "DetailsSymbol");
    at("7:7").setHidden(true);
    at("A3").entireRow().delete_();

    EXPECT_EQ(at("A3").value(), Variant(40.0));
    EXPECT_EQ(at("B3").formula(), "=A3*2");
    EXPECT_EQ(at("B3").value(), Variant(80.0));
    EXPECT_EQ(at("C3").value(), Variant("IBM"));
    EXPECT_EQ(at("C3").characters(1, 1).font().bold(), Variant(true));
    EXPECT_EQ(at("A4").font().bold(), Variant(true));
    EXPECT_EQ(at("A4").interior().colorIndex(), Variant(20));
    EXPECT_EQ(at("A5").font().bold(), Variant(false));
    EXPECT_EQ(at("A5").comment().text(), "Alert Details Active : yes");
    EXPECT_TRUE(at("A6").comment().isNothing());
    EXPECT_EQ(at("C4").hyperlinks().count(), 1);
    EXPECT_EQ(at("C5").hyperlinks().count(), 0);
    EXPECT_EQ(at("A6").entireRow().hidden(), Variant(true));
    EXPECT_EQ(at("A7").entireRow().hidden(), Variant(false));
    EXPECT_EQ(at("A9").value(), Variant(100.0));
    EXPECT_TRUE(at("A10").value().isEmpty());
    EXPECT_EQ(sheet.usedRange().address(), "$A$1:$C$9");
}

TEST_F(InsertDeleteTest, ReferencesFollowTheirCellsAndDeletedOnesBecomeRefErrors) {
    at("C1").setFormula("=SUM(A1:A10)");
    at("C2").setFormula("=A5");
    at("C3").setFormula("=$A$8+1");
    at("C4").setFormula("=SUM(A5:A5)");
    other.range("A1").setFormula("=Sheet1!A8");
    other.range("A2").setFormula("=A8");  // its own sheet: stays
    book.names().add("Price", "=Sheet1!$A$8");
    book.names().add("Gone", "=Sheet1!$A$5");
    at("D1").setFormula("=Price*2");
    at("D2").setFormula("=Gone");
    at("A5").entireRow().delete_();

    EXPECT_EQ(at("C1").formula(), "=SUM(A1:A9)");
    EXPECT_EQ(at("C1").value(), Variant(500.0));  // 550 without the deleted 50
    EXPECT_EQ(at("C2").formula(), "=#REF!");
    EXPECT_EQ(at("C2").value(), Variant(base::CellError::Ref));
    EXPECT_EQ(at("C3").formula(), "=$A$7+1");
    EXPECT_EQ(at("C3").value(), Variant(81.0));
    EXPECT_EQ(at("C4").formula(), "=SUM(#REF!)");
    EXPECT_EQ(other.range("A1").formula(), "=Sheet1!A7");
    EXPECT_EQ(other.range("A1").value(), Variant(80.0));
    EXPECT_EQ(other.range("A2").formula(), "=A8");
    EXPECT_EQ(book.names().item("Price").refersTo(), "=Sheet1!$A$7");
    EXPECT_EQ(sheet.range("Price").value(), Variant(80.0));
    EXPECT_EQ(at("D1").value(), Variant(160.0));
    EXPECT_EQ(book.names().item("Gone").refersTo(), "=#REF!");
    EXPECT_EQ(at("D2").value(), Variant(base::CellError::Ref));
    EXPECT_EQ(errorNumber([&] { sheet.range("Gone"); }), 1004);
}

TEST_F(InsertDeleteTest, InsertingARowMovesTheRowsBelowDownAndWidensAreas) {
    at("A4").font().setBold(true);
    at("A5").addComment("note");
    at("C1").setFormula("=SUM(A1:A10)");
    at("C2").setFormula("=A5+A3");
    book.names().add("Last", "=Sheet1!$A$10");
    auto condition = at("A5:A6").formatConditions().add(xlExpression, 0, "=$A5>0");
    condition.interior().setColorIndex(40);
    at("A5").entireRow().insert();

    EXPECT_TRUE(at("A5").value().isEmpty());
    EXPECT_EQ(at("A6").value(), Variant(50.0));
    EXPECT_EQ(at("A11").value(), Variant(100.0));
    EXPECT_EQ(at("A6").comment().text(), "note");
    EXPECT_TRUE(at("A5").comment().isNothing());
    // The new row takes the format of the row above it.
    EXPECT_EQ(at("A5").font().bold(), Variant(true));
    EXPECT_EQ(at("C1").formula(), "=SUM(A1:A11)");
    EXPECT_EQ(at("C1").value(), Variant(550.0));
    EXPECT_EQ(at("C2").formula(), "=A6+A3");
    EXPECT_EQ(book.names().item("Last").refersTo(), "=Sheet1!$A$11");
    EXPECT_EQ(at("A6").formatConditions().count(), 1);
    EXPECT_EQ(at("A6").formatConditions().item(1).appliesTo().address(), "$A$6:$A$7");
    EXPECT_EQ(at("A6").formatConditions().item(1).formula1(), "=$A6>0");
    EXPECT_EQ(at("A5").formatConditions().count(), 0);
    // Typing into the new row is seen by the formulas that now span it.
    at("A5").setValue(1.0);
    EXPECT_EQ(at("C1").value(), Variant(551.0));
}

TEST_F(InsertDeleteTest, OneSheetChangeForTheLinesAndNothingWhileEventsAreOff) {
    auto sink = std::make_shared<testing::RecordingSink>();
    app.addEventSink(sink);
    at("A2:A3").entireRow().delete_();
    at("B4").entireRow().insert();
    EXPECT_EQ(sink->log,
              (std::vector<std::string>{"SheetChange Sheet1!$2:$3", "SheetChange Sheet1!$4:$4"}));
    app.setEnableEvents(false);
    at("A1").entireRow().delete_();
    EXPECT_EQ(sink->log.size(), 2u);
    EXPECT_FALSE(book.saved());
}

TEST_F(InsertDeleteTest, ColumnsMoveAsRowsDo) {
    at("B1").setValue("b");
    at("C1").setValue("c");
    at("D1").setFormula("=C1&B1");
    at("B1").entireColumn().delete_();
    EXPECT_EQ(at("B1").value(), Variant("c"));
    EXPECT_EQ(at("C1").formula(), "=B1&#REF!");
    at("B1").entireColumn().insert();
    EXPECT_EQ(at("C1").value(), Variant("c"));
    EXPECT_EQ(at("D1").formula(), "=C1&#REF!");
}

TEST_F(InsertDeleteTest, SeveralRowsAtOnceKeepTheRightRows) {
    // Rows 2, 3 and 6 go; the others keep their order.
    Range rows(sheet.sheetData(), {Area{2, 1, 3, kMaxColumns}, Area{6, 1, 6, kMaxColumns}});
    rows.delete_();
    std::vector<double> left;
    for (int r = 1; r <= 7; ++r) {
        left.push_back(sheet.cells(r, 1).value().number());
    }
    EXPECT_EQ(left, (std::vector<double>{10, 40, 50, 70, 80, 90, 100}));
}

TEST_F(InsertDeleteTest, RefusedEditsChangeNothing) {
    at("B1").setFormula("=A5");
    // Not whole rows or columns.
    EXPECT_EQ(errorNumber([&] { at("A5:C5").delete_(); }), 1004);
    EXPECT_EQ(errorNumber([&] { at("A5").insert(); }), 1004);
    // A protected sheet.
    sheet.protect("pw");
    EXPECT_EQ(errorNumber([&] { at("A5").entireRow().delete_(); }), 1004);
    EXPECT_EQ(errorNumber([&] { at("A5").entireRow().insert(); }), 1004);
    sheet.unprotect("pw");
    // A value on the last row would fall off the sheet.
    sheet.cells(kMaxRows, 1).setValue("bottom");
    EXPECT_EQ(errorNumber([&] { at("A5").entireRow().insert(); }), 1004);
    EXPECT_EQ(at("A5").value(), Variant(50.0));
    EXPECT_EQ(at("B1").formula(), "=A5");
    EXPECT_EQ(sheet.cells(kMaxRows, 1).value(), Variant("bottom"));
    // Deleting the last row is fine and takes it with it.
    sheet.cells(kMaxRows, 1).entireRow().delete_();
    EXPECT_TRUE(sheet.cells(kMaxRows, 1).value().isEmpty());
}

TEST_F(InsertDeleteTest, AFunctionCannotDeleteRowsWhileItIsCalculated) {
    long refused = 0;
    app.registerFunction("DeleteMyRow", [&](const std::vector<formula::Argument>&) {
        refused = errorNumber([&] { at("A2").entireRow().delete_(); });
        return Variant(1.0);
    });
    at("B1").setFormula("=DeleteMyRow()");
    EXPECT_EQ(refused, 1004);
    EXPECT_EQ(at("B1").value(), Variant(1.0));
    EXPECT_EQ(at("A2").value(), Variant(20.0));
    EXPECT_EQ(at("A10").value(), Variant(100.0));
}

TEST_F(InsertDeleteTest, ManualCalculationComputesTheMovedFormulasLater) {
    at("C12").setFormula("=SUM(A1:A10)");
    app.setCalculation(xlCalculationManual);
    at("A1").entireRow().delete_();
    EXPECT_EQ(at("C11").formula(), "=SUM(A1:A9)");
    EXPECT_EQ(at("C11").value(), Variant(550.0));  // not computed yet
    app.setCalculation(xlCalculationAutomatic);
    EXPECT_EQ(at("C11").value(), Variant(540.0));
}

TEST_F(InsertDeleteTest, SavedAndOpenedAgainTheMovedBookIsTheSame) {
    const std::string path = ::testing::TempDir() + "/moved-rows.xls";
    at("B9").setFormula("=A9+A10");
    at("A5").entireRow().delete_();
    book.saveAs(path);
    Application again;
    Workbook reopened = again.workbooks().open(path);
    Worksheet first = reopened.worksheets().item(1);
    EXPECT_EQ(first.range("B8").formula(), "=A8+A9");
    EXPECT_EQ(first.range("B8").value(), Variant(190.0));
}

TEST_F(InsertDeleteTest, EveryFormulaKeepsFollowingWhatItReadsAfterEdits) {
    at("B2").setFormula("=A1*2");         // before every edit: stays as it is
    at("C9").setFormula("=A9+1");         // moves, and so does what it reads
    at("D1").setFormula("=SUM(A1:A10)");  // spans the edits
    at("E12").setFormula("=A2");          // moves; what it reads does not
    at("F3:F10").setFormula("=A3+1");     // one form for the whole fill
    other.range("A1").setFormula("=Sheet1!A9");
    at("A5").entireRow().delete_();
    at("A3").entireRow().insert();

    EXPECT_EQ(at("B2").formula(), "=A1*2");
    EXPECT_EQ(at("C9").formula(), "=A9+1");
    EXPECT_EQ(at("D1").formula(), "=SUM(A1:A10)");
    EXPECT_EQ(at("E12").formula(), "=A2");
    EXPECT_EQ(at("F4").formula(), "=A4+1");
    EXPECT_EQ(at("F9").formula(), "=A9+1");
    EXPECT_EQ(other.range("A1").formula(), "=Sheet1!A9");
    at("A1").setValue(1.0);
    at("A2").setValue(2.0);
    at("A9").setValue(9.0);
    at("A4").setValue(4.0);
    at("A3").setValue(3.0);
    EXPECT_EQ(at("B2").value(), Variant(2.0));
    EXPECT_EQ(at("C9").value(), Variant(10.0));
    EXPECT_EQ(at("E12").value(), Variant(2.0));
    EXPECT_EQ(at("F4").value(), Variant(5.0));
    EXPECT_EQ(at("F9").value(), Variant(10.0));
    EXPECT_EQ(other.range("A1").value(), Variant(9.0));
    // 1 + 2 + 3 + 4 + 40 + 60 + 70 + 80 + 9 + 100
    EXPECT_EQ(at("D1").value(), Variant(369.0));
}

// Many formulas moved at once, and random edits of rows and columns: after each edit every
// formula still computes again when a cell it reads changes, as working out each one afresh
// gives it.
TEST_F(InsertDeleteTest, FormulasComputeAsWorkedOutAfreshAfterRandomEdits) {
    std::mt19937 random(19);
    const auto pick = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    for (int r = 1; r <= 300; ++r) {
        sheet.cells(r, 1).setValue(static_cast<double>(r));
        sheet.cells(r, 2).setValue(static_cast<double>(2 * r));
        sheet.cells(r, 5).setFormula("=A" + std::to_string(r) + "*2");
    }
    for (int r = 1; r <= 40; ++r) {
        const std::string a = std::to_string(pick(1, 300));
        const std::string b = std::to_string(pick(1, 300));
        sheet.cells(r, 6).setFormula("=SUM(A" + std::min(a, b) + ":B" + std::max(a, b) + ")");
        sheet.cells(r, 7).setFormula("=B" + std::to_string(pick(1, 300)) + "-A" + b);
        other.cells(r, 1).setFormula("=Sheet1!A" + a + "+Sheet1!B" + b);
    }
    at("A1").entireRow().delete_();  // moves every formula of the sheet
    for (int edit = 0; edit < 30; ++edit) {
        const bool columns = pick(0, 3) == 0;
        const int line = columns ? pick(1, 8) : pick(1, 320);
        Range target =
            columns ? sheet.cells(1, line).entireColumn() : sheet.cells(line, 1).entireRow();
        if (pick(0, 1) == 0) {
            target.delete_();
        } else {
            target.insert();
        }
        for (int write = 0; write < 5; ++write) {
            Range cell = sheet.cells(pick(1, 320), pick(1, 8));
            if (!cell.hasFormula()) {
                cell.setValue(static_cast<double>(pick(1, 1000)));
            }
        }
        for (const Worksheet& each : {sheet, other}) {
            const Range used = each.usedRange();
            for (int r = used.row(); r < used.row() + used.rowCount(); ++r) {
                for (int c = used.column(); c < used.column() + used.columnCount(); ++c) {
                    Range cell = each.cells(r, c);
                    if (!cell.hasFormula()) {
                        continue;
                    }
                    const Variant shown = cell.value();
                    cell.calculate();
                    ASSERT_EQ(shown, cell.value())
                        << each.name() << " row " << r << " column " << c << " " << cell.formula()
                        << " after edit " << edit;
                }
            }
        }
    }
}

// A sort moves a formula down with what it reads: an edit between where it read before and where
// it reads now still rewrites it.
TEST_F(InsertDeleteTest, AFormulaASortMovedFollowsLaterEdits) {
    at("A100").entireRow().delete_();  // every formula of the sheet has been seen
    at("A1").setValue(3.0);
    at("A2").setValue(2.0);
    at("A3").setValue(1.0);
    at("B1").setFormula("=C1");
    at("C3").setValue(7.0);
    at("A1:B3").sort(at("A1"));
    ASSERT_EQ(at("B3").formula(), "=C3");
    at("A2").entireRow().delete_();
    EXPECT_EQ(at("B2").formula(), "=C2");
    EXPECT_EQ(at("B2").value(), Variant(7.0));
}

// An edit passes by the sheets whose formulas all stop before it. Formulas written one by one,
// as a fill or moved by a sort, on the edited sheet and on another naming it, must still be
// found: after every edit the live book's formulas read as those of the same book saved and
// opened again before the edit (opened, its sheets' formulas are found by walking them).
TEST_F(InsertDeleteTest, EditsRewriteTheSameFormulasAsInTheBookOpenedAgain) {
    std::mt19937 random(7);
    const auto pick = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    const auto cellName = [](int row, int column) {
        return std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
    };
    const std::string path = ::testing::TempDir() + "/reach.xls";
    for (int step = 0; step < 120; ++step) {
        const int what = pick(0, 5);
        Worksheet target = pick(0, 2) == 0 ? other : sheet;
        if (what <= 1) {  // a formula, reading its own sheet or naming one
            const std::string prefix =
                pick(0, 1) == 0 ? "" : (pick(0, 1) == 0 ? "Sheet1!" : "Other!");
            target.cells(pick(1, 40), pick(1, 6))
                .setFormula("=" + prefix + cellName(pick(1, 40), pick(1, 6)) + "+1");
        } else if (what == 2) {  // a fill: one form shared by the cells
            const int top = pick(1, 35);
            const int column = pick(1, 6);
            target.range(cellName(top, column) + ":" + cellName(top + 4, column))
                .setFormula("=" + cellName(pick(1, 40), pick(1, 6)) + "*2");
        } else if (what == 3) {  // a sort moves formulas and the rows they read
            const int top = pick(1, 30);
            target.range(cellName(top, 1) + ":" + cellName(top + 8, 6))
                .sort(target.range(cellName(top, pick(1, 6))));
        } else {  // a row or column edit, done on the book opened again too
            book.saveAs(path);
            Application fresh;
            Workbook reopened = fresh.workbooks().open(path);
            const bool columns = pick(0, 3) == 0;
            const int line = columns ? pick(1, 7) : pick(1, 45);
            const bool insert = pick(0, 1) == 0;
            for (Worksheet each : {target, reopened.worksheets().item(target.name())}) {
                Range lines =
                    columns ? each.cells(1, line).entireColumn() : each.cells(line, 1).entireRow();
                insert ? lines.insert() : lines.delete_();
            }
            for (const std::string name : {"Sheet1", "Other"}) {
                const Worksheet live = book.worksheets().item(name);
                const Worksheet opened = reopened.worksheets().item(name);
                for (int r = 1; r <= 50; ++r) {
                    for (int c = 1; c <= 9; ++c) {
                        ASSERT_EQ(live.cells(r, c).formula(), opened.cells(r, c).formula())
                            << name << "!" << cellName(r, c) << " after step " << step;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace kavex::sheet
