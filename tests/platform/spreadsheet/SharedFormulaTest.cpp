// A formula filled along a range, or read from a file where it runs down a column, is held once
// for all its cells. Every cell must still read, show, compute and follow edits as its own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

namespace fs = std::filesystem;

std::string tempFile(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kavex-shared-formulas";
    fs::create_directories(dir);
    return (dir / name).string();
}

class SharedFormulaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app.setEnableEvents(false);
        app.workbooks().add();
        sheet = app.activeSheet();
        // TWICE(x) doubles a number and counts its calls.
        app.registerFunction("Twice", [this](const std::vector<formula::Argument>& args) {
            ++calls;
            return Variant(args.at(0).value.isNumber() ? args[0].value.number() * 2 : -1.0);
        });
        for (int r = 1; r <= 6; ++r) {
            sheet.cells(r, 1).setValue(static_cast<double>(r));
        }
    }
    Variant at(const std::string& address) { return sheet.range(address).value(); }
    std::string formulaAt(const std::string& address) { return sheet.range(address).formula(); }

    Application app;
    Worksheet sheet;
    int calls = 0;
};

TEST_F(SharedFormulaTest, EachCellOfAFillReadsShowsAndComputesItsOwnRow) {
    sheet.range("B1:B6").setFormula("=A1*2+1");
    sheet.range("C1:C6").setFormula("=B1+A1");
    sheet.range("D1:D6").setFormula("=Twice(A1)");
    for (int r = 1; r <= 6; ++r) {
        const std::string row = std::to_string(r);
        EXPECT_EQ(formulaAt("B" + row), "=A" + row + "*2+1");
        EXPECT_EQ(formulaAt("C" + row), "=B" + row + "+A" + row);
        EXPECT_EQ(formulaAt("D" + row), "=Twice(A" + row + ")");
        EXPECT_EQ(at("B" + row), Variant(2.0 * r + 1));
        EXPECT_EQ(at("C" + row), Variant(3.0 * r + 1));
        EXPECT_EQ(at("D" + row), Variant(2.0 * r));
    }
    // A change reaches the cells of its own row only.
    calls = 0;
    sheet.range("A4").setValue(10.0);
    EXPECT_EQ(at("B4"), Variant(21.0));
    EXPECT_EQ(at("C4"), Variant(31.0));
    EXPECT_EQ(at("D4"), Variant(20.0));
    EXPECT_EQ(at("B3"), Variant(7.0));
    EXPECT_EQ(at("B5"), Variant(11.0));
    EXPECT_EQ(calls, 1);
    // Range.Calculate over the fill computes every cell from its own row.
    sheet.range("D1:D6").calculate();
    EXPECT_EQ(at("D6"), Variant(12.0));
    EXPECT_EQ(calls, 7);
}

TEST_F(SharedFormulaTest, AbsoluteAndMixedReferencesStayWhereTheyWereWritten) {
    sheet.range("B1:B6").setFormula("=A1+$A$1");
    sheet.range("C1:D2").setFormula("=$A2*A$1");
    EXPECT_EQ(formulaAt("B5"), "=A5+$A$1");
    EXPECT_EQ(at("B5"), Variant(6.0));
    EXPECT_EQ(formulaAt("D2"), "=$A3*B$1");
    EXPECT_EQ(at("C2"), Variant(3.0));
    sheet.range("A1").setValue(100.0);
    EXPECT_EQ(at("B5"), Variant(105.0));
}

TEST_F(SharedFormulaTest, SortingAndDeletingRowsMoveEachFormulaWithItsRow) {
    sheet.range("B1:B6").setFormula("=A1*10");
    // Sorting by the formulas' column, descending: row 6 comes first and still reads its A.
    sheet.range("A1:B6").sort(sheet.range("A1"), xlDescending);
    EXPECT_EQ(at("A1"), Variant(6.0));
    EXPECT_EQ(formulaAt("B1"), "=A1*10");
    EXPECT_EQ(at("B1"), Variant(60.0));
    EXPECT_EQ(at("B6"), Variant(10.0));
    // Deleting row 2 moves the rows below up, their formulas with them.
    sheet.range("2:2").entireRow().delete_();
    EXPECT_EQ(formulaAt("B2"), "=A2*10");
    EXPECT_EQ(at("B2"), Variant(40.0));
    sheet.range("A2").setValue(7.0);
    EXPECT_EQ(at("B2"), Variant(70.0));
    // Inserting a row above keeps every formula on its cells.
    sheet.range("1:1").entireRow().insert();
    EXPECT_EQ(formulaAt("B3"), "=A3*10");
    EXPECT_EQ(at("B3"), Variant(70.0));
}

TEST_F(SharedFormulaTest, AFileKeepsEachFormulaAndItsDependents) {
    const std::string path = tempFile("column.xls");
    sheet.range("B1:B6").setFormula("=A1*2+1");
    app.activeWorkbook().saveAs(path);
    Application other;
    other.setEnableEvents(false);
    Workbook book = other.workbooks().open(path);
    Worksheet opened = book.activeSheet();
    EXPECT_EQ(opened.range("B5").formula(), "=A5*2+1");
    EXPECT_EQ(opened.range("B5").value(), Variant(11.0));
    opened.range("A5").setValue(100.0);
    EXPECT_EQ(opened.range("B5").value(), Variant(201.0));
    EXPECT_EQ(opened.range("B4").value(), Variant(9.0));
}

// Only a formula that is the one above moved down a row shares it: the same text in two rows,
// or another spelling, is a formula of its own.
TEST(SharedFormulaFileTest, OnlyAFormulaMovedAlongSharesTheOneAbove) {
    const std::string path = tempFile("typed.xls");
    std::ofstream(path, std::ios::binary)
        << R"({"kavexWorkbook": 1, "sheets": [{"name": "S", "cells": [
             {"ref": "A1", "value": 1}, {"ref": "B1", "formula": "=A1*2", "value": 2},
             {"ref": "A2", "value": 2}, {"ref": "B2", "formula": "=A1*2", "value": 2},
             {"ref": "A3", "value": 3}, {"ref": "B3", "formula": "=a3*2", "value": 6},
             {"ref": "A4", "value": 4}, {"ref": "B4", "formula": "=A4*2", "value": 8},
             {"ref": "A5", "value": 5}, {"ref": "B5", "formula": "=A5 * 2", "value": 10}]}]})";
    Application app;
    app.setEnableEvents(false);
    Worksheet sheet = app.workbooks().open(path).activeSheet();
    EXPECT_EQ(sheet.range("B2").formula(), "=A1*2");
    EXPECT_EQ(sheet.range("B3").formula(), "=A3*2");
    EXPECT_EQ(sheet.range("B4").formula(), "=A4*2");
    EXPECT_EQ(sheet.range("B5").formula(), "=A5 * 2");
    sheet.range("A1").setValue(10.0);
    EXPECT_EQ(sheet.range("B2").value(), Variant(20.0));
    sheet.range("A4").setValue(10.0);
    EXPECT_EQ(sheet.range("B4").value(), Variant(20.0));
    EXPECT_EQ(sheet.range("B5").value(), Variant(10.0));
}

}  // namespace
}  // namespace kavex::sheet
