#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "addin/commandbars/CommandDispatcher.h"
#include "addin/core/Globals.h"
#include "addin/core/Menus.h"
#include "addin/portfolio/PortfolioSheets.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/office/CommandBar.h"
#include "tests/addin/excelevents/KavexBookFixture.h"

namespace kavex::addin::excelevents {
namespace {

class HistoryMenuTest : public testing::KavexBookFixture {
  protected:
    void SetUp() override {
        KavexBookFixture::SetUp();
        history_ = kavexSheet("Portfolio History");
        const portfolio::HistoryLayout layout = portfolio::HistoryLayoutOf(history_);
        const auto day = [](int d) { return *base::makeDate(2025, 1, d); };
        // A lot partly sold, a lot untouched, the sale, and cash.
        const portfolio::LedgerEntry entries[] = {
            {1, "", 1, day(2), 0, 0, 0, 10000, ""},
            {2, "IBM", 3, day(3), 100, 50, 10, 0, ""},
            {3, "MSFT", 3, day(3), 10, 400, 0, 0, ""},
            {4, "IBM", 4, day(6), 40, 60, 10, 0, ""},
        };
        quietly([&] {
            int row = layout.firstRow();
            for (const portfolio::LedgerEntry& entry : entries) {
                portfolio::WriteLedgerRow(history_, layout, row++, entry);
            }
        });
        app_.activate(history_);
    }

    bool deleteEnabledAt(const std::string& address) {
        app_.select(history_.range(address));
        for (const auto& control : core::ExcelCommandBars.Item("Cell")->Controls().All()) {
            if (control->Caption().find("Delete Transaction") != std::string::npos) {
                return control->Enabled();
            }
        }
        ADD_FAILURE() << "no Delete Transaction entry";
        return false;
    }

    sheet::Worksheet history_;
};

TEST_F(HistoryMenuTest, DeleteTransactionFollowsTheRowAndItsAdjustment) {
    const int first = portfolio::HistoryLayoutOf(history_).firstRow();
    const auto cell = [&](int offset) { return "C" + std::to_string(first + offset); };
    EXPECT_TRUE(deleteEnabledAt(cell(0)));   // cash
    EXPECT_FALSE(deleteEnabledAt(cell(1)));  // a lot a sale used part of
    EXPECT_TRUE(deleteEnabledAt(cell(2)));   // a lot untouched
    EXPECT_TRUE(deleteEnabledAt(cell(3)));   // the sale
    EXPECT_FALSE(deleteEnabledAt(cell(4)));  // below the ledger
    EXPECT_FALSE(deleteEnabledAt("C4"));     // the header
    // Elsewhere the entry is off.
    app_.activate(kavexSheet("Watch List"));
    app_.select(kavexSheet("Watch List").range("B6"));
    bool result = false;
    core::EnableDisableMenusForKavexWorkbook(result, kavexSheet("Watch List"));
    EXPECT_TRUE(result);
    EXPECT_FALSE(core::DeletableHistoryRow(history_, first + 1));
    EXPECT_TRUE(core::DeletableHistoryRow(history_, first + 2));
}

TEST_F(HistoryMenuTest, TheCellMenuEntryDeletesTheActiveRowsTransaction) {
    const int first = portfolio::HistoryLayoutOf(history_).firstRow();
    app_.select(history_.range("C" + std::to_string(first + 2)));
    forms::scriptedDriver().queueAnswer(forms::vbYes);
    ASSERT_TRUE(commandbars::DispatchCommand("delete transaction"));
    EXPECT_EQ(messages().back().prompt, "Are you sure you want to delete this transaction?");
    for (const portfolio::LedgerRow& row :
         portfolio::ReadLedger(history_, portfolio::HistoryLayoutOf(history_)).rows) {
        EXPECT_NE(row.entry.symbol, "MSFT");
    }
}

}  // namespace
}  // namespace kavex::addin::excelevents
