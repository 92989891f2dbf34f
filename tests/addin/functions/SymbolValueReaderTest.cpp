#include "addin/functions/SymbolValueReader.h"

#include <gtest/gtest.h>

#include "addin/functions/DeprecationNotice.h"
#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::functions {
namespace {

class SymbolValueReaderTest : public testing::CacheFixture {};

TEST_F(SymbolValueReaderTest, EmptySymbolAnswersEmptyWithoutTouchingAnything) {
    session::ShowDeprecatedMacroWarning = true;
    core::DBConnection.reset();  // any database access would have to open it again
    session::UserSessionKey.clear();
    EXPECT_EQ(GetSymbolDataItem("Last", "", false), "");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "", false), "");
    EXPECT_EQ(core::DBConnection, nullptr);
    EXPECT_TRUE(session::ShowDeprecatedMacroWarning);
    EXPECT_EQ(messagesShown(), 0u);
}

TEST_F(SymbolValueReaderTest, ListedSymbolMovesThroughTheThreeCacheStates) {
    listSymbol("IBM");
    // Not cached: a bare row is queued for the next fetch.
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "#NODATA!");
    EXPECT_EQ(cachedRows("IBM"), 1);
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData where SymbolData is null and "
                    "LastCheckDate is null and LastFetchDate is null"),
              1);
    // Cached without data: no second insert.
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "#NODATA!");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "IBM", true), "#NODATA!");
    EXPECT_EQ(cachedRows("IBM"), 1);
    // Fetched.
    sql("update AQ_StockSymbolData set SymbolData = '<Stock><Last>1234.5</Last>"
        "<MktCap>1234</MktCap></Stock>' where Symbol = 'IBM'");
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$1,234.50");
    EXPECT_EQ(GetSymbolDataItem("MktCap", "IBM", true), "$1,234");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "IBM", true), "1234.5");
}

TEST_F(SymbolValueReaderTest, UnknownSymbolIsInvalidAndNotQueued) {
    EXPECT_EQ(GetSymbolDataItem("Last", "NOSUCH", true), "#INVALID!");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "NOSUCH", false), "#INVALID!");
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData"), 0);
}

TEST_F(SymbolValueReaderTest, LowerCaseSymbolFindsTheCachedRow) {
    cacheSymbol("MSFT", "<Stock><Last>27.1</Last></Stock>");
    EXPECT_EQ(GetSymbolDataItem("Last", "msft", true), "$27.10");
}

TEST_F(SymbolValueReaderTest, MissingOrBlankDataIsNoData) {
    cacheSymbol("BLANK", "<Stock><Last>   </Last></Stock>");
    cacheSymbol("NOELEM", "<Stock><Change>1</Change></Stock>");
    cacheSymbol("EMPTY", "");
    cacheSymbol("NOTXML", "<Stock><Last>12</Stock");
    cacheSymbol("OTHERROOT", "<Quote><Last>12</Last></Quote>");
    sql("insert into AQ_StockSymbolData(Symbol) values('NULLDATA')");
    for (const char* symbol : {"BLANK", "NOELEM", "EMPTY", "NOTXML", "OTHERROOT", "NULLDATA"}) {
        EXPECT_EQ(GetSymbolDataItem("Last", symbol, true), "#NODATA!") << symbol;
    }
}

TEST_F(SymbolValueReaderTest, NegativeNanShowsAsNotAvailable) {
    cacheSymbol("NAN1", "<Stock><Last>-nan</Last><Name>-NaN</Name><Change>nan</Change></Stock>");
    EXPECT_EQ(GetSymbolDataItem("Last", "NAN1", true), "N/A");
    EXPECT_EQ(GetSymbolDataItem("Name", "NAN1", true), "N/A");
    EXPECT_EQ(GetSymbolDataItem("Change", "NAN1", true), "nan");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "NAN1", true), "-nan");
}

TEST_F(SymbolValueReaderTest, UnclassedTagsReturnTheStoredTextExactly) {
    cacheSymbol("ACME", "<Stock><Name>  ACME  Corp </Name><Time>4:00 PM</Time></Stock>");
    EXPECT_EQ(GetSymbolDataItem("Name", "ACME", true), "  ACME  Corp ");
    EXPECT_EQ(GetSymbolDataItem("Time", "ACME", true), "4:00 PM");
    // Tags compare exactly.
    EXPECT_EQ(GetSymbolDataItem("name", "ACME", true), "#NODATA!");
}

TEST_F(SymbolValueReaderTest, ApostrophesAreLookedUpAsText) {
    listSymbol("O'NEIL");
    EXPECT_EQ(GetSymbolDataItem("Last", "O'NEIL", true), "#NODATA!");
    EXPECT_EQ(cachedRows("O'NEIL"), 1);
    EXPECT_EQ(GetSymbolDataItem("Last", "x'); delete from AQ_StockSymbolList; --", true),
              "#INVALID!");
    EXPECT_EQ(GetSymbolDataItem("Last", "'", true), "#INVALID!");
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolList"), 1);
    // A cached row of such a symbol is found, in any letter case, and only for that symbol.
    cacheSymbol("O'BRIEN", "<Stock><Name>O'Brien &amp; Sons</Name></Stock>");
    EXPECT_EQ(GetSymbolDataItem("Name", "O'BRIEN", true), "O'Brien & Sons");
    EXPECT_EQ(GetSymbolDataItem("Name", "o'brien", true), "O'Brien & Sons");
    EXPECT_EQ(GetSymbolDataItem("Name", "O''BRIEN", true), "#INVALID!");
    EXPECT_EQ(GetSymbolDataItem("Name", "O'BRIEN' or '1'='1", true), "#INVALID!");
}

TEST_F(SymbolValueReaderTest, BlankAndVeryLongSymbolsAreNoSymbols) {
    EXPECT_EQ(GetSymbolDataItem("Last", "   ", true), "#INVALID!");
    std::string longSymbol(32767, 'A');
    longSymbol[100] = '\'';
    EXPECT_EQ(GetSymbolDataItem("Last", longSymbol, true), "#INVALID!");
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData"), 0);
}

TEST_F(SymbolValueReaderTest, ClassicCallsShowTheNoticeOncePerLogin) {
    cacheSymbol("IBM", "<Stock><Last>1</Last></Stock>");
    session::ShowDeprecatedMacroWarning = true;  // as the start-up tables set it at login
    GetSymbolDataItem("Last", "IBM", true);
    EXPECT_EQ(messagesShown(), 0u);
    GetSymbolDataItem("Last", "", false);
    EXPECT_EQ(messagesShown(), 0u);

    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", false), "$1.00");
    ASSERT_EQ(messagesShown(), 1u);
    const forms::MessageRecord& notice = forms::scriptedDriver().messages()[0];
    EXPECT_EQ(notice.prompt, kDeprecationNotice);
    EXPECT_EQ(notice.title, "Kavex");
    EXPECT_EQ(notice.style, forms::vbOKOnly | forms::vbExclamation);
    EXPECT_FALSE(session::ShowDeprecatedMacroWarning);

    GetSymbolDataItem("Last", "IBM", false);
    GetSymbolDataItemUnFormatted("Last", "IBM", false);
    EXPECT_EQ(messagesShown(), 1u);

    session::ShowDeprecatedMacroWarning = true;  // the next login
    GetSymbolDataItemUnFormatted("Last", "IBM", false);
    EXPECT_EQ(messagesShown(), 2u);
}

TEST_F(SymbolValueReaderTest, NoticeTextHasTwoParagraphs) {
    EXPECT_EQ(kDeprecationNotice,
              "Kavex has detected that you're using deprecated Kavex Macros supported in "
              "previous version.\r\n\r\nYou're advised to use the new Macros as documented in FAQ "
              "section of Kavex web site.");
}

TEST_F(SymbolValueReaderTest, HiddenToolbarIsShownAgainWhileASessionExists) {
    cacheSymbol("IBM", "<Stock><Last>1</Last></Stock>");
    ASSERT_FALSE(toolbar_->Visible());
    GetSymbolDataItem("Last", "IBM", true);
    EXPECT_TRUE(toolbar_->Visible());
}

TEST_F(SymbolValueReaderTest, SessionWithoutToolbarAnswersError) {
    cacheSymbol("IBM", "<Stock><Last>1</Last></Stock>");
    core::ExcelCommandBars = office::CommandBars();
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "#ERROR!");
    // The raw reader has no toolbar step.
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "IBM", true), "1");
}

TEST_F(SymbolValueReaderTest, DatabaseFailureAnswersErrorAndLogsTheTagAndSymbol) {
    sql("drop table AQ_StockSymbolData");
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "IBM", true), "#ERROR!");
    EXPECT_EQ(GetSymbolDataItem("Change", "MSFT", true), "#ERROR!");
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{
                  "GetSymbolDataItemUnFormatted \tError while fetching data for ...Last for "
                  "symbol...IBM",
                  "GetSymbolDataItemUnFormatted \tError while fetching data for ...Change for "
                  "symbol...MSFT",
              }));
}

TEST_F(SymbolValueReaderTest, FormattedReaderFailureLogsUnderItsOwnName) {
    cacheSymbol("IBM", "<Stock><Last>1</Last></Stock>");
    core::ExcelCommandBars = office::CommandBars();
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "#ERROR!");
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "GetSymbolDataItem \tError while fetching data for ...Last for "
                              "symbol...IBM"}));
}

TEST_F(SymbolValueReaderTest, WithoutSessionWhileALoginRunsTheCacheStillAnswers) {
    cacheSymbol("IBM", "<Stock><Last>2</Last></Stock>");
    sheet::Application host;
    host.workbooks().add();
    core::ExcelApp = &host;
    session::UserSessionKey.clear();
    commandbars::LoginInProgress = true;
    toolbar_->setVisible(false);
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$2.00");
    EXPECT_FALSE(toolbar_->Visible());
    EXPECT_TRUE(forms::scriptedDriver().formsShown().empty());
    core::ExcelApp = nullptr;
}

// Without a session the formatted reader starts the login, unless an add-in workbook is active;
// either way it then answers from the cache.
class SymbolValueReaderLoginTest : public SymbolValueReaderTest {
  protected:
    void SetUp() override {
        SymbolValueReaderTest::SetUp();
        cacheSymbol("IBM", "<Stock><Last>2</Last></Stock>");
        session::UserSessionKey.clear();
        core::ExcelApp = &host_;
    }
    void TearDown() override {
        core::ExcelApp = nullptr;
        SymbolValueReaderTest::TearDown();
    }
    bool loginShown() const {
        for (const forms::FormRecord& form : forms::scriptedDriver().formsShown()) {
            if (form.name == "frmLogin")
                return true;
        }
        return false;
    }

    sheet::Application host_;
};

TEST_F(SymbolValueReaderLoginTest, AnAddinWorkbookStartsNoLogin) {
    sheet::Workbook book = host_.workbooks().add();
    sheet::Worksheet info = book.worksheets().add("KavexInfo");
    info.range("B2").setValue("3.1");
    info.names().add("KavexVersion", "=KavexInfo!$B$2");
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$2.00");
    EXPECT_FALSE(loginShown());
    EXPECT_TRUE(forms::scriptedDriver().formsShown().empty());
}

TEST_F(SymbolValueReaderLoginTest, AnyOtherWorkbookStartsTheLoginAndTheCacheStillAnswers) {
    host_.workbooks().add();
    forms::scriptedDriver().queueFormActions(
        "frmLogin", {{forms::FormAction::Kind::Click, "cmdCancel", "", "test"}});
    EXPECT_EQ(GetSymbolDataItem("Last", "IBM", true), "$2.00");
    EXPECT_TRUE(loginShown());
    EXPECT_FALSE(commandbars::LoginInProgress);
    // The raw reader never starts one.
    forms::scriptedDriver().reset();
    EXPECT_EQ(GetSymbolDataItemUnFormatted("Last", "IBM", true), "2");
    EXPECT_FALSE(loginShown());
}

}  // namespace
}  // namespace kavex::addin::functions
