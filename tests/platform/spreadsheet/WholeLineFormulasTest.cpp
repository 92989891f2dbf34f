#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

namespace fs = std::filesystem;

std::string tempFile(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kavex-whole-lines";
    fs::create_directories(dir);
    return (dir / name).string();
}

class WholeLineFormulasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        book = app.workbooks().add();
        sheet = app.activeSheet();
        other = book.worksheets().add("Sheet2");
        sheet.activate();
    }
    Range at(const std::string& reference) { return sheet.range(reference); }

    Application app;
    Workbook book;
    Worksheet sheet;
    Worksheet other;
};

TEST_F(WholeLineFormulasTest, FormulasTakeWholeColumnsAndRows) {
    at("D2").setValue(5.0);
    at("D3").setValue(7.0);
    at("C3").setValue(1.0);
    other.range("A9").setValue(4.0);
    at("F10").setFormula("=SUM(D:D)");
    at("F11").setFormula("=sum(3:3)");
    at("F12").setFormula("=SUM($C:$D)");
    at("F13").setFormula("=SUM(Sheet2!A:A)");
    at("F14").setFormula("=COUNT($2:$3)");
    EXPECT_EQ(at("F10").formula(), "=SUM(D:D)");
    EXPECT_EQ(at("F11").formula(), "=SUM(3:3)");
    EXPECT_EQ(at("F10").value(), Variant(12.0));
    EXPECT_EQ(at("F11").value(), Variant(8.0));
    EXPECT_EQ(at("F12").value(), Variant(13.0));
    EXPECT_EQ(at("F13").value(), Variant(4.0));
    EXPECT_EQ(at("F14").value(), Variant(3.0));
    // A change anywhere in the lines recalculates them.
    at("D5").setValue(100.0);
    EXPECT_EQ(at("F10").value(), Variant(112.0));
    at("D1048576").setValue(1.0);
    EXPECT_EQ(at("F10").value(), Variant(113.0));
    at("XFD3").setValue(2.0);
    EXPECT_EQ(at("F11").value(), Variant(10.0));
    other.range("A1048576").setValue(6.0);
    EXPECT_EQ(at("F13").value(), Variant(10.0));
    // Lines to the end of the sheet cost what the sheet holds.
    at("F20").setFormula("=SUM(G:XFD)+SUM(1048000:1048576)");
    EXPECT_EQ(at("F20").value(), Variant(3.0));
}

TEST_F(WholeLineFormulasTest, InsertingAndDeletingLinesMovesThem) {
    at("D2").setValue(5.0);
    at("E2").setValue(1.0);
    at("A1").setFormula("=SUM(D:D)");
    at("A3").setFormula("=SUM(2:2)");
    other.range("A1").setFormula("=SUM(Sheet1!$D:$E)");
    book.names().add("Header", "=Sheet1!$2:$2");
    book.names().add("Prices", "=Sheet1!$D:$D");
    // Rows inserted above leave whole columns whole; whole rows move down.
    at("2:2").entireRow().insert();
    EXPECT_EQ(at("A1").formula(), "=SUM(D:D)");
    EXPECT_EQ(at("A1").value(), Variant(5.0));
    EXPECT_EQ(at("A4").formula(), "=SUM(3:3)");
    EXPECT_EQ(at("A4").value(), Variant(6.0));
    EXPECT_EQ(book.names().item("Header").refersTo(), "=Sheet1!$3:$3");
    EXPECT_EQ(book.names().item("Prices").refersTo(), "=Sheet1!$D:$D");
    // A column inserted before D moves the columns right.
    at("B:B").entireColumn().insert();
    EXPECT_EQ(at("A1").formula(), "=SUM(E:E)");
    EXPECT_EQ(at("A1").value(), Variant(5.0));
    EXPECT_EQ(at("A4").formula(), "=SUM(3:3)");
    EXPECT_EQ(other.range("A1").formula(), "=SUM(Sheet1!$E:$F)");
    EXPECT_EQ(other.range("A1").value(), Variant(6.0));
    EXPECT_EQ(book.names().item("Prices").refersTo(), "=Sheet1!$E:$E");
    // Deleting the column a reference names makes it #REF!.
    at("E:E").entireColumn().delete_();
    EXPECT_EQ(at("A1").formula(), "=SUM(#REF!)");
    EXPECT_EQ(at("A1").value(), Variant(base::CellError::Ref));
    EXPECT_EQ(other.range("A1").formula(), "=SUM(Sheet1!$E:$E)");
    EXPECT_EQ(other.range("A1").value(), Variant(1.0));
}

TEST_F(WholeLineFormulasTest, AWorkbookHoldingThemOpensAndKeepsThem) {
    const std::string path = tempFile("totals.xls");
    at("D2").setValue(5.0);
    at("E9").setFormula("=SUM(D:D)");
    EXPECT_EQ(at("E9").value(), Variant(5.0));
    at("B9").setFormula("=SUM(D1:D8)+SUM(3:3)");
    book.names().add("Prices", "=Sheet1!$D:$D");
    at("C9").setFormula("=SUM(Prices)");
    book.saveAs(path);
    book.close();

    Workbook reopened = app.workbooks().open(path);
    Worksheet s = reopened.worksheets().item("Sheet1");
    EXPECT_EQ(s.range("E9").formula(), "=SUM(D:D)");
    EXPECT_EQ(s.range("B9").formula(), "=SUM(D1:D8)+SUM(3:3)");
    s.range("D3").setValue(2.0);
    EXPECT_EQ(s.range("B9").value(), Variant(9.0));
    EXPECT_EQ(s.range("E9").value(), Variant(7.0));
    EXPECT_EQ(s.range("C9").value(), Variant(7.0));
}

}  // namespace
}  // namespace kavex::sheet
