#include <gtest/gtest.h>

#include <vector>

#include "platform/spreadsheet/Application.h"

namespace kavex::sheet {
namespace {

// A sheet's change count tells whether what it shows may have changed since it was read: edits
// move it, and so does recalculation whenever it gives a cell another value, whatever made the
// cell recalculate. The recalculation count is the part recalculation made.
class ChangeCountTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Workbook book = app.workbooks().add();
        sheet = book.worksheets().item(1);
        other = book.worksheets().add("Other");
        // SCALED(x) is x times a factor the host call keeps to itself.
        app.registerFunction("Scaled", [this](const std::vector<formula::Argument>& args) {
            return Variant(args.at(0).value.number() * factor);
        });
        other.range("A1").setValue(Variant(50.0));
        sheet.range("A1").setValue(Variant(2.0));
        sheet.range("B1").setFormula("=Other!A1");
        sheet.range("C1").setFormula("=Scaled(A1)");
    }

    // The counts moved since the last call: {all changes, those recalculation made}.
    std::pair<std::uint64_t, std::uint64_t> moved() {
        const std::uint64_t changes = sheet.changeCount();
        const std::uint64_t recalculations = sheet.recalculationCount();
        const auto result = std::make_pair(changes - changes_, recalculations - recalculations_);
        changes_ = changes;
        recalculations_ = recalculations;
        return result;
    }

    Application app;
    Worksheet sheet;
    Worksheet other;
    double factor = 1;
    std::uint64_t changes_ = 0;
    std::uint64_t recalculations_ = 0;
};

TEST_F(ChangeCountTest, AValueRecalculatedFromAnotherSheetMovesTheCount) {
    moved();
    other.range("A1").setValue(Variant(10.0));
    ASSERT_EQ(sheet.range("B1").value(), Variant(10.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{1}, std::uint64_t{1}));
    // The same value again: nothing the sheet shows changed.
    other.range("A1").setValue(Variant(10.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{0}, std::uint64_t{0}));
    // An edit of the sheet itself is no recalculation.
    sheet.range("D1").setValue(Variant(1.0));
    EXPECT_EQ(moved().second, 0U);
    EXPECT_GT(sheet.changeCount(), 0U);
}

TEST_F(ChangeCountTest, InManualCalculationTheCountMovesWhenTheValueDoes) {
    app.setCalculation(xlCalculationManual);
    moved();
    other.range("A1").setValue(Variant(10.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{0}, std::uint64_t{0}));
    app.calculate();
    ASSERT_EQ(sheet.range("B1").value(), Variant(10.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{1}, std::uint64_t{1}));

    other.range("A1").setValue(Variant(20.0));
    app.setCalculation(xlCalculationAutomatic);
    ASSERT_EQ(sheet.range("B1").value(), Variant(20.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{1}, std::uint64_t{1}));
}

TEST_F(ChangeCountTest, AHostCallCalculatedAgainMovesTheCountWhenItsAnswerChanged) {
    moved();
    sheet.range("C1").calculate();
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{0}, std::uint64_t{0}));
    factor = 3;
    sheet.range("C1").calculate();
    ASSERT_EQ(sheet.range("C1").value(), Variant(6.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{1}, std::uint64_t{1}));
    factor = 4;
    sheet.range("A1:C1").calculate();
    ASSERT_EQ(sheet.range("C1").value(), Variant(8.0));
    EXPECT_EQ(moved(), std::make_pair(std::uint64_t{1}, std::uint64_t{1}));
}

}  // namespace
}  // namespace kavex::sheet
