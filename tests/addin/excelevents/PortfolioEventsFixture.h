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

// The portfolio workbook with a "Details" sheet and a "Watch List" next to it, the host's events
// handed to the add-in's handlers, and the selection of a Portfolio cell judged and
// remembered as the selection handler does it.
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

    // The user selects the cell of the active Portfolio sheet: the cell left is judged, as the
    // selection handler does below and above the symbol header row (5), and the selection is
    // remembered unless the judging ended the event itself.
    PortfolioEntryOutcome select(const std::string& address) {
        const sheet::Worksheet sheet = portfolio();
        sheet::Range target = sheet.range(address);
        host_.setEnableEvents(false);
        target.select();
        const bool pending = PendingPortfolioEdit.Column != 0 && PendingPortfolioEdit.Row != 0;
        const auto remember = [&] { Remember(sheet, target); };
        PortfolioEntryOutcome outcome = PortfolioEntryOutcome::GoOn;
        if (pending) {
            PortfolioEditRow = PendingPortfolioEdit.Row;
            outcome = target.row() > kHeaderRow
                          ? CommitPortfolioRow(sheet, target, kHeaderRow, remember)
                          : CheckCashPosition(sheet, remember);
        }
        if (outcome == PortfolioEntryOutcome::GoOn) {
            remember();
        }
        return outcome;
    }

    // The selection handler's remembering of the selected cell and of the transaction of its row.
    static void Remember(const sheet::Worksheet& sheet, const sheet::Range& target) {
        const long id = target.row() > kHeaderRow
                            ? base::CLng(sheet.range("A" + std::to_string(target.row())).value())
                            : 0;
        if (target.row() != PendingPortfolioEdit.Row) {
            portfolio::dialogs::TransactionEditRow = id != 0 ? target.row() : 0;
            bool fromSheet = true;
            portfolio::FillRecord(fromSheet);
        }
        PendingPortfolioEdit = {static_cast<std::int16_t>(target.column()),
                                base::CStr(target.value()), target.row()};
        core::ExcelApp->setEnableEvents(true);
    }

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
