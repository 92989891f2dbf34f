#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"
#include "tests/platform/spreadsheet/ErrorNumber.h"

namespace kavex::sheet {
namespace {

class SheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        book = app.workbooks().add();
        sheet = app.activeSheet();
        other = book.worksheets().add("Other");
    }
    Application app;
    Workbook book;
    Worksheet sheet;
    Worksheet other;
};

TEST_F(SheetTest, AProtectedSheetRefusesWritesToLockedCells) {
    sheet.range("B2").setLocked(false);
    sheet.range("A1").setValue("keep");
    sheet.range("A2").setFormula("=1+1");
    sheet.protect("lantor");
    EXPECT_TRUE(sheet.protectContents());
    EXPECT_EQ(errorNumber([&] { sheet.range("A1").setValue("new"); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("A1").setFormula("=2*3"); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("A2").setFormula("=A1"); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("A4").setFormula("=A2"); }), 1004);
    EXPECT_EQ(sheet.range("A1").formula(), "keep");
    EXPECT_EQ(sheet.range("A2").formula(), "=1+1");
    EXPECT_EQ(sheet.range("A2").value(), Variant(2.0));
    EXPECT_TRUE(sheet.range("A4").value().isEmpty());
    EXPECT_FALSE(sheet.range("A4").hasFormula());
    EXPECT_EQ(errorNumber([&] { sheet.range("A1:A3").clearContents(); }), 1004);
    EXPECT_EQ(errorNumber([&] { app.typeInto(sheet.range("C3"), "x"); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("A1").font().setBold(true); }), 1004);
    EXPECT_EQ(sheet.range("A1").value(), Variant("keep"));
    sheet.range("B2").setValue("free");  // an unlocked cell stays writable
    EXPECT_EQ(sheet.range("B2").value(), Variant("free"));

    EXPECT_EQ(errorNumber([&] { sheet.unprotect("wrong"); }), 1004);
    EXPECT_TRUE(sheet.protectContents());
    sheet.unprotect("lantor");
    sheet.range("A1").setValue("new");
    EXPECT_EQ(sheet.range("A1").value(), Variant("new"));
}

TEST_F(SheetTest, TheSheetsOwnNameWinsOverTheWorkbooksName) {
    book.names().add("WatchListSymbol", "=Sheet1!$B$4");
    book.names().add("Other!WatchListSymbol", "=Other!$C$7");
    EXPECT_EQ(other.range("WatchListSymbol").address(), "$C$7");
    EXPECT_EQ(sheet.range("WatchListSymbol").address(), "$B$4");
    // A workbook name that points at another sheet does not resolve on this one.
    book.names().add("DetailsSymbol", "=Sheet1!$A$5");
    EXPECT_EQ(errorNumber([&] { other.range("DetailsSymbol"); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("NoSuchName"); }), 1004);
    // On the application the active sheet decides.
    other.activate();
    EXPECT_EQ(app.range("WatchListSymbol").address(true, true, true), "[Book1]Other!$C$7");
    EXPECT_EQ(app.range("DetailsSymbol").worksheet().name(), "Sheet1");
    EXPECT_EQ(book.names().item("Other!WatchListSymbol").refersToRange().address(), "$C$7");
    EXPECT_EQ(book.names().item("WatchListSymbol").name(), "WatchListSymbol");
    EXPECT_EQ(other.names().count(), 1);
    book.names().item("DetailsSymbol").delete_();
    EXPECT_EQ(errorNumber([&] { app.range("DetailsSymbol"); }), 1004);
}

// Ranges, formulas, hyperlinks and names read a reference or a name the same way.
TEST_F(SheetTest, EveryWayInResolvesReferencesAndNamesAlike) {
    book.names().add("Pair", "=Other!$B$2,$D$4");  // two areas on another sheet
    book.names().add("Other!Local", "=$C$3");      // the sheet's own, no sheet named
    book.names().add("Dangling", "=Gone!$A$1");    // a sheet that does not exist
    book.names().add("Here", "=$E$5");             // workbook-level, no sheet named
    other.range("C3").setValue(7.0);
    other.range("E5").setValue(2.0);

    // A multi-area name, through the application and through its own sheet.
    EXPECT_EQ(app.range("Pair").address(true, true, true), "[Book1]Other!$B$2,$D$4");
    EXPECT_EQ(other.range("Pair").address(), "$B$2,$D$4");
    EXPECT_EQ(errorNumber([&] { sheet.range("Pair"); }), 1004);
    // A sheet-level name without a sheet is on its own sheet, wherever it is read from.
    EXPECT_EQ(other.range("Local").address(), "$C$3");
    EXPECT_EQ(book.names().item("Other!Local").refersToRange().worksheet().name(), "Other");
    other.range("A1").setFormula("=Local*Here");
    EXPECT_EQ(other.range("A1").value(), Variant(14.0));
    EXPECT_EQ(errorNumber([&] { sheet.range("Local"); }), 1004);
    // A workbook-level name without a sheet is on the sheet that reads it.
    EXPECT_EQ(sheet.range("Here").worksheet().name(), "Sheet1");
    EXPECT_EQ(errorNumber([&] { book.names().item("Here").refersToRange(); }), 1004);
    // Names and references to a missing sheet resolve nowhere.
    EXPECT_EQ(errorNumber([&] { app.range("Dangling"); }), 1004);
    EXPECT_EQ(errorNumber([&] { app.range("Gone!A1"); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("Other!A1"); }), 1004);
    EXPECT_EQ(app.range("other!a1").worksheet().name(), "Other");

    // A hyperlink goes where the same text leads the range lookups.
    sheet.hyperlinks().add(sheet.range("A1"), "", "Pair");
    app.followHyperlink(sheet.range("A1"));
    EXPECT_EQ(app.activeSheet().name(), "Other");
    EXPECT_EQ(app.selection().address(), "$B$2,$D$4");
    // One that leads nowhere stays where it is (following it is still reported to the add-in).
    other.hyperlinks().add(other.range("F1"), "", "Dangling");
    EXPECT_EQ(errorNumber([&] { app.followHyperlink(other.range("F1")); }), 0);
    EXPECT_EQ(app.activeSheet().name(), "Other");
    EXPECT_EQ(app.selection().address(), "$B$2,$D$4");
}

TEST_F(SheetTest, SpecialCellsFindsFormulasOrRaises) {
    sheet.range("A1").setValue(1.0);
    EXPECT_EQ(errorNumber([&] { sheet.usedRange().specialCells(xlCellTypeFormulas); }), 1004);
    sheet.range("B1").setFormula("=A1*2");
    sheet.range("C1").setFormula("=A1*3");
    sheet.range("B3").setFormula("=A1*4");
    Range found = sheet.usedRange().specialCells(xlCellTypeFormulas);
    EXPECT_EQ(found.address(), "$B$1:$C$1,$B$3");
    EXPECT_EQ(found.count(), 3);
}

TEST_F(SheetTest, UsedRangeCurrentRegionAndIntersect) {
    sheet.range("B2").setValue(1.0);
    sheet.range("C3").setValue(2.0);
    sheet.range("F9").setValue(3.0);
    EXPECT_EQ(sheet.usedRange().address(), "$B$2:$F$9");
    EXPECT_EQ(sheet.range("B2").currentRegion().address(), "$B$2:$C$3");
    EXPECT_EQ(app.intersect(sheet.range("A1:C3"), sheet.range("C3:D4")).address(), "$C$3");
    EXPECT_TRUE(app.intersect(sheet.range("A1"), sheet.range("D4")).isNothing());
    EXPECT_EQ(errorNumber([&] { app.intersect(sheet.range("A1"), other.range("A1")); }), 1004);
    EXPECT_EQ(sheet.range("B2").entireRow().address(), "$2:$2");
    EXPECT_EQ(sheet.range("B2").offset(1, 2).resize(2, 2).address(), "$D$3:$E$4");
}

// The current region as the spreadsheet defines it: grown by one row or column at a time while
// the ring around it holds something, on a grid of which cells hold something.
std::array<int, 4> referenceRegion(const std::vector<std::vector<bool>>& filled,
                                   std::array<int, 4> region) {
    const int rows = static_cast<int>(filled.size());
    const int columns = static_cast<int>(filled[0].size());
    const auto any = [&](int r1, int c1, int r2, int c2) {
        for (int r = std::max(r1, 1); r <= std::min(r2, rows); ++r) {
            for (int c = std::max(c1, 1); c <= std::min(c2, columns); ++c) {
                if (filled[r - 1][c - 1]) {
                    return true;
                }
            }
        }
        return false;
    };
    auto& [top, left, bottom, right] = region;
    for (bool grew = true; grew;) {
        grew = false;
        if (top > 1 && any(top - 1, left - 1, top - 1, right + 1)) {
            --top, grew = true;
        } else if (any(bottom + 1, left - 1, bottom + 1, right + 1)) {
            ++bottom, grew = true;
        } else if (left > 1 && any(top - 1, left - 1, bottom + 1, left - 1)) {
            --left, grew = true;
        } else if (any(top - 1, right + 1, bottom + 1, right + 1)) {
            ++right, grew = true;
        }
    }
    return region;
}

TEST_F(SheetTest, CurrentRegionMatchesItsDefinitionOnRandomSheets) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 300; ++round) {
        Worksheet grid = book.worksheets().add("Grid" + std::to_string(round));
        const int rows = 3 + static_cast<int>(random() % 14);
        const int columns = 3 + static_cast<int>(random() % 8);
        const unsigned percent = 10 + random() % 60;
        std::vector<std::vector<bool>> filled(static_cast<std::size_t>(rows),
                                              std::vector<bool>(static_cast<std::size_t>(columns)));
        for (int r = 1; r <= rows; ++r) {
            for (int c = 1; c <= columns; ++c) {
                if (random() % 100 < percent) {
                    filled[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)] = true;
                    grid.cells(r, c).setValue(r % 3 == 0 ? Variant("x") : Variant(1.0 * c));
                }
            }
        }
        const int top = 1 + static_cast<int>(random() % static_cast<unsigned>(rows));
        const int left = 1 + static_cast<int>(random() % static_cast<unsigned>(columns));
        const int height = 1 + static_cast<int>(random() % 3);
        const int width = 1 + static_cast<int>(random() % 3);
        const auto [r1, c1, r2, c2] =
            referenceRegion(filled, {top, left, top + height - 1, left + width - 1});
        EXPECT_EQ(grid.cells(top, left).resize(height, width).currentRegion().address(),
                  grid.cells(r1, c1).resize(r2 - r1 + 1, c2 - c1 + 1).address())
            << "round " << round;
    }
}

TEST_F(SheetTest, SortMovesRowsWithTheirFormulas) {
    sheet.range("A1").setValue("Symbol");
    sheet.range("A2").setValue("MSFT");
    sheet.range("A3").setValue("AAPL");
    sheet.range("A4").setValue("IBM");
    sheet.range("B2").setValue(3.0);
    sheet.range("B3").setValue(1.0);
    sheet.range("B4").setValue(2.0);
    sheet.range("C2:C4").setFormula("=B2*10");
    sheet.range("A2").addComment("first");
    sheet.range("A1:C4").sort(sheet.range("B2"), xlDescending, xlYes);
    EXPECT_EQ(sheet.range("A1").value(), Variant("Symbol"));
    EXPECT_EQ(sheet.range("A2").value(), Variant("MSFT"));
    EXPECT_EQ(sheet.range("A3").value(), Variant("IBM"));
    EXPECT_EQ(sheet.range("A4").value(), Variant("AAPL"));
    EXPECT_EQ(sheet.range("C3").formula(), "=B3*10");
    EXPECT_EQ(sheet.range("C4").value(), Variant(10.0));
    EXPECT_EQ(sheet.range("A2").comment().text(), "first");
    sheet.range("A2:C4").sort(sheet.range("A2"), xlAscending, xlNo);
    EXPECT_EQ(sheet.range("A2").value(), Variant("AAPL"));
    EXPECT_EQ(sheet.range("C2").value(), Variant(10.0));
    EXPECT_TRUE(sheet.range("A2").comment().isNothing());
    EXPECT_EQ(sheet.range("A4").comment().text(), "first");
}

TEST_F(SheetTest, SpansColourOnlyTheirCharacters) {
    Range cell = sheet.range("B3");
    cell.setValue("NYSE - 9,123.45 (+12.34, +0.14%)");
    cell.characters(18, 14).font().setColorIndex(4);
    EXPECT_EQ(cell.characters(18, 14).font().colorIndex(), Variant(4));
    EXPECT_EQ(cell.characters(18, 14).font().color(), Variant(65280.0));
    EXPECT_EQ(cell.characters(1, 17).font().colorIndex(), Variant(xlColorIndexAutomatic));
    EXPECT_EQ(cell.characters(1, 17).font().color(), Variant(0.0));
    EXPECT_TRUE(cell.characters(17, 2).font().color().isNull());
    EXPECT_TRUE(cell.font().color().isNull());
    cell.characters(10, 100).font().setColorIndex(0);
    EXPECT_EQ(cell.characters(20, 3).font().colorIndex(), Variant(0));
    // A cell-wide colour covers every character again.
    cell.font().setColor(255);
    EXPECT_EQ(cell.characters(18, 3).font().color(), Variant(255.0));
    // New text drops the old spans.
    cell.characters(1, 4).font().setBold(true);
    cell.setValue("fresh");
    EXPECT_EQ(cell.characters(1, 4).font().bold(), Variant(false));
}

TEST_F(SheetTest, LookOfCells) {
    Range cell = sheet.range("B5");
    cell.interior().setColorIndex(20);
    EXPECT_EQ(cell.interior().color(), Variant(static_cast<double>(204 + 255 * 256 + 255 * 65536)));
    cell.interior().setColor(255);
    EXPECT_EQ(cell.interior().colorIndex(), Variant(3));
    cell.interior().setColorIndex(xlColorIndexNone);
    EXPECT_EQ(cell.interior().colorIndex(), Variant(xlColorIndexNone));
    cell.borders().setWeight(xlThin);
    cell.borders().setColor(14540253);
    EXPECT_EQ(cell.borders().color(), Variant(14540253.0));
    cell.setNumberFormat("$###,###,##0.00");
    cell.setValue(1234.5);
    EXPECT_EQ(cell.text(), "$1,234.50");
    sheet.range("B6").setValue(-2.5);
    sheet.range("B6").setNumberFormat("0.00;(0.00)");
    EXPECT_EQ(sheet.range("B6").text(), "(2.50)");
    sheet.range("4:5").setHidden(true);
    EXPECT_EQ(sheet.range("B4").entireRow().hidden(), Variant(true));
    EXPECT_TRUE(sheet.range("3:4").hidden().isNull());
    auto condition = cell.formatConditions().add(xlCellValue, xlGreater, "=0");
    condition.interior().setColorIndex(40);
    EXPECT_EQ(cell.formatConditions().count(), 1);
    EXPECT_EQ(cell.formatConditions().item(1).interior().colorIndex(), Variant(40));
    cell.formatConditions().delete_();
    EXPECT_EQ(cell.formatConditions().count(), 0);
    Comment note = cell.addComment("Alert Details Active : yes");
    note.shape().textFrame().characters(1, 14).font().setBold(true);
    note.shape().textFrame().setAutoSize(true);
    EXPECT_EQ(note.shape().textFrame().characters(1, 14).font().bold(), Variant(true));
    EXPECT_EQ(note.shape().textFrame().characters(15, 6).font().bold(), Variant(false));
    EXPECT_EQ(errorNumber([&] { cell.addComment("again"); }), 1004);
    EXPECT_EQ(sheet.comments().count(), 1);
}

TEST_F(SheetTest, HyperlinksOneToACell) {
    sheet.range("B5").setValue("IBM");
    sheet.hyperlinks().add(sheet.range("B5"), "", "DetailsSymbol");
    sheet.hyperlinks().add(sheet.range("B5"), "", "DetailsSymbol");
    EXPECT_EQ(sheet.range("B5").hyperlinks().count(), 1);
    EXPECT_EQ(sheet.range("B5").value(), Variant("IBM"));
    EXPECT_EQ(sheet.range("B5").hyperlinks().item(1).subAddress(), "DetailsSymbol");
    sheet.range("B5").hyperlinks().delete_();
    EXPECT_EQ(sheet.hyperlinks().count(), 0);
    EXPECT_EQ(errorNumber([&] { app.followHyperlink(sheet.range("B5")); }), 1004);
}

TEST_F(SheetTest, SpanPositionsCountCharactersNotBytes) {
    Range cell = sheet.range("B3");
    // "…" takes three bytes but is one character: "NYSE" starts at 3 and runs 4 characters.
    cell.setValue("\u2026 NYSE \u00e9t\u00e9");
    cell.characters(3, 4).font().setBold(true);
    EXPECT_EQ(cell.characters(3, 4).text(), "NYSE");
    EXPECT_EQ(cell.characters(3, 4).font().bold(), Variant(true));
    EXPECT_EQ(cell.characters(1, 2).font().bold(), Variant(false));
    EXPECT_EQ(cell.characters(7, 4).font().bold(), Variant(false));
    EXPECT_EQ(cell.characters(8, 3).text(), "\u00e9t\u00e9");
    EXPECT_EQ(cell.characters(1, 1).text(), "\u2026");
    // A span to the end covers the last character, however many bytes it has.
    cell.characters(8).font().setColorIndex(3);
    EXPECT_EQ(cell.characters(10, 1).font().colorIndex(), Variant(3));
    EXPECT_EQ(cell.characters(7, 1).font().colorIndex(), Variant(xlColorIndexAutomatic));
    Comment note = sheet.range("C3").addComment("\u2026Alert Details x");
    note.shape().textFrame().characters(2, 13).font().setBold(true);
    EXPECT_EQ(note.shape().textFrame().characters(2, 13).text(), "Alert Details");
    EXPECT_EQ(note.shape().textFrame().characters(15, 2).font().bold(), Variant(false));
}

TEST_F(SheetTest, AProtectedSheetRefusesChangesToAComment) {
    Comment note = sheet.range("A1").addComment("Alert Details Active : yes");
    sheet.protect("pw");
    EXPECT_EQ(errorNumber([&] { note.setText("changed"); }), 1004);
    EXPECT_EQ(errorNumber([&] { note.shape().textFrame().setAutoSize(true); }), 1004);
    EXPECT_EQ(errorNumber([&] { note.shape().textFrame().characters(1, 5).font().setBold(true); }),
              1004);
    EXPECT_EQ(errorNumber([&] { note.delete_(); }), 1004);
    EXPECT_EQ(errorNumber([&] { sheet.range("B1").addComment("new"); }), 1004);
    EXPECT_EQ(note.text(), "Alert Details Active : yes");
    EXPECT_FALSE(note.shape().textFrame().autoSize());
    EXPECT_EQ(note.shape().textFrame().characters(1, 5).font().bold(), Variant(false));
    sheet.unprotect("pw");
    note.shape().textFrame().setAutoSize(true);
    EXPECT_TRUE(note.shape().textFrame().autoSize());
}

TEST_F(SheetTest, ALinkedCellTakesTheLinkLookBeforeItsOwnFont) {
    Range cell = sheet.range("B5");
    cell.setValue("IBM");
    cell.font().setName("Tahoma");
    cell.font().setSize(8);
    cell.font().setBold(true);
    cell.font().setColorIndex(3);
    sheet.hyperlinks().add(cell, "", "DetailsSymbol");
    EXPECT_EQ(cell.font().name(), Variant("Calibri"));
    EXPECT_EQ(cell.font().size(), Variant(11.0));
    EXPECT_EQ(cell.font().bold(), Variant(false));
    EXPECT_EQ(cell.font().underline(), Variant(xlUnderlineStyleSingle));
    EXPECT_EQ(cell.font().color(), Variant(5.0 + 99 * 256 + 193 * 65536));
    // What the caller sets afterwards is kept, the rest of the link look stays.
    cell.font().setName("Tahoma");
    cell.font().setSize(8);
    EXPECT_EQ(cell.font().name(), Variant("Tahoma"));
    EXPECT_EQ(cell.font().underline(), Variant(xlUnderlineStyleSingle));
    // Only the anchor changes.
    EXPECT_EQ(sheet.range("B6").font().underline(), Variant(xlUnderlineStyleNone));
    // An older host's link is the palette's blue.
    app.setVersion("11.0");
    sheet.hyperlinks().add(sheet.range("C5"), "", "BrowserNewsLink");
    EXPECT_EQ(sheet.range("C5").font().colorIndex(), Variant(5));
    EXPECT_EQ(sheet.range("C5").font().underline(), Variant(xlUnderlineStyleSingle));
    EXPECT_EQ(errorNumber([&] { cell.font().setUnderline(7); }), 1004);
    cell.font().setUnderline(xlUnderlineStyleNone);
    EXPECT_EQ(cell.font().underline(), Variant(xlUnderlineStyleNone));
}

TEST_F(SheetTest, ApplicationSwitchesKeepWhatTheyAreGiven) {
    EXPECT_EQ(app.version(), "16.0");
    EXPECT_EQ(app.statusBar(), Variant(false));
    app.setStatusBar(Variant("Refreshing..."));
    EXPECT_EQ(app.statusBar(), Variant("Refreshing..."));
    app.setStatusBar(Variant(false));
    EXPECT_EQ(app.statusBar(), Variant(false));
    EXPECT_EQ(app.cursor(), xlDefault);
    app.setCursor(xlWait);
    EXPECT_EQ(app.cursor(), xlWait);
    EXPECT_EQ(errorNumber([&] { app.setCursor(99); }), 1004);
    EXPECT_EQ(app.cursor(), xlWait);
    EXPECT_EQ(app.enableCancelKey(), xlInterrupt);
    app.setEnableCancelKey(xlDisabled);
    EXPECT_EQ(app.enableCancelKey(), xlDisabled);
    EXPECT_EQ(errorNumber([&] { app.setEnableCancelKey(5); }), 1004);
    EXPECT_EQ(app.windowState(), xlNormal);
    app.setWindowState(xlMinimized);
    EXPECT_EQ(app.windowState(), xlMinimized);
    EXPECT_EQ(errorNumber([&] { app.setWindowState(0); }), 1004);
    EXPECT_TRUE(app.screenUpdating());
    app.setScreenUpdating(false);
    EXPECT_FALSE(app.screenUpdating());
    EXPECT_EQ(app.cutCopyMode(), 0);
    app.setCutCopyMode(xlCut);
    EXPECT_EQ(app.cutCopyMode(), xlCut);
    EXPECT_EQ(errorNumber([&] { app.setCutCopyMode(3); }), 1004);
}

TEST_F(SheetTest, OneCellCalculateAndFormulasOfTheUsedRange) {
    sheet.range("A1").setValue(2.0);
    sheet.range("B1").setFormula("=A1*2");
    sheet.range("B2").setFormula("=A1*3");
    sheet.range("C3").setValue("text");
    app.setCalculation(xlCalculationManual);
    sheet.range("A1").setValue(5.0);
    sheet.range("B1").calculate();
    EXPECT_EQ(sheet.range("B1").value(), Variant(10.0));
    EXPECT_EQ(sheet.range("B2").value(), Variant(6.0));
    Range formulas = sheet.usedRange().specialCells(xlCellTypeFormulas);
    EXPECT_EQ(formulas.address(), "$B$1:$B$2");
}

}  // namespace
}  // namespace kavex::sheet

namespace kavex::sheet {
namespace {

TEST_F(SheetTest, WholeColumnsAndRowsReadAndWriteTheirAddresses) {
    for (const char* text : {"C:C", "$C:$C", "c:c"}) {
        const Range column = sheet.range(text);
        EXPECT_EQ(column.address(), "$C:$C") << text;
        EXPECT_EQ(column.address(false, false), "C:C") << text;
        EXPECT_EQ(column.row(), 1);
        EXPECT_EQ(column.column(), 3);
        EXPECT_EQ(column.count(), kMaxRows);
    }
    for (const char* text : {"5:5", "$5:$5"}) {
        const Range row = app.range(text);
        EXPECT_EQ(row.address(), "$5:$5") << text;
        EXPECT_EQ(row.columnCount(), kMaxColumns);
    }
    EXPECT_EQ(sheet.range("B2:D3").entireColumn().address(), "$B:$D");
    EXPECT_EQ(sheet.range("B2:D3").entireRow().address(), "$2:$3");
    EXPECT_EQ(app.range("Other!$B:$B").address(true, true, true), "[Book1]Other!$B:$B");
    EXPECT_EQ(sheet.range("C:C").entireColumn(), sheet.range("$C:$C"));
}

TEST_F(SheetTest, IntersectOfWholeLinesIsWhereTheyCross) {
    // A header row met by a changed whole column: the header cell of that column.
    EXPECT_EQ(app.intersect(sheet.range("$C:$C"), sheet.range("A5:H5")).address(), "$C$5");
    EXPECT_EQ(app.intersect(sheet.range("$5:$5"), sheet.range("$C:$C")).address(), "$C$5");
    EXPECT_EQ(app.intersect(sheet.range("$B:$D"), sheet.range("$C:$F")).address(), "$C:$D");
    EXPECT_EQ(app.intersect(sheet.range("$2:$4"), sheet.range("A3:A9")).address(), "$A$3:$A$4");
    EXPECT_TRUE(app.intersect(sheet.range("$C:$C"), sheet.range("A1:B9")).isNothing());
}

}  // namespace
}  // namespace kavex::sheet
