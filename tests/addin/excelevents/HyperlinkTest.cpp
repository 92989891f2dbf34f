#include <gtest/gtest.h>

#include <string>

#include "addin/core/Globals.h"
#include "addin/refresh/IdleTime.h"
#include "platform/browser/BrowserRecord.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"
#include "tests/addin/excelevents/KavexBookFixture.h"

namespace kavex::addin::excelevents {
namespace {

class HyperlinkTest : public testing::KavexBookFixture {
  protected:
    // A symbol on row 5 of the watch list with a link of that sub-address in column H.
    sheet::Range linkOnWatchList(const std::string& symbol, const std::string& subAddress,
                                 const std::string& cell = "H5") {
        sheet::Worksheet watch = kavexSheet("Watch List");
        quietly([&] {
            watch.range("B" + cell.substr(1)).setValue(base::Variant(symbol));
            watch.hyperlinks().add(watch.range(cell), "", subAddress);
        });
        return watch.range(cell);
    }

    std::string page(const std::string& type, const std::string& symbol) {
        return core::WebsiteURL + "/WI/AddinLink.jsp?Type=" + type + "&Symbol=" + symbol;
    }
};

TEST_F(HyperlinkTest, PageLinksOpenTheSymbolsPageUnchanged) {
    refresh::IdleTickCount = 7;
    app_.followHyperlink(linkOnWatchList("BRK.B", "BrowserNewsLink"));
    EXPECT_EQ(browser::lastOpenedAddress(), page("N", "BRK.B"));
    EXPECT_EQ(refresh::IdleTickCount, 0);
    app_.followHyperlink(linkOnWatchList("IBM", "BrowserChartsLink", "I5"));
    EXPECT_EQ(browser::lastOpenedAddress(), page("C", "IBM"));
    app_.followHyperlink(linkOnWatchList("IBM", "BrowserOptionsLink", "J5"));
    EXPECT_EQ(browser::lastOpenedAddress(), page("O", "IBM"));
}

TEST_F(HyperlinkTest, AnOptionsPageNamesItsBaseSymbol) {
    sheet::Range link = linkOnWatchList("%IBMAX", "BrowserNewsLink");
    sql("insert into AQ_StockSymbolData (Symbol, SymbolData, LastCheckDate, LastFetchDate) values "
        "('%IBMAX', '<Stock><Symbol>%IBMAX</Symbol><Name>IBM Jan 2025 150 Call</Name></Stock>', "
        "Now(), Now())");
    app_.followHyperlink(link);
    EXPECT_EQ(browser::lastOpenedAddress(), page("N", "IBM"));
}

TEST_F(HyperlinkTest, ASubAddressInOtherLettersOpensNothing) {
    const std::string before = browser::lastOpenedAddress();
    app_.followHyperlink(linkOnWatchList("IBM", "browsernewslink"));
    EXPECT_EQ(browser::lastOpenedAddress(), before);
}

TEST_F(HyperlinkTest, AnEmptySymbolCellTakesTheUserBackToTheLinksSheet) {
    const std::string before = browser::lastOpenedAddress();
    sheet::Range link = linkOnWatchList("", "DetailsSymbol", "B5");
    app_.followHyperlink(link);
    EXPECT_EQ(app_.activeSheet().name(), "Watch List");
    EXPECT_EQ(browser::lastOpenedAddress(), before);
}

TEST_F(HyperlinkTest, ASymbolLinkFillsTheDetailsSheet) {
    sheet::Range link = linkOnWatchList("IBM", "DetailsSymbol", "B5");
    app_.followHyperlink(link);
    sheet::Worksheet details = kavexSheet("Details");
    ASSERT_EQ(app_.activeSheet(), details);
    EXPECT_EQ(valueOf(details, "A5"), "IBM");
    EXPECT_EQ(details.range("SymbolAttributes").entireRow().hidden(), base::Variant(false));
    EXPECT_EQ(details.range("OptionAttributes").entireRow().hidden(), base::Variant(true));
    for (const char* name : {"NewsLink", "ChartsLink", "OptionsLink"}) {
        const sheet::Range cell = details.range(name);
        EXPECT_EQ(cell.hyperlinks().count(), 1) << name;
        EXPECT_EQ(cell.font().color(), base::Variant(16777215.0)) << name;
        EXPECT_EQ(cell.font().bold(), base::Variant(true)) << name;
    }
    EXPECT_TRUE(details.protectContents());
    EXPECT_TRUE(app_.enableEvents());
    // The details link is reported once the pool's job runs.
    runLoop(5);
    EXPECT_TRUE(server_.backend().hasAction("4", "Details Link"));
}

TEST_F(HyperlinkTest, AnExchangeLinkChoosesTheExchangeShown) {
    sheet::Worksheet stats = kavexSheet("Exchange Stats");
    app_.activate(stats);
    app_.followHyperlink(stats.range("NSDQLink"));
    EXPECT_EQ(stats.range("NSDQLink").hyperlinks().count(), 0);
    ASSERT_EQ(stats.range("NYSELink").hyperlinks().count(), 1);
    EXPECT_EQ(stats.range("NYSELink").hyperlinks().item(1).subAddress(), "NYSELink");
    EXPECT_EQ(stats.range("AMEXLink").hyperlinks().count(), 1);
    EXPECT_EQ(stats.range("B6").formula().find("\"NYSE\""), std::string::npos);
    EXPECT_NE(stats.range("B6").formula().find("\"NSDQ\""), std::string::npos);
    EXPECT_TRUE(stats.protectContents());
    // Back to the first: any letter case of the sub-address will do.
    quietly([&] { stats.range("NYSELink").hyperlinks().item(1).setSubAddress("nyselink"); });
    app_.followHyperlink(stats.range("NYSELink"));
    EXPECT_NE(stats.range("B6").formula().find("\"NYSE\""), std::string::npos);
    EXPECT_EQ(stats.range("NYSELink").hyperlinks().count(), 0);
}

TEST_F(HyperlinkTest, AWatchListLinkAddsTheRowsSymbolToTheWatchList) {
    // The symbol list, which holds IBM, arrived with the login's first jobs.
    runLoop(10);
    sheet::Worksheet gainers = kavexSheet("Price Gainers");
    // Entering the top list refreshes it from the quote service; the row's symbol is put in
    // afterwards.
    const auto enterGainers = [&] {
        app_.activate(gainers);
        quietly([&] {
            gainers.unprotect("lantor");
            gainers.range("B5").setValue(base::Variant("ibm"));
            gainers.range("B6").clearContents();
        });
    };
    quietly([&] {
        gainers.unprotect("lantor");
        gainers.hyperlinks().add(gainers.range("K5"), "", "To Watch List\u2026");
        gainers.hyperlinks().add(gainers.range("K6"), "", "WATCHLISTLINK");
    });
    enterGainers();
    app_.followHyperlink(gainers.range("K5"));
    sheet::Worksheet watch = kavexSheet("Watch List");
    EXPECT_EQ(app_.activeSheet(), watch);
    EXPECT_EQ(valueOf(watch, "B5"), "IBM");
    EXPECT_EQ(watch.range("C5").formula(), "=KavexName(B5)");
    EXPECT_EQ(watch.range("D5").formula(), "=KavexLast(B5)");
    EXPECT_EQ(watch.range("B5").hyperlinks().count(), 1);

    // Twice: refused with a message, nothing added.
    enterGainers();
    app_.followHyperlink(gainers.range("K5"));
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back().prompt, "\"IBM\" is on the watch list \"Watch List\" already.");
    EXPECT_EQ(valueOf(watch, "B6"), "");
    // A row without a symbol: nothing.
    enterGainers();
    app_.followHyperlink(gainers.range("K6"));
    EXPECT_EQ(app_.activeSheet(), gainers);
}

TEST_F(HyperlinkTest, AnUnknownSymbolIsNotAdded) {
    sheet::Worksheet gainers = kavexSheet("Price Gainers");
    quietly([&] {
        gainers.unprotect("lantor");
        gainers.hyperlinks().add(gainers.range("K5"), "", "WatchlistLink");
    });
    // Entering the top list refreshes it; the row's symbol is put in afterwards.
    app_.activate(gainers);
    quietly([&] {
        gainers.unprotect("lantor");
        gainers.range("B5").setValue(base::Variant("NOSUCH"));
    });
    app_.followHyperlink(gainers.range("K5"));
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back().prompt, "The symbol \"NOSUCH\" is not in the symbol list.");
    EXPECT_EQ(messages().back().style, forms::vbExclamation);
    EXPECT_EQ(valueOf(kavexSheet("Watch List"), "B5"), "");
}

TEST_F(HyperlinkTest, AHistoryLinkAsksBeforeDeleting) {
    sheet::Worksheet history = kavexSheet("Portfolio History");
    quietly([&] {
        history.range("A6").setValue(base::Variant("3"));
        history.range("B6").setValue(base::Variant("IBM"));
        history.hyperlinks().add(history.range("J6"), "", "WhateverItSays");
    });
    app_.activate(history);
    forms::scriptedDriver().queueAnswer(forms::vbNo);
    app_.followHyperlink(history.range("J6"));
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back().prompt, "Are you sure you want to delete this transaction?");
    EXPECT_EQ(valueOf(history, "B6"), "IBM");
}

TEST_F(HyperlinkTest, TheEditLinkWorksOnlyOnAPortfolio) {
    // On a watch list the edit link's sub-address means nothing.
    const std::size_t before = messages().size();
    app_.followHyperlink(linkOnWatchList("IBM", "PortfolioEditEntry"));
    EXPECT_EQ(messages().size(), before);
    EXPECT_EQ(app_.activeSheet(), kavexSheet("Watch List"));
    // On a portfolio (its kind a text constant) the row goes to the transaction edit, which
    // refuses a row without a booked transaction.
    sheet::Worksheet portfolio = kavexSheet("Portfolio");
    app_.activate(portfolio);
    quietly([&] {
        portfolio.range("B7").setValue(base::Variant("IBM"));
        portfolio.hyperlinks().add(portfolio.range("A7"), "", "PortfolioEditEntry");
    });
    app_.followHyperlink(portfolio.range("A7"));
    ASSERT_EQ(messages().size(), before + 1);
    EXPECT_EQ(messages().back().prompt, "That row holds no booked transaction.");
}

TEST_F(HyperlinkTest, NoSessionLeavesLinksToTheHost) {
    session::UserSessionKey.clear();
    const std::string before = browser::lastOpenedAddress();
    app_.followHyperlink(linkOnWatchList("IBM", "BrowserNewsLink"));
    EXPECT_EQ(browser::lastOpenedAddress(), before);
}

}  // namespace
}  // namespace kavex::addin::excelevents
