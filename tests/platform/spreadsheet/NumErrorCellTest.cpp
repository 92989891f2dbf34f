#include <gtest/gtest.h>

#include <filesystem>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

namespace fs = std::filesystem;

std::string tempFile(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kavex-num-error";
    fs::create_directories(dir);
    return (dir / name).string();
}

TEST(NumErrorCellTest, AnOverflowingSumShowsNumAndSurvivesASave) {
    const std::string path = tempFile("overflow.xls");
    {
        Application app;
        Workbook book = app.workbooks().add();
        Worksheet sheet = book.activeSheet();
        sheet.range("A1").setValue(1e308);
        sheet.range("A2").setValue(1e308);
        sheet.range("A3").setFormula("=SUM(A1:A2)");
        sheet.range("A4").setFormula("=A3&\"\"");
        sheet.range("A5").setFormula("=ISNUMBER(A3)");
        sheet.range("B1").setValue(Variant(base::CellError::Num));
        sheet.range("B2").setFormula("=AVERAGE(A1:A2)");
        EXPECT_EQ(sheet.range("A3").value(), Variant(base::CellError::Num));
        EXPECT_EQ(sheet.range("A3").text(), "#NUM!");
        EXPECT_EQ(sheet.range("A4").value(), Variant(base::CellError::Num));
        EXPECT_EQ(sheet.range("A5").value(), Variant(false));
        EXPECT_EQ(sheet.range("B2").value(), Variant(base::CellError::Num));
        book.saveAs(path);
    }
    Application app;
    Workbook book = app.workbooks().open(path);
    Worksheet sheet = book.activeSheet();
    EXPECT_EQ(sheet.range("A3").value(), Variant(base::CellError::Num));
    EXPECT_EQ(sheet.range("B1").value(), Variant(base::CellError::Num));
    EXPECT_EQ(sheet.range("B1").text(), "#NUM!");
    EXPECT_EQ(sheet.range("B2").value(), Variant(base::CellError::Num));
}

}  // namespace
}  // namespace kavex::sheet
