#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/alerts/AlertCells.h"
#include "addin/alerts/AlertSync.h"
#include "addin/alerts/CreateAlert.h"
#include "addin/core/Globals.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/Font.h"
#include "platform/spreadsheet/Names.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/Worksheet.h"
#include "services/Fault.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::alerts {
namespace {

using testing::LiveServicesFixture;

class AlertsTest : public LiveServicesFixture {
  protected:
    void TearDown() override {
        core::ExcelApp = nullptr;
        core::InternalSheetUpdate = false;
        LiveServicesFixture::TearDown();
    }

    // Creates an alert at the web service as the alert dialog does; its id.
    std::string createServerAlert(const std::string& symbol,
                                  std::multimap<std::string, std::string> fields) {
        services::ServiceRequest request;
        request.path = "/datafeeder/ProcessAlert.jsp";
        request.params = std::move(fields);
        request.params.emplace("SessionKey", session::UserSessionKey);
        request.params.emplace("Action", "Create");
        request.params.emplace("Symbol", symbol);
        const services::ServiceAnswer answer = server_->backend().handle(request);
        xml::Document document;
        EXPECT_TRUE(document.loadXML(answer.body));
        return document.selectSingleNode("zurovizout/AlertID").text();
    }

    std::vector<std::string> alertRows() {
        return column(
            "SELECT AlertID || '|' || Symbol || '|' || NotifyVisuallyFlag || NotifyEmailFlag || "
            "NotifySMSFlag FROM AQ_Alert ORDER BY Symbol");
    }
};

TEST_F(AlertsTest, SyncBringsTheTableInStepWithTheService) {
    const std::string ibm = createServerAlert(
        "IBM", {{"NotifyVisuallyFlag", "1"}, {"NotifyEmailFlag", "1"}, {"NotifySMSFlag", "0"}});
    const std::string ko = createServerAlert("KO", {});
    sql("INSERT INTO AQ_Alert(AlertID, Symbol, NotifyVisuallyFlag) VALUES('GONE', 'GE', '1')");
    sql("INSERT INTO AQ_Alert(AlertID, Symbol, NotifySMSFlag) VALUES('" + ko + "', 'KO', '1')");

    EXPECT_EQ(SyncAlerts(), base::Variant("OK"));
    EXPECT_EQ(alertRows(), (std::vector<std::string>{ibm + "|IBM|110", ko + "|KO|001"}));
}

TEST_F(AlertsTest, AFailedSyncLeavesTheTableAsItWas) {
    sql("INSERT INTO AQ_Alert(AlertID, Symbol, NotifyVisuallyFlag) VALUES('A1', 'GE', '1')");
    const auto before = alertRows();
    server_->setFault(services::Fault::BadXml);
    EXPECT_EQ(SyncAlerts(), base::Variant("invalid_xml"));
    server_->setFault(services::Fault::InvalidSession);
    EXPECT_EQ(SyncAlerts(), base::Variant("invalid_session"));
    server_->setFault(services::Fault::Down);
    EXPECT_EQ(SyncAlerts(), base::Variant("CONNECTIVITYLOST"));
    EXPECT_EQ(alertRows(), before);
}

TEST_F(AlertsTest, AnAlertKeepingAnotherNoticeOnlyLosesItsVisualNotice) {
    sql("INSERT INTO AQ_Alert VALUES('A1', 'IBM', '1', '1', '0')");
    sql("INSERT INTO AQ_Alert VALUES('A2', 'KO', '1', '0', '1')");
    sql("INSERT INTO AQ_Alert VALUES('A3', 'GE', '1', '0', '0')");
    sheet::Range nothing;
    EXPECT_EQ(ClearVisualAlert("A1", "IBM", nothing), base::Variant(true));
    EXPECT_EQ(ClearVisualAlert("a2", "KO", nothing), base::Variant(true));
    EXPECT_EQ(ClearVisualAlert("A3", "GE", nothing), base::Variant(true));
    EXPECT_EQ(alertRows(), (std::vector<std::string>{"A1|IBM|010", "A2|KO|001"}));
}

TEST_F(AlertsTest, EmptyArgumentsFallBackToTheSelectedRow) {
    sql("INSERT INTO AQ_Alert VALUES('A3', 'GE', '1', '0', '0')");
    excelevents::SelectedRowAlertID = "A3";
    excelevents::SelectedRowSymbol = "GE";
    sheet::Range nothing;
    EXPECT_EQ(ClearVisualAlert("", "", nothing), base::Variant(true));
    EXPECT_TRUE(alertRows().empty());
}

TEST_F(AlertsTest, ClearingResetsTheRowsAlertCellsWithEventsBackOn) {
    sheet::Application app;
    core::ExcelApp = &app;
    sheet::Workbook book = app.workbooks().add();
    sheet::Worksheet list = book.worksheets().item(1);
    list.setName("Watch List");
    sheet::Worksheet info = book.worksheets().add("KavexInfo");
    info.names().add("KavexVersion", "=KavexInfo!$A$1");
    info.range("A1").setValue("3.0");
    list.names().add("WSName_Watchlist", "=\"Watch List\"");
    list.names().add("WatchlistAlert", "='Watch List'!$F$4");
    list.names().add("WatchlistAlertID", "='Watch List'!$G$4");
    list.range("F7").setFormula("=1+1");
    list.range("G7").setValue("A1");
    list.range("F8").setFormula("=2+2");
    sql("INSERT INTO AQ_Alert VALUES('A1', 'IBM', '1', '0', '0')");

    sheet::Range cell = list.range("B7");
    EXPECT_EQ(ClearVisualAlert("A1", "IBM", cell), base::Variant(true));
    EXPECT_EQ(list.range("F7").formula(), "");
    EXPECT_EQ(list.range("G7").text(), "");
    EXPECT_EQ(list.range("F8").formula(), "=2+2");
    EXPECT_TRUE(app.enableEvents());
    EXPECT_TRUE(alertRows().empty());

    SetAlertFontColor(cell);
    EXPECT_EQ(cell.font().color(), base::Variant(16711680.0));
}

TEST_F(AlertsTest, TheAlertFormulaDoesNothingWhileTheAddinWritesCells) {
    core::InternalSheetUpdate = true;
    EXPECT_TRUE(CreateAlert({base::Variant("IBM")}).isEmpty());
    core::InternalSheetUpdate = false;
    EXPECT_EQ(CreateAlert({base::Variant("IBM")}), base::Variant(std::string()));
}

}  // namespace
}  // namespace kavex::addin::alerts
