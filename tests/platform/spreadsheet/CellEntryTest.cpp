#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/Date.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"
#include "tests/platform/spreadsheet/ErrorNumber.h"

namespace kavex::sheet {
namespace {

namespace fs = std::filesystem;

std::string tempFile(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / "kavex-cell-entry";
    fs::create_directories(dir);
    return (dir / name).string();
}

class CellEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        os::machineClock().startSimulation(*base::makeDate(2007, 3, 10, 9));
        book = app.workbooks().add();
        sheet = app.activeSheet();
    }
    void TearDown() override { os::machineClock().useRealTime(); }

    // The cell as the user leaves it after typing the text.
    Range typed(const std::string& address, std::string_view text) {
        Range cell = sheet.range(address);
        app.typeInto(cell, text);
        return cell;
    }

    Application app;
    Workbook book;
    Worksheet sheet;
};

// A formula's number constants keep the 15 significant digits it shows, so that the formula
// saved computes, once read again, what it computed before.
TEST_F(CellEntryTest, ANumberConstantComputesWhatItShowsBeforeAndAfterAFile) {
    const std::vector<std::string> formulas = {
        "=1.0000000000000002-1",
        "=12345678901234567-12345678901234500",
        "=1.79769313486231E+308/2",
        "=A3*2",
        "=0.1+0.2",
        "=SUM(1.00000000000000049,2.0000000000000004)",
    };
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        sheet.cells(static_cast<int>(i) + 1, 1).setFormula(formulas[i]);
    }
    EXPECT_EQ(sheet.range("A1").value(), Variant(0.0));
    EXPECT_EQ(sheet.range("A1").formula(), "=1-1");
    EXPECT_EQ(sheet.range("A2").value(), Variant(100.0));
    EXPECT_EQ(sheet.range("A4").value(), Variant(1.79769313486231e308));
    EXPECT_EQ(sheet.range("A6").value(), Variant(3.0));
    // Numbers given as numbers keep every bit, in the cell and in the file.
    sheet.range("B1").setValue(12345678901234567.0);
    sheet.range("B2").setValue(1.0000000000000002);
    sheet.range("B3").setValue(0.1 + 0.2);

    std::vector<Variant> values;
    std::vector<std::string> shown;
    for (int row = 1; row <= static_cast<int>(formulas.size()); ++row) {
        values.push_back(sheet.cells(row, 1).value());
        shown.push_back(sheet.cells(row, 1).formula());
    }
    const std::string path = tempFile("constants.xls");
    book.saveAs(path);

    Application other;
    Worksheet read = other.workbooks().open(path).worksheets().item(1);
    read.range("A1:A6").calculate();
    for (int row = 1; row <= static_cast<int>(formulas.size()); ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        EXPECT_EQ(read.cells(row, 1).value(), values[i]) << formulas[i];
        EXPECT_EQ(read.cells(row, 1).formula(), shown[i]) << formulas[i];
    }
    EXPECT_EQ(read.range("B1").value(), Variant(12345678901234567.0));
    EXPECT_EQ(read.range("B2").value(), Variant(1.0000000000000002));
    EXPECT_EQ(read.range("B3").value(), Variant(0.1 + 0.2));
}

// A constant that rounds past the largest number is refused as any formula that does not parse:
// error 1004, and the cell keeps what it held.
TEST_F(CellEntryTest, AConstantThatRoundsPastTheLargestNumberIsRefused) {
    Range cell = sheet.range("C1");
    cell.setValue(5.0);
    EXPECT_EQ(errorNumber([&] { cell.setFormula("=1.7976931348623157E+308/2"); }), 1004);
    EXPECT_EQ(errorNumber([&] { cell.setValue("=1.7976931348623157E+308/2"); }), 1004);
    EXPECT_EQ(errorNumber([&] { app.typeInto(cell, "=-1.7976931348623157E308"); }), 1004);
    EXPECT_FALSE(cell.hasFormula());
    EXPECT_EQ(cell.value(), Variant(5.0));
}

// A typed number keeps 15 significant digits too; one that rounds past the largest number is
// text, as any text that is no number.
TEST_F(CellEntryTest, ATypedNumberKeepsTheFifteenDigitsItShows) {
    EXPECT_EQ(typed("A1", "12345678901234567").value(), Variant(12345678901234600.0));
    EXPECT_EQ(typed("A2", "1.0000000000000002").value(), Variant(1.0));
    EXPECT_EQ(typed("A3", "$1,234,567,890,123,456.78").value(), Variant(1234567890123460.0));
    EXPECT_EQ(typed("A4", "1.7976931348623157E+308").value(), Variant("1.7976931348623157E+308"));
    sheet.range("A5").setValue("12345678901234567");
    EXPECT_EQ(sheet.range("A5").value(), Variant(12345678901234600.0));
    EXPECT_EQ(typed("A6", "0.1").value(), Variant(0.1));
}

TEST_F(CellEntryTest, ATimeOfADayOrMoreIsATime) {
    Range cell = typed("A1", "25:00");
    EXPECT_EQ(cell.value(), Variant(base::Date{25.0 / 24.0}));
    EXPECT_EQ(cell.text(), "1:00:00 AM");
    EXPECT_EQ(typed("A2", "100:30:15").value(),
              Variant(base::Date{(100 * 3600 + 30 * 60 + 15) / 86400.0}));
    sheet.range("B1").setFormula("=A1*24");
    EXPECT_EQ(sheet.range("B1").value(), Variant(25.0));
    EXPECT_EQ(typed("A3", "25:00 PM").value(), Variant("25:00 PM"));
}

TEST_F(CellEntryTest, ADayAndMonthWithoutAYearAreADateOfTheCurrentYear) {
    Range cell = typed("A1", "1/15");
    EXPECT_EQ(cell.value(), Variant(*base::makeDate(2007, 1, 15)));
    EXPECT_EQ(cell.text(), "15-Jan");
    EXPECT_EQ(typed("A2", "Jan 20").value(), Variant(*base::makeDate(2007, 1, 20)));
    EXPECT_EQ(typed("A3", "20-Jan").text(), "20-Jan");
    EXPECT_EQ(typed("A4", "1/15 10:30").value(), Variant(*base::makeDate(2007, 1, 15, 10, 30)));
    EXPECT_EQ(sheet.range("A4").text(), "1/15/2007 10:30");
    sheet.range("A5").setValue("3/15");
    EXPECT_EQ(sheet.range("A5").value(), Variant(*base::makeDate(2007, 3, 15)));
    // The year is the clock's.
    os::machineClock().startSimulation(*base::makeDate(2024, 6, 1));
    EXPECT_EQ(typed("A6", "2/29").value(), Variant(*base::makeDate(2024, 2, 29)));
}

TEST_F(CellEntryTest, ABracketedAmountIsNegative) {
    EXPECT_EQ(typed("A1", "(5)").value(), Variant(-5.0));
    EXPECT_EQ(typed("A2", " ( $1,000.50 ) ").value(), Variant(-1000.5));
    EXPECT_EQ(sheet.range("A2").text(), "-$1,000.50");
    EXPECT_EQ(typed("A3", "(5%)").value(), Variant(-0.05));
    sheet.range("A4").setValue("(12)");
    EXPECT_EQ(sheet.range("A4").value(), Variant(-12.0));
    for (const char* text : {"(-5)", "()", "(5", "5)", "(abc)"}) {
        EXPECT_EQ(typed("B1", text).value(), Variant(text)) << text;
    }
}

// What the cells read before reads as it did.
TEST_F(CellEntryTest, OtherNumbersDatesAndTimesReadAsBefore) {
    EXPECT_EQ(typed("A1", "$1,000.00").value(), Variant(1000.0));
    EXPECT_EQ(sheet.range("A1").text(), "$1,000.00");
    EXPECT_EQ(typed("A2", "5%").value(), Variant(0.05));
    EXPECT_EQ(typed("A3", "12:30").value(), Variant(base::Date{0.5208333333333334}));
    EXPECT_EQ(sheet.range("A3").text(), "12:30:00 PM");
    EXPECT_EQ(typed("A4", "3/15/2007").value(), Variant(*base::makeDate(2007, 3, 15)));
    EXPECT_EQ(sheet.range("A4").text(), "3/15/2007");
    EXPECT_EQ(typed("A6", "IBM").value(), Variant("IBM"));
}

}  // namespace
}  // namespace kavex::sheet
