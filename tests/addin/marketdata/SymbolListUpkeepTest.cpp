#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/marketdata/SymbolListUpkeep.h"
#include "services/Fault.h"
#include "tests/addin/marketdata/LiveServicesFixture.h"

namespace kavex::addin::marketdata {
namespace {

using testing::LiveServicesFixture;

class SymbolListUpkeepTest : public LiveServicesFixture {};

TEST_F(SymbolListUpkeepTest, NewSymbolsSinceEverFillTheList) {
    std::string description;
    EXPECT_EQ(GetNewSymbols(session::UserSessionKey, "", description), "") << description;
    EXPECT_GT(count("SELECT Symbol FROM AQ_StockSymbolList"), 50u);
    EXPECT_EQ(column("SELECT Exchange || '|' || Description FROM AQ_StockSymbolList WHERE "
                     "Symbol = 'IBM'"),
              (std::vector<std::string>{"NYSE|International Business Machines Corp."}));
    // Asking again changes nothing.
    const auto before = count("SELECT Symbol FROM AQ_StockSymbolList");
    EXPECT_EQ(GetNewSymbols(session::UserSessionKey, "", description), "");
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolList"), before);
}

TEST_F(SymbolListUpkeepTest, ChangedSymbolsReplaceTheirOldSymbols) {
    sql("INSERT INTO AQ_StockSymbolList(Symbol, Description, Exchange) VALUES('FB', 'Facebook', "
        "'NSDQ')");
    sql("INSERT INTO AQ_StockSymbolList(Symbol, Description, Exchange) VALUES('SQ', 'Square', "
        "'NYSE')");
    std::string description;
    EXPECT_EQ(GetChangedSymbols(session::UserSessionKey, "2022-01-01", description), "")
        << description;
    EXPECT_EQ(column("SELECT Symbol || '|' || OldSymbol FROM AQ_StockSymbolList ORDER BY Symbol"),
              (std::vector<std::string>{"META|FB", "XYZ|SQ"}));
}

TEST_F(SymbolListUpkeepTest, OnlyChangesAfterTheLastLoginCount) {
    sql("INSERT INTO AQ_StockSymbolList(Symbol) VALUES('FB')");
    std::string description;
    EXPECT_EQ(GetChangedSymbols(session::UserSessionKey, "1/1/2023 10:00:00 AM", description), "")
        << description;
    EXPECT_EQ(column("SELECT Symbol FROM AQ_StockSymbolList ORDER BY Symbol"),
              (std::vector<std::string>{"FB", "XYZ"}));
}

TEST_F(SymbolListUpkeepTest, DelistedSymbolsLeaveTheList) {
    sql("INSERT INTO AQ_StockSymbolList(Symbol) VALUES('TWTR')");
    sql("INSERT INTO AQ_StockSymbolList(Symbol) VALUES('IBM')");
    std::string description;
    EXPECT_EQ(GetDelistedSymbols(session::UserSessionKey, "", description), "") << description;
    EXPECT_EQ(column("SELECT Symbol FROM AQ_StockSymbolList"), (std::vector<std::string>{"IBM"}));
}

TEST_F(SymbolListUpkeepTest, AnInvalidSessionReturnsTheServiceCodeAndChangesNothing) {
    sql("INSERT INTO AQ_StockSymbolList(Symbol) VALUES('TWTR')");
    std::string description;
    EXPECT_EQ(GetDelistedSymbols("no-such-session", "", description), "invalid_session");
    EXPECT_FALSE(description.empty());
    EXPECT_EQ(GetNewSymbols("no-such-session", "", description), "invalid_session");
    EXPECT_EQ(column("SELECT Symbol FROM AQ_StockSymbolList"), (std::vector<std::string>{"TWTR"}));
}

TEST_F(SymbolListUpkeepTest, AMalformedDateIsTheServicesInvalidXmlCode) {
    std::string description;
    EXPECT_EQ(GetNewSymbols(session::UserSessionKey, "yesterday", description), "invalid_xml");
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolList"), 0u);
}

TEST_F(SymbolListUpkeepTest, TransportFailuresAreReportedAsTheirStatusWords) {
    std::string description;
    server_->setFault(services::Fault::Http500);
    EXPECT_EQ(GetNewSymbols(session::UserSessionKey, "", description), "FAIL");
    server_->setFault(services::Fault::BadXml);
    EXPECT_EQ(GetNewSymbols(session::UserSessionKey, "", description), "invalid_xml");
    server_->setFault(services::Fault::Down);
    EXPECT_EQ(GetNewSymbols(session::UserSessionKey, "", description), "CONNECTIVITYLOST");
    EXPECT_EQ(GetChangedSymbols(session::UserSessionKey, "", description), "CONNECTIVITYLOST");
    EXPECT_EQ(count("SELECT Symbol FROM AQ_StockSymbolList"), 0u);
    // The connectivity message is shown once however many requests fail.
    EXPECT_EQ(forms::scriptedDriver().messages().size(), 1u);
}

}  // namespace
}  // namespace kavex::addin::marketdata
