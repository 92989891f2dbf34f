#include <gtest/gtest.h>

#include "addin/core/Globals.h"
#include "addin/marketdata/DivSplit.h"
#include "addin/portfolio/Booking.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"
#include "tests/addin/portfolio/PortfolioWorkbook.h"

namespace kavex::addin::portfolio {
namespace {

class DivSplitBookingTest : public addin::testing::LiveServicesFixture {
  protected:
    void SetUp() override {
        LiveServicesFixture::SetUp();
        core::ExcelApp = &host_;
        book_ = host_.workbooks().add();
        testing::BuildPortfolioWorkbook(book_);
        book_.worksheets().item("Portfolio").activate();
        sql("INSERT INTO AQ_StockSymbolList(Symbol) VALUES('MSFT')");
        sql("INSERT INTO AQ_StockSymbolList(Symbol) VALUES('NVDA')");
    }
    void TearDown() override {
        core::ExcelApp = nullptr;
        core::PortfolioRowRewritten = false;
        core::PortfolioHistoryChanged = false;
        LiveServicesFixture::TearDown();
    }
    std::string shown(const char* sheetName, const char* cell) {
        return book_.worksheets().item(sheetName).range(cell).text();
    }

    sheet::Application host_;
    sheet::Workbook book_;
};

TEST_F(DivSplitBookingTest, TheJobBooksWhatTheServiceReportsOnce) {
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "MSFT", *base::makeDate(2024, 5, 1), 100,
                                       400, 0, ""));
    ASSERT_TRUE(BuyTransactionFunction("Buy", "long", 3, "NVDA", *base::makeDate(2024, 6, 3), 10,
                                       1200, 0, ""));
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(marketdata::GetDivSPLData(), "OK");
    }
    // Two MSFT dividends of $0.75 on 100 shares and one NVDA split 10:1, each booked once.
    EXPECT_EQ(shown("Portfolio History", "C8"), "Dividend Cash");
    EXPECT_EQ(shown("Portfolio History", "H8"), "$75.00");
    EXPECT_EQ(shown("Portfolio History", "C9"), "Split");
    EXPECT_EQ(shown("Portfolio History", "C10"), "Dividend Cash");
    EXPECT_EQ(shown("Portfolio History", "A11"), "");
    EXPECT_EQ(shown("Portfolio", "B7"), "NVDA");
    EXPECT_EQ(shown("Portfolio", "G7"), "100");
    EXPECT_EQ(shown("Portfolio", "H7"), "$120.00");
    EXPECT_EQ(shown("Portfolio", "C3"), "-$51,850.00");
}

TEST_F(DivSplitBookingTest, WithoutPortfolioSymbolsNothingIsAskedOrBooked) {
    EXPECT_EQ(marketdata::GetDivSPLData(), "OK");
    EXPECT_TRUE(marketdata::LastDivSplitItems.empty());
    EXPECT_EQ(shown("Portfolio History", "A6"), "");
}

}  // namespace
}  // namespace kavex::addin::portfolio
