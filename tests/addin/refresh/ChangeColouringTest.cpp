#include "addin/refresh/ChangeColouring.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/Conversions.h"
#include "tests/addin/refresh/SheetFixture.h"

namespace kavex::addin::refresh {
namespace {

class ChangeColouringTest : public testing::SheetFixture {
  protected:
    void SetUp() override {
        SheetFixture::SetUp();
        app.workbooks().add();
        sheet = app.activeSheet();
    }
    // Writes the formula and lets it calculate once, showing the first value.
    sheet::Range formula(const std::string& ref, const std::string& text) {
        sheet::Range cell = sheet.range(ref);
        cell.setFormula(text);
        cell.calculate();
        return cell;
    }
    bool recalculateRow(int row, const std::string& kind = "Watch List") {
        sheet::Range range = sheet.rows(row);
        return RecalculateRowCells(range, sheet, kind);
    }
    long fontColor(const std::string& ref) {
        return static_cast<long>(base::CDbl(sheet.range(ref).font().color()));
    }
    sheet::Worksheet sheet;
};

TEST_F(ChangeColouringTest, TheFlashFollowsTheDirectionOfTheChange) {
    EXPECT_EQ(ChangeFlashIndex("$10.00", "$10.50"), kRiseFlashIndex);
    EXPECT_EQ(ChangeFlashIndex("$10.50", "$10.00"), kFallFlashIndex);
    EXPECT_EQ(ChangeFlashIndex("1.5%", "1.50%"), 0);
    EXPECT_EQ(ChangeFlashIndex("#NODATA!", "$10.00"), kFallFlashIndex);
    EXPECT_EQ(ChangeFlashIndex("$10.00", "#NODATA!"), kRiseFlashIndex);
    EXPECT_EQ(ChangeFlashIndex("#NODATA!", "#INVALID!"), 0);
}

TEST_F(ChangeColouringTest, AChangedPriceFlashesWithTheFontFor50MillisecondsAndEndsBlack) {
    quotes["KavexLast"]["IBM"] = "$10.00";
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    formula("D5", "=KavexLast(B5)");
    sheet.range("D5").font().setColor(255);
    const double size = base::CDbl(sheet.range("D5").font().size());

    quotes["KavexLast"]["IBM"] = "$10.50";
    const auto before = ticks();
    EXPECT_TRUE(recalculateRow(5));
    EXPECT_EQ(ticks() - before, kFlashMilliseconds);
    EXPECT_EQ(base::CStr(sheet.range("D5").value()), "$10.50");
    EXPECT_FALSE(sheet.range("D5").font().bold().boolean());
    EXPECT_EQ(base::CDbl(sheet.range("D5").font().size()), size);
    EXPECT_EQ(fontColor("D5"), kNeutralColor);
}

TEST_F(ChangeColouringTest, ChangeCellsTakeTheColourOfTheirSignChangedOrNot) {
    quotes["KavexChange"]["IBM"] = "-0.25";
    quotes["KavexChPerc"]["IBM"] = "2.5%";
    quotes["KavexChPerc"]["MSFT"] = "0.0%";
    quotes["KavexPrEarn"]["IBM"] = "12.5";
    quotes["KavexOpen"]["IBM"] = "$5.00";
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    sheet.range("B6").setValue(base::Variant(std::string("MSFT")));
    formula("C5", "=KavexChange(B5)");
    formula("D5", "=KavexChPerc(B5)");
    formula("E5", "=KavexPrEarn(B5)");
    formula("F5", "=KavexOpen(B5)");
    formula("D6", "=KavexChPerc(B6)");

    const auto before = ticks();
    recalculateRow(5);
    recalculateRow(6);
    EXPECT_EQ(ticks(), before) << "nothing changed, so nothing flashed";
    EXPECT_EQ(fontColor("C5"), kNegativeColor);
    EXPECT_EQ(fontColor("D5"), kPositiveColor);
    EXPECT_EQ(fontColor("E5"), kPositiveColor);
    EXPECT_EQ(fontColor("F5"), kNeutralColor) << "a price is not coloured by sign";
    EXPECT_EQ(fontColor("D6"), kNeutralColor);
}

TEST_F(ChangeColouringTest, LinksConstantsHiddenRowsAndCaseOnlyChangesAreLeftAlone) {
    quotes["KavexLast"]["IBM"] = "#nodata!";
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    formula("C5", "=KavexLast(B5)");
    sheet.range("C5").font().setColor(12345);
    formula("D5", "=KavexChange(B5)");
    sheet.hyperlinks().add(sheet.range("D5"), "", "BrowserNewsLink");
    sheet.range("D5").font().setColor(12345);
    sheet.range("E5").setValue(base::Variant(-5.0));
    sheet.range("E5").font().setColor(12345);
    const int before = calls;

    quotes["KavexLast"]["IBM"] = "#NODATA!";
    const auto start = ticks();
    recalculateRow(5);
    EXPECT_EQ(ticks(), start) << "a change of letter case only does not flash";
    EXPECT_EQ(fontColor("C5"), kNeutralColor);
    EXPECT_EQ(fontColor("D5"), 12345) << "a link cell is not recalculated or coloured";
    EXPECT_EQ(fontColor("E5"), 12345) << "a constant is not coloured";
    EXPECT_EQ(calls, before + 1);

    quotes["KavexLast"]["IBM"] = "$1.00";
    sheet.rows(5).setHidden(true);
    recalculateRow(5);
    EXPECT_EQ(base::CStr(sheet.range("C5").value()), "#NODATA!") << "a hidden row is skipped";
}

TEST_F(ChangeColouringTest, OlderHostsFlashTheFillAndPutItBack) {
    app.setVersion("11.0");
    quotes["KavexLast"]["IBM"] = "$10.00";
    quotes["KavexLast"]["MSFT"] = "$20.00";
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    sheet.range("B6").setValue(base::Variant(std::string("MSFT")));
    formula("C5", "=KavexLast(B5)");
    formula("C6", "=KavexLast(B6)");
    sheet.range("C5").interior().setColor(65535);  // its own yellow fill
    sheet::FormatConditions conditions = sheet.range("C6").formatConditions();
    conditions.add(1, 5, "100").interior().setColorIndex(6);
    conditions.add(1, 6, "0").interior().setColor(0xCCFFCC);

    quotes["KavexLast"]["IBM"] = "$9.00";
    quotes["KavexLast"]["MSFT"] = "$21.00";
    const auto before = ticks();
    recalculateRow(5);
    recalculateRow(6);
    EXPECT_EQ(ticks() - before, 2 * kFlashMilliseconds);
    EXPECT_EQ(base::CDbl(sheet.range("C5").interior().color()), 65535);
    EXPECT_EQ(base::CDbl(sheet.range("C6").formatConditions().item(1).interior().colorIndex()), 6);
    EXPECT_EQ(base::CDbl(sheet.range("C6").formatConditions().item(2).interior().color()),
              0xCCFFCC);
    EXPECT_FALSE(sheet.range("C5").font().bold().boolean());
}

TEST_F(ChangeColouringTest, PortfolioGainAndLossColumnsAreColouredBelowTheirHeaders) {
    openKavexBook();
    sheet = sheetNamed("Portfolio");
    sheet.activate();
    quotes["KavexOpen"]["A"] = "$150.00";
    quotes["KavexOpen"]["B"] = "-$20.00";
    sheet.range("B6").setValue(base::Variant(std::string("A")));
    sheet.range("B7").setValue(base::Variant(std::string("B")));
    formula("L6", "=KavexOpen(B6)");
    formula("M7", "=KavexOpen(B7)");
    formula("H6", "=KavexOpen(B6)");
    recalculateRow(6, "Portfolio");
    recalculateRow(7, "Portfolio");
    EXPECT_EQ(fontColor("L6"), kPositiveColor);
    EXPECT_EQ(fontColor("M7"), kNegativeColor);
    EXPECT_EQ(fontColor("H6"), kNeutralColor);

    // The same cells on a sheet of another kind are black.
    sheet.range("L6").font().setColor(7);
    recalculateRow(6, "Watch List");
    EXPECT_EQ(fontColor("L6"), kNeutralColor);
}

TEST_F(ChangeColouringTest, TheWatchListLinkKeepsItsColour) {
    sheet.range("C5").setFormula("=IF(B5=\"\",\"\",\"To Watch List\xE2\x80\xA6\")");
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    sheet.range("C5").font().setColor(16711680);
    sheet::Range cell = sheet.range("C5");
    SetChangeCellColor(cell, sheet, "Watch List");
    EXPECT_EQ(fontColor("C5"), 16711680);
}

}  // namespace
}  // namespace kavex::addin::refresh
