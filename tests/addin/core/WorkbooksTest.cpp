#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "addin/core/Globals.h"
#include "addin/core/Menus.h"
#include "addin/core/Workbooks.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::addin::core {
namespace {

// An add-in workbook with a watch list, a portfolio history, a details sheet and a plain sheet,
// each reached through the names the add-in looks up.
class WorkbooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCoreGlobals();
        ExcelApp = &app_;
        book_ = app_.workbooks().add();
        sheet::Worksheets sheets = book_.worksheets();
        watch_ = sheets.item(1);
        watch_.setName("WL");
        info_ = sheets.add("KavexInfo");
        history_ = sheets.add("Hist");
        details_ = sheets.add("Det");
        plain_ = sheets.add("Notes");

        info_.range("B2").setValue("3.1");
        info_.names().add("KavexVersion", "=KavexInfo!$B$2");

        watch_.names().add("WSName_Watchlist", "=\"Watch List\"");
        watch_.names().add("WatchListSymbol", "=WL!$B$4");
        watch_.names().add("WatchlistSecurityName", "=WL!$C$4");
        watch_.names().add("WatchlistAlert", "=WL!$H$4");
        book_.names().add("WatchlistAttribHeader", "=WL!$D$4:$F$4");
        watch_.range("B4").setValue("Symbol");
        watch_.range("C4").setValue("Name");
        watch_.range("D4").setValue("Last Trade Price");
        watch_.range("E4").setValue("Volume");
        watch_.range("F4").setValue("Change in Price ($)");
        watch_.range("G4").setValue("Alert");
        watch_.range("H4").setValue("Alert Formula");
        watch_.range("B5").setValue("MSFT");
        watch_.range("B6").setValue("IBM");

        history_.names().add("WSName_PortfolioHistory", "=\"Portfolio History\"");
        history_.names().add("PortfolioHistorySymbol", "=Hist!$C$6");
        history_.range("C7").setValue("MSFT");

        details_.names().add("WSName_Details", "=\"Details\"");

        watch_.activate();
    }
    void TearDown() override {
        ExcelCommandBars = office::CommandBars();
        ResetCoreGlobals();
        ExcelApp = nullptr;
    }

    sheet::Application app_;
    sheet::Workbook book_;
    sheet::Worksheet watch_, info_, history_, details_, plain_;
};

TEST_F(WorkbooksTest, RecognisesAnAddInWorkbookByItsVersionCell) {
    EXPECT_TRUE(IsKavexWorkbook(book_, false));
    EXPECT_EQ(KavexVersion, "3.1");

    sheet::Workbook other = app_.workbooks().add();
    EXPECT_FALSE(IsKavexWorkbook(other, false));
    EXPECT_FALSE(IsKavexWorkbook(sheet::Workbook(), false));

    // KavexInfo without the version name is not enough.
    other.worksheets().item(1).setName("KavexInfo");
    EXPECT_FALSE(IsKavexWorkbook(other, true));
}

TEST_F(WorkbooksTest, RecordsTheBrowserControlSizesWhenAsked) {
    watch_.oleObjects().add("Advert1", "Shell.Explorer.2", 10, 20, 300, 60);
    EXPECT_TRUE(IsKavexWorkbook(book_, false));
    EXPECT_TRUE(BrowserControlSizes.empty());
    EXPECT_TRUE(IsKavexWorkbook(book_, true));
    ASSERT_EQ(BrowserControlSizes.size(), 1u);
    EXPECT_EQ(BrowserControlSizes[0].sheetName, "WL");
    EXPECT_EQ(BrowserControlSizes[0].controlName, "Advert1");
    EXPECT_DOUBLE_EQ(BrowserControlSizes[0].width, 300);
}

TEST_F(WorkbooksTest, SheetKindComesFromTheFirstKindNameThatResolves) {
    EXPECT_EQ(GetTheSheetType(watch_), "Watch List");
    EXPECT_EQ(GetTheSheetType(history_), "Portfolio History");
    EXPECT_EQ(GetTheSheetType(details_), "Details");
    EXPECT_EQ(GetTheSheetType(plain_), "");
    EXPECT_EQ(GetTheSheetType(sheet::Worksheet()), "");
}

TEST_F(WorkbooksTest, SheetKindIsEmptyWhileAnOrdinaryWorkbookIsActive) {
    sheet::Workbook other = app_.workbooks().add();
    other.activate();
    EXPECT_EQ(GetTheSheetType(watch_), "");
}

TEST_F(WorkbooksTest, SymbolHeaderByKind) {
    std::int32_t row = -1;
    std::int16_t column = -1;
    EXPECT_TRUE(GetSymbolRowColumn(watch_, row, column));
    EXPECT_EQ(row, 4);
    EXPECT_EQ(column, 2);

    EXPECT_TRUE(GetSymbolRowColumn(history_, row, column));
    EXPECT_EQ(row, 6);
    EXPECT_EQ(column, 3);

    EXPECT_FALSE(GetSymbolRowColumn(details_, row, column));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, 0);
}

TEST_F(WorkbooksTest, AManagedSheetWithoutItsSymbolNameLogsAndAnswersFalse) {
    testing::TempFolder folder{"kavex-workbooks"};
    AddInPath = folder.withSeparator();
    LogLevel = 1;
    std::int32_t row = -1;
    std::int16_t column = -1;
    details_.names().item("WSName_Details").setRefersTo("=\"Watch List\"");
    EXPECT_FALSE(GetSymbolRowColumn(details_, row, column));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, 0);

    const auto lines = folder.lines("KavexLog.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\tGetSymbolRowColumn\tError: (1004) "), std::string::npos) << lines[0];
}

TEST_F(WorkbooksTest, AttributeHeaderSecurityNameAndColumnCount) {
    std::int32_t row = 0;
    std::int16_t column = 0;
    GetAttributeRowColumn(watch_, row, column);
    EXPECT_EQ(row, 4);
    EXPECT_EQ(column, 4);
    EXPECT_EQ(GetNoofColumns(watch_), 7);  // B4:H4 is the region around D4:F4

    // On another sheet the name does not resolve: the header belongs to the watch list.
    GetAttributeRowColumn(plain_, row, column);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, 0);
    EXPECT_TRUE(GetSecurityNameRowColumn(watch_, row, column));
    EXPECT_EQ(row, 4);
    EXPECT_EQ(column, 3);
    EXPECT_TRUE(GetSecurityNameRowColumn(details_, row, column));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, 0);

    sheet::Workbook other = app_.workbooks().add();
    EXPECT_EQ(GetNoofColumns(other.worksheets().item(1)), 0);
    EXPECT_FALSE(GetSecurityNameRowColumn(watch_, row, column));
}

TEST_F(WorkbooksTest, AlertColumnByKindOnTheActiveSheet) {
    std::string kind = "Watch List";
    EXPECT_EQ(GetTheColumnWheretheAlertFormulaColumnIs(kind), 8);
    kind = "Portfolio";
    EXPECT_EQ(GetTheColumnWheretheAlertFormulaColumnIs(kind), 0);
    kind = "Details";
    EXPECT_EQ(GetTheColumnWheretheAlertFormulaColumnIs(kind), 0);
}

TEST_F(WorkbooksTest, MenuSwitchesFollowTheActiveCell) {
    auto toolbar = ExcelCommandBars.Add(kToolbarName);
    auto getQuote = toolbar->Controls().AddButton();
    getQuote->setCaption("Get Quote");
    getQuote->setParameter("Get Quote");
    auto alerts = toolbar->Controls().AddPopup();
    alerts->setCaption("&Alerts");
    auto cell = ExcelCommandBars.Item("Cell");
    auto details = cell->Controls().AddButton();
    details->setCaption(kVisualAlertDetails);
    auto remove = cell->Controls().AddButton();
    remove->setCaption(kRemoveVisualAlert);
    auto deleteTransaction = cell->Controls().AddButton();
    deleteTransaction->setCaption(kDeleteTransaction);

    bool result = false;
    DisableMenusForNonKavexWorkbook(result);
    EXPECT_TRUE(result);
    EXPECT_FALSE(getQuote->Enabled());
    EXPECT_FALSE(alerts->Enabled());
    EXPECT_FALSE(details->Enabled());

    // A data row whose alert cell holds the alert formula.
    watch_.range("H5").setFormula("=CreateAlert(B5)");
    watch_.range("B5").select();
    EnableDisableMenusForKavexWorkbook(result, watch_);
    EXPECT_TRUE(result);
    EXPECT_TRUE(getQuote->Enabled());
    EXPECT_TRUE(alerts->Enabled());
    EXPECT_TRUE(details->Enabled());
    EXPECT_TRUE(remove->Enabled());
    EXPECT_FALSE(deleteTransaction->Enabled());

    // A row without one.
    watch_.range("B6").select();
    EnableDisableMenusForKavexWorkbook(result, watch_);
    EXPECT_FALSE(details->Enabled());
    EXPECT_FALSE(remove->Enabled());

    // A row of a portfolio history that holds a symbol but no booked transaction (the cases of
    // booked rows are in the portfolio history's menu tests).
    history_.activate();
    history_.range("C7").select();
    EnableDisableMenusForKavexWorkbook(result, history_);
    EXPECT_TRUE(result);
    EXPECT_FALSE(deleteTransaction->Enabled());
    EXPECT_FALSE(details->Enabled());
    history_.range("C8").select();
    EnableDisableMenusForKavexWorkbook(result, history_);
    EXPECT_FALSE(deleteTransaction->Enabled());
}

TEST_F(WorkbooksTest, MenuSwitchesWithoutTheBarsDoNothing) {
    bool result = false;
    EnableDisableMenusForKavexWorkbook(result, watch_);
    EXPECT_TRUE(result);
    DisableMenusForNonKavexWorkbook(result);
    EXPECT_TRUE(result);
}

}  // namespace
}  // namespace kavex::addin::core
