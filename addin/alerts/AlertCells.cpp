#include "addin/alerts/AlertCells.h"

#include <array>
#include <exception>
#include <string_view>

#include "addin/core/Log.h"
#include "addin/core/Workbooks.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/marketdata/CacheSupport.h"
#include "platform/db/Recordset.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/Font.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::alerts {

namespace {

constexpr const char* kProcedure = "ClearVisualAlert";

// The alert-formula and alert-id columns of the sheet kinds that carry alerts.
struct AlertColumns {
    std::string_view sheetKind;
    std::string_view formulaName;
    std::string_view alertIdName;
};

constexpr std::array<AlertColumns, 2> kAlertColumns{{
    {"Watch List", "WatchlistAlert", "WatchlistAlertID"},
    {"Portfolio", "PortfolioAlert", "PortfolioAlertID"},
}};

// Switches the host's events off for the add-in's own writes and back on afterwards.
class EventsOff {
  public:
    explicit EventsOff(sheet::Application& application) : application_(application) {
        application_.setEnableEvents(false);
    }
    ~EventsOff() { application_.setEnableEvents(true); }
    EventsOff(const EventsOff&) = delete;
    EventsOff& operator=(const EventsOff&) = delete;

  private:
    sheet::Application& application_;
};

bool flagOn(const base::Variant& flag) {
    return flag.isText() && flag.text() == "1";
}

// Switches the visual notice of the alert off, or forgets the alert when no other notice stays.
void clearAlertRow(const std::string& alertId) {
    db::Connection& connection = marketdata::CacheConnection();
    db::Recordset rows;
    rows.Open("SELECT NotifyEmailFlag, NotifySMSFlag FROM AQ_Alert WHERE AlertID = " +
                  marketdata::SqlQuoted(alertId),
              connection);
    if (rows.Eof()) {
        rows.Close();
        return;
    }
    const bool otherNotice =
        flagOn(rows.Fields("NotifyEmailFlag")) || flagOn(rows.Fields("NotifySMSFlag"));
    rows.Close();
    if (otherNotice)
        connection.Execute("UPDATE AQ_Alert SET NotifyVisuallyFlag = '0' WHERE AlertID = " +
                           marketdata::SqlQuoted(alertId));
    else
        connection.Execute("DELETE FROM AQ_Alert WHERE AlertID = " +
                           marketdata::SqlQuoted(alertId));
}

// Empties the alert formula and the alert id of the cell's row.
void resetAlertCells(const sheet::Range& cell) {
    const sheet::Worksheet sheet = cell.worksheet();
    const std::string kind = core::GetTheSheetType(sheet);
    for (const AlertColumns& columns : kAlertColumns) {
        if (columns.sheetKind != kind)
            continue;
        const int formulaColumn = sheet.range(columns.formulaName).column();
        const int alertIdColumn = sheet.range(columns.alertIdName).column();
        EventsOff eventsOff(cell.application());
        sheet.cells(cell.row(), formulaColumn).setFormula("");
        sheet.cells(cell.row(), alertIdColumn).setValue(base::Variant(std::string()));
    }
}

}  // namespace

void SetAlertFontColor(sheet::Range& cell) {
    cell.font().setColor(kNoAlertFontColor);
}

base::Variant ClearVisualAlert(const std::string& alertId, const std::string& symbol,
                               sheet::Range& cell) {
    const std::string id = alertId.empty() ? excelevents::SelectedRowAlertID : alertId;
    const std::string forSymbol = symbol.empty() ? excelevents::SelectedRowSymbol : symbol;
    try {
        core::WriteLog(kProcedure, 3, "Entering with AlertID :" + id + " and Symbol :" + forSymbol);
        if (!id.empty())
            clearAlertRow(id);
        if (!cell.isNothing())
            resetAlertCells(cell);
        core::WriteLog(kProcedure, 3, "Exiting ClearVisualAlert");
        return base::Variant(true);
    } catch (const std::exception& error) {
        core::WriteLog(kProcedure, 1,
                       "Error while clearing the alert " + id + " of symbol " + forSymbol +
                           " Error Description : " + marketdata::ErrorText(error));
        return base::Variant(false);
    }
}

}  // namespace kavex::addin::alerts
