#include "addin/refresh/SymbolHyperlinks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/base/Conversions.h"
#include "tests/addin/refresh/SheetFixture.h"

namespace kavex::addin::refresh {
namespace {

// Counts the changes the add-in's writes would report.
class ChangeCounter : public sheet::ApplicationEvents {
  public:
    void sheetChange(sheet::Worksheet, sheet::Range) override { ++changes; }
    void sheetBeforeRightClick(sheet::Worksheet, sheet::Range, bool&) override {}
    void sheetDeactivate(sheet::Worksheet) override {}
    void sheetFollowHyperlink(sheet::Worksheet, sheet::Hyperlink) override {}
    void workbookAddinInstall(sheet::Workbook) override {}
    void workbookAddinUninstall(sheet::Workbook) override {}
    void workbookBeforeClose(sheet::Workbook, bool&) override {}
    void workbookBeforeSave(sheet::Workbook, bool, bool&) override {}
    void workbookDeactivate(sheet::Workbook) override {}
    void sheetActivate(sheet::Worksheet) override {}
    void workbookActivate(sheet::Workbook) override {}
    void sheetSelectionChange(sheet::Worksheet, sheet::Range) override {}
    void workbookOpen(sheet::Workbook) override {}
    int changes = 0;
};

class SymbolHyperlinksTest : public testing::SheetFixture {
  protected:
    void SetUp() override {
        SheetFixture::SetUp();
        openKavexBook();
        sheet = sheetNamed("Watch List");
        counter = std::make_shared<ChangeCounter>();
        app.addEventSink(counter);
    }
    std::string subAddresses(const std::string& ref) {
        std::string text;
        const sheet::Hyperlinks links = sheet.range(ref).hyperlinks();
        for (int i = 1; i <= links.count(); ++i) {
            text += (text.empty() ? "" : ",") + links.item(i).subAddress();
        }
        return text;
    }
    sheet::Worksheet sheet;
    std::shared_ptr<ChangeCounter> counter;
};

TEST_F(SymbolHyperlinksTest, TheLinkFormulaRefersToTheSymbolCellRelatively) {
    EXPECT_EQ(LinkCellFormula("$B$5", "N"), "=IF(TRIM(B5) =\"\",\"\",\"N\")");
    EXPECT_EQ(LinkCellFormula("$D$12", "O"), "=IF(TRIM(D12) =\"\",\"\",\"O\")");
}

TEST_F(SymbolHyperlinksTest, ASymbolGetsOneDetailsLinkAndItsRowTheThreeLinkCells) {
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    counter->changes = 0;
    sheet::Range symbol = sheet.range("B5");
    CreateSymbolHyperlink(symbol, sheet);
    CreateSymbolHyperlink(symbol, sheet);
    EXPECT_EQ(subAddresses("B5"), "DetailsSymbol") << "the old link is deleted first";
    EXPECT_EQ(base::CStr(symbol.font().name()), "Tahoma");
    EXPECT_EQ(base::CDbl(symbol.font().size()), 8);
    EXPECT_EQ(base::CDbl(symbol.borders().weight()), 2);
    EXPECT_EQ(base::CDbl(symbol.borders().color()), kLinkBorderColor);

    EXPECT_EQ(sheet.range("H5").formula(), "=IF(TRIM(B5) =\"\",\"\",\"N\")");
    EXPECT_EQ(sheet.range("I5").formula(), "=IF(TRIM(B5) =\"\",\"\",\"C\")");
    EXPECT_EQ(sheet.range("J5").formula(), "=IF(TRIM(B5) =\"\",\"\",\"O\")");
    EXPECT_EQ(sheet.range("H5").text(), "N");
    EXPECT_EQ(sheet.range("I5").text(), "C");
    EXPECT_EQ(sheet.range("J5").text(), "O");
    EXPECT_TRUE(sheet.range("J5").hasFormula());
    EXPECT_EQ(sheet.range("H5").hyperlinks().item(1).subAddress(), "BrowserNewsLink");
    EXPECT_EQ(sheet.range("J5").hyperlinks().item(1).subAddress(), "BrowserOptionsLink");
    EXPECT_EQ(base::CDbl(sheet.range("I5").borders().color()), kLinkBorderColor);
    EXPECT_EQ(counter->changes, 0) << "the link cells are written with events off";
    EXPECT_TRUE(app.enableEvents());

    // Clearing the symbol empties the letters; the links stay.
    sheet.range("B5").setValue(base::Variant(std::string("  ")));
    EXPECT_EQ(sheet.range("I5").text(), "");
    EXPECT_NE(subAddresses("I5"), "");
}

TEST_F(SymbolHyperlinksTest, WithoutASheetOnlyTheSymbolCellChangesAndEventsAreNotTouched) {
    app.setEnableEvents(false);
    sheet.range("D12").setValue(base::Variant(std::string("MSFT")));
    sheet::Range symbol = sheet.range("D12");
    CreateSymbolHyperlink(symbol, sheet::Worksheet());
    EXPECT_EQ(subAddresses("D12"), "DetailsSymbol");
    EXPECT_EQ(sheet.range("H12").formula(), "");
    EXPECT_FALSE(app.enableEvents());
}

TEST_F(SymbolHyperlinksTest, ASheetWithoutLinkColumnsGetsOnlyTheDetailsLink) {
    app.workbooks().add();
    sheet = app.activeSheet();
    sheet.range("B5").setValue(base::Variant(std::string("IBM")));
    sheet::Range symbol = sheet.range("B5");
    CreateSymbolHyperlink(symbol, sheet);
    EXPECT_EQ(subAddresses("B5"), "DetailsSymbol");
    EXPECT_EQ(sheet.hyperlinks().count(), 1);
    EXPECT_TRUE(app.enableEvents());
}

TEST_F(SymbolHyperlinksTest, AddingALinkKeepsTheCellsContentAndBorders) {
    sheet.range("J7").setValue(base::Variant(std::string("keep")));
    counter->changes = 0;
    AddOptionsHyperlink(sheet, 7, 10, "ignored");
    AddNewsHyperlink(sheet, 7, 8, "");
    AddChartsHyperlink(sheet, 7, 9, "");
    EXPECT_EQ(base::CStr(sheet.range("J7").value()), "keep");
    EXPECT_EQ(subAddresses("J7"), "BrowserOptionsLink");
    EXPECT_EQ(subAddresses("H7"), "BrowserNewsLink");
    EXPECT_EQ(subAddresses("I7"), "BrowserChartsLink");
    EXPECT_EQ(base::CStr(sheet.range("J7").font().name()), "Tahoma");
    EXPECT_EQ(base::CDbl(sheet.range("J7").borders().color()), 0);
    EXPECT_EQ(counter->changes, 0);
    EXPECT_TRUE(app.enableEvents());
}

}  // namespace
}  // namespace kavex::addin::refresh
