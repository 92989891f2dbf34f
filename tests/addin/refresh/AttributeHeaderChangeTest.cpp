#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "addin/refresh/AttributeColumns.h"
#include "platform/spreadsheet/Constants.h"
#include "tests/addin/refresh/ManagedBookFixture.h"
#include "tests/addin/refresh/RefreshFixture.h"

namespace kavex::addin::refresh {
namespace {

// The add-in's own watch list with symbols in B5, B6, B8 and B9 (row 7 has none) and their
// formulas written as a typed symbol gets them.
class AttributeHeaderChangeTest : public addin::testing::RefreshFixture {
  protected:
    void SetUp() override {
        RefreshFixture::SetUp();
        watch = activate("Watch List");
        app.setEnableEvents(false);
        for (int row : {5, 6, 8, 9}) {
            watch.cells(row, 2).setValue(row == 5   ? "MSFT"
                                         : row == 6 ? "IBM"
                                         : row == 8 ? "AAPL"
                                                    : "T");
            int column = 4;
            for (const char* caption :
                 {"Last Trade Price", "Change in Price ($)", "Change in Price (%)", "Volume"}) {
                SymbolSearch(watch, "Watch List", caption, row, static_cast<std::int16_t>(column++),
                             false);
            }
        }
        watch.range("F7").setValue("my note");
        app.setEnableEvents(true);
    }

    // The user's entry in a header cell, then the handler's call.
    void change(const std::string& ref, const std::string& text) {
        app.setEnableEvents(false);
        watch.range(ref).setValue(base::Variant(text));
        app.setEnableEvents(true);
        ProcessAttributeHeaderChange(watch, "Watch List", watch.range(ref));
    }
    std::string formula(const std::string& ref) { return watch.range(ref).formula(); }
    int refreshes() const {
        int count = 0;
        for (const std::string& line : logLines()) {
            count += line == "RefreshWorksheet\tEntering" ? 1 : 0;
        }
        return count;
    }

    sheet::Worksheet watch;
};

TEST_F(AttributeHeaderChangeTest, ACaptionFillsItsColumnOnEveryRowWithASymbol) {
    change("F4", "Volume");
    for (int row : {5, 6, 8, 9}) {
        EXPECT_EQ(formula("F" + std::to_string(row)), "=KavexCuVol(B" + std::to_string(row) + ")");
    }
    EXPECT_EQ(formula("F7"), "my note");
    EXPECT_EQ(formula("F10"), "");
    // The other columns are untouched; the rewritten cells held formulas, so the sheet refreshed.
    EXPECT_EQ(formula("E5"), "=KavexChange(B5)");
    EXPECT_EQ(refreshes(), 1);
    EXPECT_TRUE(logHas("ProcessAttributeHeaderChange\tExiting"));

    change("E4", "Day's Range");
    EXPECT_EQ(formula("E9"), "=KavexDayRange(B9)");
    change("E4", "Days' Range");
    EXPECT_EQ(formula("E9"), "=KavexDayRange(B9)");
}

TEST_F(AttributeHeaderChangeTest, ACaptionWithoutAFunctionEmptiesTheColumnsSymbolRows) {
    for (const std::string& caption :
         {std::string("volume"), std::string(" Volume"), std::string(10000, 'V'), std::string("12"),
          std::string("")}) {
        change("G4", "Volume");
        ASSERT_EQ(formula("G5"), "=KavexCuVol(B5)");
        change("G4", caption);
        for (int row : {5, 6, 8, 9}) {
            EXPECT_EQ(formula("G" + std::to_string(row)), "") << caption.substr(0, 12) << row;
        }
    }
    EXPECT_EQ(formula("F7"), "my note");
}

TEST_F(AttributeHeaderChangeTest, SeveralHeaderCellsAtOnceEmptyTheirColumns) {
    app.clear(watch.range("E4:F4"));
    ProcessAttributeHeaderChange(watch, "Watch List", watch.range("E4:F4"));
    for (int row : {5, 6, 8, 9}) {
        EXPECT_EQ(formula("E" + std::to_string(row)), "") << row;
        EXPECT_EQ(formula("F" + std::to_string(row)), "") << row;
        EXPECT_NE(formula("D" + std::to_string(row)), "") << row;
        EXPECT_NE(formula("G" + std::to_string(row)), "") << row;
    }
    EXPECT_EQ(formula("F7"), "my note");
    EXPECT_EQ(refreshes(), 1);

    // A paste over a header cell and the cells below it: the column is emptied, no caption read.
    app.setEnableEvents(false);
    app.paste(watch.range("G4"), {"Volume", "1", "2"});
    app.setEnableEvents(true);
    ProcessAttributeHeaderChange(watch, "Watch List", watch.range("G4:G6"));
    EXPECT_EQ(formula("G5"), "");
    EXPECT_EQ(formula("G6"), "");
    EXPECT_EQ(formula("G8"), "");
}

TEST_F(AttributeHeaderChangeTest, ChangesOutsideTheHeaderOrOnOtherSheetsWriteNothing) {
    app.setEnableEvents(false);
    watch.range("F5").setValue("Volume");
    app.setEnableEvents(true);
    ProcessAttributeHeaderChange(watch, "Watch List", watch.range("F5"));
    EXPECT_EQ(formula("F6"), "=KavexChPerc(B6)");
    EXPECT_TRUE(logHas("ProcessAttributeHeaderChange\tExiting"));

    for (const char* kind : {"Details", "Exchange Stats", "Portfolio History", ""}) {
        ProcessAttributeHeaderChange(watch, kind, watch.range("F4"));
    }
    EXPECT_TRUE(logHas("ProcessAttributeHeaderChange\tExiting - No Support"));
    // A sheet of a supported kind without the header name.
    sheet::Worksheet plain = book.worksheets().add("Plain");
    plain.activate();
    plain.range("D4").setValue("Volume");
    ProcessAttributeHeaderChange(plain, "Watch List", plain.range("D4"));
    EXPECT_EQ(plain.range("D5").formula(), "");
    EXPECT_EQ(refreshes(), 0);
    EXPECT_TRUE(app.enableEvents());
}

TEST_F(AttributeHeaderChangeTest, AWholeColumnOrRowChangesNothing) {
    const int before = static_cast<int>(logLines().size());
    ProcessAttributeHeaderChange(watch, "Watch List", watch.columns(6));
    ProcessAttributeHeaderChange(watch, "Watch List", watch.rows(4));
    EXPECT_EQ(formula("F5"), "=KavexChPerc(B5)");
    // Only the entry line: a whole column or row ends the procedure without another word.
    const auto lines = logLines();
    ASSERT_EQ(static_cast<int>(lines.size()), before + 2);
    EXPECT_EQ(lines.back(), "ProcessAttributeHeaderChange\tEntering");
}

TEST_F(AttributeHeaderChangeTest, TheRefreshIsAskedOnlyWhenARewrittenCellHeldAFormula) {
    app.setEnableEvents(false);
    for (int row = 5; row <= 9; ++row) {
        watch.cells(row, 7).setValue("");
    }
    app.setEnableEvents(true);
    change("G4", "Ask Size");
    EXPECT_EQ(formula("G5"), "=KavexAskSz(B5)");
    EXPECT_EQ(refreshes(), 0);
    change("G4", "Bid Size");
    EXPECT_EQ(refreshes(), 1);
}

TEST_F(AttributeHeaderChangeTest, TheSwitchesEndOnAndCalculationAutomatic) {
    app.setCalculation(sheet::xlCalculationManual);
    app.setScreenUpdating(false);
    change("D4", "Open Price");
    EXPECT_EQ(formula("D5"), "=KavexOpen(B5)");
    EXPECT_EQ(app.calculation(), sheet::xlCalculationAutomatic);
    EXPECT_TRUE(app.screenUpdating());
    EXPECT_TRUE(app.enableEvents());
    EXPECT_FALSE(core::InternalSheetUpdate);

    // A pending copy is not lost: calculation is left alone.
    app.setCalculation(sheet::xlCalculationManual);
    app.setCutCopyMode(sheet::xlCopy);
    change("D4", "Last Trade Price");
    EXPECT_EQ(formula("D5"), "=KavexLast(B5)");
    EXPECT_EQ(app.calculation(), sheet::xlCalculationManual);
    EXPECT_EQ(app.cutCopyMode(), sheet::xlCopy);
}

using HeaderChangeOnAShiftedSheetTest = testing::ManagedBookFixture;

TEST_F(HeaderChangeOnAShiftedSheetTest, RowsDownToTheLastUsedRowAreRewritten) {
    // The sheet's used range starts in row 2, so it holds one row fewer than its last row number.
    shifted_.activate();
    app_.setEnableEvents(false);
    const char* symbols[] = {"MSFT", "IBM", "AAPL", "T"};
    for (int i = 0; i < 4; ++i) {
        shifted_.cells(3 + i, 5).setValue(symbols[i]);
    }
    shifted_.range("F2").setValue("Last Trade Price");
    app_.setEnableEvents(true);
    ProcessAttributeHeaderChange(shifted_, "watch list", shifted_.range("F2"));
    EXPECT_EQ(shifted_.range("F3").formula(), "=KavexLast(E3)");
    EXPECT_EQ(shifted_.range("F6").formula(), "=KavexLast(E6)");
}

}  // namespace
}  // namespace kavex::addin::refresh
