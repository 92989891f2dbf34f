#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/excelevents/EventGlobals.h"
#include "addin/excelevents/SelectedRow.h"
#include "addin/refresh/IdleTime.h"
#include "addin/session/Session.h"
#include "platform/db/Recordset.h"
#include "platform/os/MessageLoop.h"
#include "tests/addin/excelevents/KavexBookFixture.h"

namespace kavex::addin::excelevents {
namespace {

class SheetChangeTest : public testing::KavexBookFixture {
  protected:
    void SetUp() override {
        KavexBookFixture::SetUp();
        runLoop(10);  // the login's first jobs: the symbol list
        watch_ = kavexSheet("Watch List");
    }

    std::string query(const std::string& statement) {
        db::Connection connection;
        connection.Open("Data Source=" + (folder_.path() / "Kavex.mdb").string());
        db::Recordset rows;
        rows.Open(statement, connection);
        return rows.Eof() ? "<none>" : base::CStr(rows.Fields(0));
    }

    void type(const sheet::Worksheet& sheet, const std::string& address, const std::string& text) {
        app_.activate(sheet);
        app_.typeInto(sheet.range(address), text);
    }

    // A watch-list row with a symbol and a visual alert kept in the alert table.
    void alertRow(int row, const std::string& symbol, const std::string& alertId) {
        const std::string r = std::to_string(row);
        quietly([&] {
            watch_.range("B" + r).setValue(base::Variant(symbol));
            watch_.range("K" + r).setFormula("=1+1");
            watch_.range("L" + r).setValue(base::Variant(alertId));
        });
        sql("insert into AQ_Alert (AlertID, Symbol, NotifyVisuallyFlag) values ('" + alertId +
            "', '" + symbol + "', '1')");
    }

    sheet::Worksheet watch_;
};

TEST_F(SheetChangeTest, WithoutASessionNothingHappensAndTheCursorIsLeftAlone) {
    session::UserSessionKey.clear();
    app_.setCursor(sheet::xlWait);
    type(watch_, "B5", "IBM");
    EXPECT_EQ(watch_.range("C5").formula(), "");
    EXPECT_EQ(watch_.range("B5").hyperlinks().count(), 0);
    EXPECT_EQ(app_.cursor(), sheet::xlWait);
}

TEST_F(SheetChangeTest, OutsideTheAddinsWorkbooksNothingButTheMenus) {
    sheet::Workbook plain = app_.workbooks().add();
    sheet::Worksheet sheet = plain.worksheets().item(1);
    type(sheet, "B5", "IBM");
    EXPECT_EQ(sheet.range("C5").formula(), "");
    EXPECT_EQ(sheet.range("B5").hyperlinks().count(), 0);
    EXPECT_EQ(app_.cursor(), sheet::xlDefault);
    plain.setSaved(true);
}

TEST_F(SheetChangeTest, ANewExchangeOnATopListRefreshesItOnce) {
    sheet::Worksheet gainers = kavexSheet("Price Gainers");
    app_.activate(gainers);
    refresh::IdleTickCount = 9;
    type(gainers, "B1", "AMEX");
    EXPECT_EQ(LastTopListExchange, "AMEX");
    // Reset, then at most a minute of the refresh's wait counted again.
    EXPECT_LE(refresh::IdleTickCount, 1);
    // Another change with B1 unchanged does not refresh again.
    refresh::IdleTickCount = 9;
    gainers.unprotect("lantor");
    type(gainers, "D2", "x");
    EXPECT_EQ(refresh::IdleTickCount, 9);
    EXPECT_EQ(LastTopListExchange, "AMEX");
}

TEST_F(SheetChangeTest, TypingOnTheDetailsRebuildsItsLinks) {
    sheet::Worksheet details = kavexSheet("Details");
    app_.activate(details);
    quietly([&] {
        details.unprotect("lantor");
        details.range("NewsLink").hyperlinks().delete_();
    });
    session::XLAppEvents->mXLApp_SheetChange(details, details.range("A5"));
    for (const char* name : {"NewsLink", "ChartsLink", "OptionsLink"}) {
        const sheet::Range cell = details.range(name);
        EXPECT_EQ(cell.hyperlinks().count(), 1) << name;
        EXPECT_EQ(cell.font().color(), base::Variant(16777215.0)) << name;
        EXPECT_EQ(cell.font().bold(), base::Variant(true)) << name;
    }
}

TEST_F(SheetChangeTest, AMultiCellDeleteClearsEveryAlertAndReportsOnce) {
    alertRow(5, "IBM", "A5");
    alertRow(6, "MSFT", "A6");
    app_.activate(watch_);
    app_.select(watch_.range("A1"));
    app_.select(watch_.range("B5"));
    ASSERT_EQ(SelectedRowSymbol, "IBM");
    app_.clear(watch_.range("B5:B6"));
    EXPECT_EQ(query("select AlertID from AQ_Alert"), "<none>");
    EXPECT_EQ(valueOf(watch_, "L6"), "");
    EXPECT_EQ(watch_.range("K5").formula(), "");
    EXPECT_EQ(watch_.range("K6").formula(), "");
    EXPECT_EQ(queuedReports().size(), 1U);
    EXPECT_EQ(SelectedRowSymbol, "");
    EXPECT_TRUE(app_.enableEvents());
}

TEST_F(SheetChangeTest, ClearingTheSelectedSymbolRemovesItsAlertFromTheTable) {
    alertRow(5, "IBM", "A5");
    sql("update AQ_Alert set NotifyEmailFlag='1' where AlertID='A5'");
    app_.activate(watch_);
    app_.select(watch_.range("A1"));
    app_.select(watch_.range("B5"));
    app_.clear(watch_.range("B5"));
    // The e-mail notice stays; only the visual one is switched off.
    EXPECT_EQ(query("select NotifyVisuallyFlag from AQ_Alert where AlertID='A5'"), "0");
    EXPECT_EQ(valueOf(watch_, "L5"), "");
    EXPECT_EQ(queuedReports().size(), 1U);
}

TEST_F(SheetChangeTest, ASymbolTypedOnAPortfolioOnlyLosesTheRowsAlert) {
    sheet::Worksheet portfolio = kavexSheet("Portfolio");
    quietly([&] {
        portfolio.range("B6").setValue(base::Variant("IBM"));
        portfolio.range("R6").setFormula("=1+1");
        portfolio.range("S6").setValue(base::Variant("P1"));
    });
    app_.activate(portfolio);
    app_.select(portfolio.range("A1"));
    app_.select(portfolio.range("B6"));
    ASSERT_EQ(SelectedRowSymbol, "IBM");
    type(portfolio, "B6", "MSFT");
    EXPECT_EQ(portfolio.range("R6").formula(), "");
    EXPECT_EQ(valueOf(portfolio, "S6"), "");
    EXPECT_EQ(portfolio.range("C6").formula(), "");
    EXPECT_EQ(portfolio.range("B6").hyperlinks().count(), 0);
    EXPECT_EQ(app_.cursor(), sheet::xlDefault);
}

TEST_F(SheetChangeTest, OddSymbolsTakeTheTypedRoadWithoutHarm) {
    const std::string longSymbol(10000, 'Q');
    const std::vector<std::string> inputs = {"O'NEIL", "  ", longSymbol, "=1+1", "123", "'=A1"};
    int row = 5;
    for (const std::string& input : inputs) {
        const std::string address = "B" + std::to_string(row++);
        type(watch_, address, input);
        EXPECT_TRUE(app_.enableEvents()) << input.substr(0, 10);
        EXPECT_EQ(app_.cursor(), sheet::xlDefault) << input.substr(0, 10);
    }
    EXPECT_EQ(query("select count(*) from AQ_StockSymbolData where Symbol='O''NEIL'"), "1");
    EXPECT_EQ(query("select count(*) from AQ_StockSymbolData where Symbol='" + longSymbol + "'"),
              "1");
    EXPECT_EQ(watch_.range("C5").formula(), "=KavexName(B5)");
    // The cache table is whole: every symbol of the list is still there.
    EXPECT_NE(query("select count(*) from AQ_StockSymbolList"), "0");
}

// A symbol typed as text is written back as text: it neither turns into a live formula nor into
// a number.
TEST_F(SheetChangeTest, ASymbolTypedAsTextStaysText) {
    type(watch_, "B5", "'=1+1");
    EXPECT_FALSE(watch_.range("B5").hasFormula());
    EXPECT_TRUE(watch_.range("B5").value().isText());
    EXPECT_EQ(valueOf(watch_, "B5"), "=1+1");

    type(watch_, "B6", "'007");
    EXPECT_TRUE(watch_.range("B6").value().isText());
    EXPECT_EQ(valueOf(watch_, "B6"), "007");

    type(watch_, "B7", "'=a1");
    EXPECT_FALSE(watch_.range("B7").hasFormula());
    EXPECT_EQ(valueOf(watch_, "B7"), "=a1");
    EXPECT_TRUE(app_.enableEvents());
}

TEST_F(SheetChangeTest, APasteOverTheHeaderDoesSymbolWorkOnlyBelowIt) {
    app_.activate(watch_);
    app_.paste(watch_.range("B3"), {"X", "Symbol", "IBM"});
    EXPECT_EQ(watch_.range("B5").hyperlinks().count(), 1);
    EXPECT_EQ(watch_.range("B3").hyperlinks().count(), 0);
    EXPECT_EQ(watch_.range("C3").formula(), "");
    EXPECT_TRUE(app_.enableEvents());
}

TEST_F(SheetChangeTest, ASessionThatExpiresDuringTheWaitEndsCleanly) {
    server_.setFault(services::Fault::InvalidSession);
    type(watch_, "B5", "IBM");
    EXPECT_TRUE(app_.enableEvents());
    EXPECT_EQ(app_.cursor(), sheet::xlDefault);
    EXPECT_EQ(watch_.range("C5").formula(), "=KavexName(B5)");
    server_.setFault(services::Fault::None);
}

TEST_F(SheetChangeTest, AWorkbookClosedDuringTheWaitEndsCleanly) {
    kavexBook_.setSaved(true);
    os::messageLoop().post([&] {
        kavexBook_.setSaved(true);
        kavexBook_.close();
    });
    type(watch_, "B5", "IBM");
    EXPECT_FALSE(kavexBook_.isOpen());
    EXPECT_TRUE(app_.enableEvents());
    EXPECT_EQ(app_.cursor(), sheet::xlDefault);
}

}  // namespace
}  // namespace kavex::addin::excelevents
