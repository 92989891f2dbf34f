// What a whole row or column edit recalculates: every formula whose inputs it moved, removed or
// shifted, whole lines included, and everything that reads those formulas, on any sheet, as the
// calculation mode says.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

// SPAN(area) is how many cells the area its argument names holds: a value that moves with the
// edits of the area's lines, as the position of a reference does.
void registerSpan(Application& app) {
    app.registerFunction("Span", [](const std::vector<formula::Argument>& args) {
        if (args.empty() || !args[0].reference) {
            return Variant(base::CellError::Value);
        }
        const formula::AreaRef& area = *args[0].reference;
        return Variant(static_cast<double>(area.lastRow - area.firstRow + 1) *
                       (area.lastColumn - area.firstColumn + 1));
    });
}

class LineEditRecalculationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registerSpan(app);
        book = app.workbooks().add();
        sheet = app.activeSheet();
        other = book.worksheets().add("Other");
        sheet.activate();
    }
    Range at(const std::string& reference) { return sheet.range(reference); }

    Application app;
    Workbook book;
    Worksheet sheet;
    Worksheet other;
};

TEST_F(LineEditRecalculationTest, DeletingAColumnRecomputesTheWholeChainThatReadIt) {
    at("A1").setValue(1.0);
    at("B1").setValue(2.0);
    at("C1").setValue(3.0);
    at("A5").setFormula("=SUM(A1:C1)");
    at("A6").setFormula("=A5*10");
    at("A7").setFormula("=A6+1");
    other.range("A1").setFormula("=Sheet1!A6+1");
    at("B:B").entireColumn().delete_();
    EXPECT_EQ(at("A5").value(), Variant(4.0));
    EXPECT_EQ(at("A6").value(), Variant(40.0));
    EXPECT_EQ(at("A7").value(), Variant(41.0));
    EXPECT_EQ(other.range("A1").value(), Variant(41.0));
}

TEST_F(LineEditRecalculationTest, WholeLinesThatKeepTheirTextAreRecomputed) {
    at("H3").setValue(5.0);
    at("H4").setValue(1.0);
    at("J1").setFormula("=SUM(H:H)");
    at("J2").setFormula("=J1*2");
    other.range("B1").setFormula("=SUM(Sheet1!H:H)");
    other.range("B2").setFormula("=B1+Sheet1!J2");
    at("3:3").entireRow().delete_();
    EXPECT_EQ(at("J1").value(), Variant(1.0));
    EXPECT_EQ(at("J2").value(), Variant(2.0));
    EXPECT_EQ(other.range("B1").value(), Variant(1.0));
    EXPECT_EQ(other.range("B2").value(), Variant(3.0));

    at("A12").setValue(1.0);
    at("B12").setValue(2.0);
    at("C12").setValue(4.0);
    at("E1").setFormula("=SUM(12:12)");
    at("E2").setFormula("=E1+1");
    at("B:B").entireColumn().delete_();
    EXPECT_EQ(at("D1").value(), Variant(5.0));
    EXPECT_EQ(at("D2").value(), Variant(6.0));
}

TEST_F(LineEditRecalculationTest, FormulasReadingADefinedNameAreRecomputed) {
    at("H3").setValue(5.0);
    at("H4").setValue(1.0);
    at("A1").setValue(1.0);
    at("B1").setValue(2.0);
    at("C1").setValue(3.0);
    book.names().add("Prices", "=Sheet1!$H:$H");  // its text stays as it is
    book.names().add("Firsts", "=Sheet1!$A$1:$C$1");
    at("J1").setFormula("=SUM(Prices)");
    at("J2").setFormula("=J1*2");
    other.range("A1").setFormula("=SUM(Firsts)");
    other.range("A2").setFormula("=A1*10");
    at("3:3").entireRow().delete_();
    EXPECT_EQ(at("J1").value(), Variant(1.0));
    EXPECT_EQ(at("J2").value(), Variant(2.0));
    at("B:B").entireColumn().delete_();
    EXPECT_EQ(book.names().item("Firsts").refersTo(), "=Sheet1!$A$1:$B$1");
    EXPECT_EQ(other.range("A1").value(), Variant(4.0));
    EXPECT_EQ(other.range("A2").value(), Variant(40.0));
}

TEST_F(LineEditRecalculationTest, InsertingLinesRecomputesTheChainsOfWhatTheyMoved) {
    at("B1").setFormula("=Span(A1:A3)");
    at("B2").setFormula("=B1*10");
    other.range("A1").setFormula("=Sheet1!B2+1");
    book.names().add("Block", "=Sheet1!$D$1:$E$1");
    at("F1").setFormula("=Span(Block)");
    at("F2").setFormula("=F1*10");
    at("A2").entireRow().insert();
    EXPECT_EQ(at("B1").formula(), "=Span(A1:A4)");
    EXPECT_EQ(at("B3").value(), Variant(40.0));
    EXPECT_EQ(other.range("A1").value(), Variant(41.0));
    at("E:E").entireColumn().insert();
    EXPECT_EQ(book.names().item("Block").refersTo(), "=Sheet1!$D$1:$F$1");
    EXPECT_EQ(at("G1").value(), Variant(3.0));
    EXPECT_EQ(at("G3").value(), Variant(30.0));
}

TEST_F(LineEditRecalculationTest, ManualCalculationLeavesTheEditedFormulasDirtyUntilCalculated) {
    at("D1").setValue(1.0);
    at("E1").setValue(2.0);
    at("F1").setValue(3.0);
    at("D5").setFormula("=SUM(D1:F1)");
    at("D6").setFormula("=D5*10");
    at("A3").setValue(5.0);
    at("A4").setValue(1.0);
    at("B1").setFormula("=SUM(A:A)");
    other.range("A1").setFormula("=Sheet1!D6+Sheet1!B1");
    app.setCalculation(xlCalculationManual);
    at("3:3").entireRow().delete_();
    at("E:E").entireColumn().delete_();
    EXPECT_EQ(at("D4").formula(), "=SUM(D1:E1)");
    EXPECT_EQ(at("D4").value(), Variant(6.0));  // as they were: not computed yet
    EXPECT_EQ(at("D5").value(), Variant(60.0));
    EXPECT_EQ(at("B1").value(), Variant(6.0));
    EXPECT_EQ(other.range("A1").value(), Variant(66.0));
    app.calculate();
    EXPECT_EQ(at("D4").value(), Variant(4.0));
    EXPECT_EQ(at("D5").value(), Variant(40.0));
    EXPECT_EQ(at("B1").value(), Variant(1.0));
    EXPECT_EQ(other.range("A1").value(), Variant(41.0));
}

TEST_F(LineEditRecalculationTest, ASaveAfterAnEditWritesTheFreshValues) {
    const std::string path = ::testing::TempDir() + "/line-edit-values.xls";
    at("A1").setValue(1.0);
    at("B1").setValue(2.0);
    at("A5").setFormula("=SUM(A1:B1)");
    at("A6").setFormula("=A5*10");
    at("B:B").entireColumn().delete_();
    book.saveAs(path);
    Application again;
    Worksheet opened = again.workbooks().open(path).worksheets().item("Sheet1");
    EXPECT_EQ(opened.range("A6").value(), Variant(10.0));
}

// Random books edited by random row and column insertions and deletions: after every edit each
// cell shows what the same book worked out afresh shows. The formulas read cells to their left,
// whole columns to their left, areas, whole rows that hold only values, defined names and the
// other sheet (only the second sheet reads the first), so that no edit makes a cycle.
class RandomBook {
  public:
    explicit RandomBook(unsigned seed) : random_(seed) {}

    void build(Application& app) {
        registerSpan(app);
        Workbook book = app.workbooks().add();
        book.worksheets().add("Other");
        Worksheet first = book.worksheets().item("Sheet1");
        Worksheet second = book.worksheets().item("Other");
        book.names().add("Left", "=Sheet1!$A$1:$A$20");
        book.names().add("Top", "=Sheet1!$1:$2");
        book.names().add("FirstColumn", "=Sheet1!$A:$A");
        for (int r = 1; r <= kRows; ++r) {
            for (int c = 1; c <= kColumns; ++c) {
                if (pick(0, 2) != 0) {
                    first.cells(r, c).setValue(static_cast<double>(pick(1, 9)));
                }
            }
        }
        for (int i = 0; i < 30; ++i) {
            const int column = pick(2, kColumns);
            first.cells(pick(kValueRows + 1, kRows), column).setFormula(formula(column, false));
        }
        for (int i = 0; i < 20; ++i) {
            const int column = pick(1, kColumns);
            second.cells(pick(1, kRows), column).setFormula(formula(column, true));
        }
    }

    // One or two whole rows or columns of either sheet, inserted or deleted.
    void edit(const Workbook& book) {
        const Worksheet target = book.worksheets().item(pick(0, 3) == 0 ? "Other" : "Sheet1");
        const bool rows = pick(0, 1) == 0;
        const int first = pick(1, rows ? kRows : kColumns + 1);
        const int last = first + pick(0, 1);
        Range lines =
            rows ? target.range(std::to_string(first) + ":" + std::to_string(last)).entireRow()
                 : target.range(columnName(first) + "1:" + columnName(last) + "1").entireColumn();
        if (pick(0, 1) == 0) {
            lines.delete_();
        } else {
            lines.insert();
        }
    }

  private:
    static constexpr int kRows = 20;
    static constexpr int kValueRows = 8;  // rows 1 to 8 of the first sheet hold values only
    static constexpr int kColumns = 8;

    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }

    static std::string columnName(int column) {
        return std::string(1, static_cast<char>('A' + column - 1));
    }
    std::string cell(int beforeColumn) {
        return columnName(pick(1, beforeColumn - 1)) + std::to_string(pick(1, kRows));
    }

    // A formula for a cell of the column, of one to three terms; onSecond: on the second sheet,
    // where it may read anything of the first.
    std::string formula(int column, bool onSecond) {
        std::string text = "=";
        const int terms = pick(1, 3);
        for (int t = 0; t < terms; ++t) {
            if (t > 0) {
                text += "+";
            }
            const bool first = onSecond && pick(0, 2) != 0;
            const std::string sheet = first ? "Sheet1!" : "";
            const int before = first ? kColumns + 1 : column;
            if (before <= 1) {
                text += std::to_string(pick(1, 9));
                continue;
            }
            switch (pick(0, 6)) {
                case 0:
                case 1:
                    text += sheet + cell(before);
                    break;
                case 2: {
                    const int a = pick(1, kRows), b = pick(1, kRows);
                    const int c = pick(1, before - 1), d = pick(1, before - 1);
                    const std::string area =
                        sheet + columnName(std::min(c, d)) + std::to_string(std::min(a, b)) + ":" +
                        columnName(std::max(c, d)) + std::to_string(std::max(a, b));
                    text += (pick(0, 1) == 0 ? "SUM(" : "Span(") + area + ")";
                    break;
                }
                case 3: {
                    const std::string line = columnName(pick(1, before - 1));
                    text += "SUM(" + sheet + line + ":" + line + ")";
                    break;
                }
                case 4: {  // a whole row of the first sheet: one of values alone unless read
                           // from the second
                    const int row = pick(1, onSecond ? kRows : kValueRows);
                    text += "SUM(" + std::string(onSecond ? "Sheet1!" : "") + std::to_string(row) +
                            ":" + std::to_string(row) + ")";
                    break;
                }
                default: {
                    const char* names[] = {"Left", "Top", "FirstColumn"};
                    const char* name = names[pick(0, 2)];
                    text += (pick(0, 1) == 0 ? "SUM(" : "Span(") + std::string(name) + ")";
                    break;
                }
            }
        }
        return text;
    }

    std::mt19937 random_;
};

// The book as a fresh application works it out from its values, formulas and names.
std::vector<Variant> workedOutAfresh(const Workbook& book, int rows, int columns) {
    Application fresh;
    registerSpan(fresh);
    Workbook copy = fresh.workbooks().add();
    copy.worksheets().add("Other");
    Names names = book.names();
    for (int i = 1; i <= names.count(); ++i) {
        copy.names().add(names.item(i).name(), names.item(i).refersTo());
    }
    std::vector<Variant> values;
    for (bool formulas : {false, true}) {
        for (const std::string name : {"Sheet1", "Other"}) {
            const Worksheet from = book.worksheets().item(name);
            const Worksheet to = copy.worksheets().item(name);
            for (int r = 1; r <= rows; ++r) {
                for (int c = 1; c <= columns; ++c) {
                    const Range cell = from.cells(r, c);
                    if (cell.hasFormula() && formulas) {
                        to.cells(r, c).setFormula(cell.formula());
                    } else if (!cell.hasFormula() && !formulas && !cell.value().isEmpty()) {
                        to.cells(r, c).setValue(cell.value());
                    }
                }
            }
        }
    }
    for (const std::string name : {"Sheet1", "Other"}) {
        const Worksheet sheet = copy.worksheets().item(name);
        for (int r = 1; r <= rows; ++r) {
            for (int c = 1; c <= columns; ++c) {
                values.push_back(sheet.cells(r, c).value());
            }
        }
    }
    return values;
}

TEST(LineEditRecalculationRandomTest, EveryEditLeavesWhatTheBookWorkedOutAfreshShows) {
    constexpr int kRowsCompared = 26;
    constexpr int kColumnsCompared = 12;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        RandomBook random(seed);
        Application app;
        random.build(app);
        Workbook book = app.activeWorkbook();
        for (int step = 0; step < 12; ++step) {
            const bool manual = step % 4 == 3;
            if (manual) {
                app.setCalculation(xlCalculationManual);
            }
            random.edit(book);
            if (manual) {
                app.setCalculation(xlCalculationAutomatic);
            }
            const std::vector<Variant> expected =
                workedOutAfresh(book, kRowsCompared, kColumnsCompared);
            std::size_t i = 0;
            for (const std::string name : {"Sheet1", "Other"}) {
                const Worksheet sheet = book.worksheets().item(name);
                for (int r = 1; r <= kRowsCompared; ++r) {
                    for (int c = 1; c <= kColumnsCompared; ++c, ++i) {
                        const Range cell = sheet.cells(r, c);
                        ASSERT_EQ(cell.value(), expected[i])
                            << "seed " << seed << ", step " << step << ": " << name << "!"
                            << cell.address() << " " << cell.formula() << " shows " << cell.text();
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace kavex::sheet
