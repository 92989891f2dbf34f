#pragma once

#include <memory>
#include <string>

#include "addin/commandbars/Toolbar.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/PortfolioEdit.h"
#include "addin/excelevents/PortfolioEditRow.h"
#include "addin/excelevents/PortfolioEntry.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/excelevents/clsXLApp.h"
#include "addin/portfolio/Booking.h"
#include "addin/portfolio/TransactionRecord.h"
#include "addin/portfolio/dialogs/TransactionEntry.h"
#include "addin/refresh/SheetProtection.h"
#include "addin/refresh/TimerPool.h"
#include "platform/base/Conversions.h"
#include "platform/os/Clock.h"
#include "tests/addin/portfolio/PortfolioFixture.h"
#include "tests/platform/spreadsheet/RecordingSink.h"

namespace kavex::addin::excelevents::testing {

// The portfolio workbook with a "Details" sheet and a "Watch List" next to it, and the host's
// events handed to the add-in's handlers.
class PortfolioEventsFixture : public portfolio::testing::PortfolioFixture {
  protected:
    void SetUp() override {
        // Simulated time: a refresh's wait for its fetch takes no real time.
        os::machineClock().startSimulation(*base::makeDate(2024, 7, 10, 10, 0, 0));
        PortfolioFixture::SetUp();
        refresh::InitializeTimerPool();
        sheet::Worksheet details = book_.worksheets().add("Details");
        details.names().add("WSName_Details", "=\"Details\"");
        book_.names().add("DetailsSymbol", "=Details!$A$5");
        portfolio::testing::nameCells(details, "NewsLink", "$B$5");
        portfolio::testing::nameCells(details, "ChartsLink", "$C$5");
        portfolio::testing::nameCells(details, "OptionsLink", "$D$5");
        details.range("A5").setValue("MSFT");
        details.protect(refresh::kProtectionPassword);
        sheet::Worksheet watch = book_.worksheets().add("Watch List");
        watch.names().add("WSName_Watchlist", "=\"Watch List\"");
        portfolio::testing::nameCells(watch, "WatchListSymbol", "$B$4");
        portfolio::testing::nameCells(watch, "WatchlistAlertID", "$L$4");
        watch.range("B6").setValue("KO");
        watch.range("L6").setValue("17");
        events_ = std::make_unique<clsXLApp>();
        sink_ = std::make_shared<sheet::testing::RecordingSink>();
        host_.addEventSink(sink_);
        ResetEventGlobals();
    }

    void TearDown() override {
        host_.removeEventSink(sink_.get());
        events_.reset();
        ResetEventGlobals();
        refresh::DestroyTimerPool();
        PortfolioFixture::TearDown();
        os::machineClock().useRealTime();
    }

    // What the user types into a Portfolio cell (the cell's change handling is not part of these
    // tests).
    void typed(const std::string& address, const std::string& text) {
        host_.setEnableEvents(false);
        portfolio().range(address).setValue(base::Variant(text));
        host_.setEnableEvents(true);
    }

    // The user selects a cell of the portfolio: the selection handler judges the cell left.
    void select(const std::string& address) { host_.select(portfolio().range(address)); }

    // A Buy booked through the engine on the active portfolio.
    bool buy(const std::string& symbol, base::Date date, double shares, double price,
             double commission, const std::string& remarks = "") {
        return portfolio::BuyTransactionFunction("Buy", "long", 3, symbol, date, shares, price,
                                                 commission, remarks);
    }
    bool addCash(base::Date date, double amount) {
        std::string type = "Add Cash", code = "1", remarks;
        return portfolio::AddCashToPortFolioHistory(type, date, amount, code, remarks);
    }

    sheet::Worksheet details() const { return book_.worksheets().item("Details"); }
    sheet::Worksheet watchList() const { return book_.worksheets().item("Watch List"); }

    static constexpr int kHeaderRow = 5;
    std::unique_ptr<clsXLApp> events_;  // the add-in's handlers of the host's events
    std::shared_ptr<sheet::testing::RecordingSink> sink_;
};

}  // namespace kavex::addin::excelevents::testing
