#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/refresh/TimerPool.h"
#include "addin/session/Session.h"
#include "platform/base/Conversions.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/session/SessionFixture.h"

namespace kavex::addin::excelevents::testing {

// The add-in connected to a host (its event sink bound), with a small add-in workbook laid out
// as the add-in's own: a watch list, a portfolio with its history, a top list, the details and
// the exchange statistics, each carrying its kind and the names the handlers look cells up by.
class EventsFixture : public session::testing::SessionFixture {
  protected:
    void SetUp() override {
        SessionFixture::SetUp();
        ResetEventGlobals();
        book_ = buildAddinBook();
    }

    void TearDown() override {
        ResetEventGlobals();
        session::UserSessionKey.clear();
        SessionFixture::TearDown();
    }

    // A session without a login: the handlers only test the key for emptiness.
    void startSession() {
        session::UserSessionKey = "test-session";
        refresh::InitializeTimerPool();
    }

    sheet::Worksheet sheetNamed(const std::string& name) { return book_.worksheets().item(name); }

    // The user-action reports queued in the pool (command 6), as "type|arg1|arg2|arg3|arg4".
    std::vector<std::string> queuedReports() {
        std::vector<std::string> reports;
        for (short index = 1; index <= refresh::TimerPoolEntries::kSize; ++index) {
            const refresh::TimerPoolEntry& entry = refresh::TimerPool(index);
            if (entry.Status != refresh::kEntryFree &&
                entry.CommandCode == refresh::kCommandUserAction) {
                reports.push_back(std::to_string(entry.ActionValue) + "|" + entry.Arg1 + "|" +
                                  entry.Arg2 + "|" + entry.Arg3 + "|" + entry.Arg4);
            }
        }
        return reports;
    }

    std::string valueOf(const sheet::Worksheet& sheet, const std::string& address) {
        return base::CStr(sheet.range(address).value());
    }

    void name(const std::string& sheet, const std::string& name, const std::string& refersTo) {
        book_.names().add("'" + sheet + "'!" + name, refersTo);
    }

    sheet::Workbook buildAddinBook() {
        const bool events = app_.enableEvents();
        app_.setEnableEvents(false);
        sheet::Workbook book = app_.workbooks().add();
        sheet::Worksheets sheets = book.worksheets();
        sheets.item(1).setName("Watch List");
        for (const char* sheetName : {"Portfolio", "Portfolio History", "Price Gainers", "Details",
                                      "Exchange Stats", "KavexInfo"}) {
            sheets.add(sheetName);
        }
        book_ = book;
        name("KavexInfo", "KavexVersion", "=KavexInfo!$B$1");
        sheetNamed("KavexInfo").range("B1").setValue(base::Variant("2.0"));

        name("Watch List", "WSName_Watchlist", "=\"Watch List\"");
        name("Watch List", "ExchangeInfo", "='Watch List'!$A$2");
        name("Watch List", "WatchListSymbol", "='Watch List'!$B$4");
        name("Watch List", "WatchlistSecurityName", "='Watch List'!$C$4");
        name("Watch List", "WatchlistAttribHeader", "='Watch List'!$D$4:$G$4");
        name("Watch List", "NewsLink", "='Watch List'!$H$4");
        name("Watch List", "ChartsLink", "='Watch List'!$I$4");
        name("Watch List", "OptionsLink", "='Watch List'!$J$4");
        name("Watch List", "WatchlistAlert", "='Watch List'!$K$4");
        name("Watch List", "WatchlistAlertID", "='Watch List'!$L$4");
        sheet::Worksheet watch = sheetNamed("Watch List");
        const char* captions[] = {"Symbol",
                                  "Name",
                                  "Last Trade Price",
                                  "Change in Price ($)",
                                  "Change in Price (%)",
                                  "Volume",
                                  "News",
                                  "Charts",
                                  "Options",
                                  "Alert",
                                  "Alert ID"};
        for (int i = 0; i < 11; ++i) {
            watch.cells(4, 2 + i).setValue(base::Variant(captions[i]));
        }

        name("Portfolio", "WSName_Portfolio", "=\"Portfolio\"");
        name("Portfolio", "PortfolioTransactionID", "=Portfolio!$A$5");
        name("Portfolio", "PortfolioSymbol", "=Portfolio!$B$5");
        name("Portfolio", "PortfolioCashPosition", "=Portfolio!$C$3");
        name("Portfolio", "WatchlistSecurityName", "=Portfolio!$C$5");
        name("Portfolio", "PortfolioTransactionDate", "=Portfolio!$F$5");
        name("Portfolio", "PortfolioNoofShares", "=Portfolio!$G$5");
        name("Portfolio", "PortfolioPrice", "=Portfolio!$H$5");
        name("Portfolio", "PortfolioCommission", "=Portfolio!$I$5");
        name("Portfolio", "PortfolioRemarks", "=Portfolio!$N$5");
        name("Portfolio", "WatchlistAttribHeader", "=Portfolio!$J$5:$K$5");
        name("Portfolio", "PortFolioAlert", "=Portfolio!$R$5");
        name("Portfolio", "PortfolioAlertID", "=Portfolio!$S$5");
        sheet::Worksheet portfolio = sheetNamed("Portfolio");
        portfolio.range("A5").setValue(base::Variant("ID"));
        portfolio.range("B5").setValue(base::Variant("Symbol"));
        portfolio.range("B3").setValue(base::Variant("Cash Position"));

        name("Portfolio History", "WSName_PortfolioHistory", "=\"Portfolio History\"");
        name("Portfolio History", "PortfolioHistoryID", "='Portfolio History'!$A$4");
        name("Portfolio History", "PortfolioHistorySymbol", "='Portfolio History'!$B$4");
        sheetNamed("Portfolio History").range("B4").setValue(base::Variant("Symbol"));

        name("Price Gainers", "WSName_PriceGainers", "=\"Price Gainers\"");
        name("Price Gainers", "PriceGainersSymbol", "='Price Gainers'!$B$4");
        sheetNamed("Price Gainers").range("A1").setValue(base::Variant("Exchange:"));
        sheetNamed("Price Gainers").range("B4").setValue(base::Variant("Symbol"));

        name("Details", "WSName_Details", "=\"Details\"");
        book.names().add("DetailsSymbol", "=Details!$A$5");
        name("Details", "NewsLink", "=Details!$B$5");
        name("Details", "ChartsLink", "=Details!$C$5");
        name("Details", "OptionsLink", "=Details!$D$5");
        name("Details", "SymbolAttributes", "=Details!$7:$30");
        name("Details", "OptionAttributes", "=Details!$31:$40");
        sheetNamed("Details").range("A7").setValue(base::Variant("Last Trade Price"));

        name("Exchange Stats", "WS_ExchangeStats", "=\"Exchange Stats\"");
        name("Exchange Stats", "NYSELink", "='Exchange Stats'!$A$4");
        name("Exchange Stats", "NSDQLink", "='Exchange Stats'!$B$4");
        name("Exchange Stats", "AMEXLink", "='Exchange Stats'!$C$4");
        sheet::Worksheet stats = sheetNamed("Exchange Stats");
        stats.range("A4").setValue(base::Variant("NYSE"));
        stats.range("B4").setValue(base::Variant("NASDAQ"));
        stats.range("C4").setValue(base::Variant("AMEX"));
        stats.hyperlinks().add(stats.range("B4"), "", "NSDQLink");
        stats.hyperlinks().add(stats.range("C4"), "", "AMEXLink");
        stats.range("B6").setFormula("=KavexEXCGLast(\"NYSE\")");

        sheetNamed("Watch List").activate();
        app_.setEnableEvents(events);
        return book;
    }

    sheet::Workbook book_;
};

}  // namespace kavex::addin::excelevents::testing
