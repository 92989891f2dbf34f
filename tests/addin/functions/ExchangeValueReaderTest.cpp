#include "addin/functions/ExchangeValueReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::functions {
namespace {

class ExchangeValueReaderTest : public testing::CacheFixture {
  protected:
    void SetUp() override {
        CacheFixture::SetUp();
        cacheExchange("NSDQ",
                      "<Stock><Name>NASDAQ %26 Co</Name><Last>2345.678</Last><ChPerc>0.52</ChPerc>"
                      "<AdvIssue>1234</AdvIssue><NewHigh>   </NewHigh><Change>-nan</Change>"
                      "</Stock>");
    }
};

TEST_F(ExchangeValueReaderTest, FormatsByTheExchangeTable) {
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "2,345.68");
    EXPECT_EQ(GetExchangeDataItem("AdvIssue", "NSDQ", true), "1,234");
    EXPECT_EQ(GetExchangeDataItem("ChPerc", "NSDQ", true), "0.52");
    EXPECT_EQ(GetExchangeDataItem("Name", "NSDQ", true), "NASDAQ %26 Co");
    EXPECT_EQ(GetExchangeDataItemUnFormatted("Last", "NSDQ", true), "2345.678");
    EXPECT_EQ(GetExchangeDataItem("Last", "nsdq", true), "2,345.68");
}

TEST_F(ExchangeValueReaderTest, NoRowNoElementOrBlanksAreNoDataAndNothingIsInserted) {
    EXPECT_EQ(GetExchangeDataItem("Last", "NASDAQ", true), "#NODATA!");
    EXPECT_EQ(GetExchangeDataItem("Last", "   ", true), "#NODATA!");
    EXPECT_EQ(GetExchangeDataItem("Last", "N'S", true), "#NODATA!");
    EXPECT_EQ(GetExchangeDataItem("NewHigh", "NSDQ", true), "#NODATA!");
    EXPECT_EQ(GetExchangeDataItem("NewLow", "NSDQ", true), "#NODATA!");
    EXPECT_EQ(count("select Exchange from AQ_StockExchangeData"), 1);
}

TEST_F(ExchangeValueReaderTest, StoredNanIsNotTranslated) {
    EXPECT_EQ(GetExchangeDataItem("Change", "NSDQ", true), "-nan");
}

TEST_F(ExchangeValueReaderTest, EmptyExchangeAnswersEmptyBeforeTheSessionTest) {
    session::UserSessionKey.clear();
    EXPECT_EQ(GetExchangeDataItem("Last", "", false), "");
    EXPECT_EQ(GetExchangeDataItemUnFormatted("Last", "", false), "");
}

TEST_F(ExchangeValueReaderTest, WithoutSessionEveryAnswerIsName) {
    sheet::Application host;
    host.workbooks().add();
    core::ExcelApp = &host;
    session::UserSessionKey.clear();
    session::ShowDeprecatedMacroWarning = true;
    commandbars::LoginInProgress = true;  // a login is under way: none is started
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", false), "#NAME!");
    EXPECT_EQ(GetExchangeDataItemUnFormatted("Last", "NSDQ", false), "#NAME!");
    // The notice comes after the session test.
    EXPECT_TRUE(session::ShowDeprecatedMacroWarning);
    EXPECT_EQ(messagesShown(), 0u);
    core::ExcelApp = nullptr;
}

TEST_F(ExchangeValueReaderTest, FirstClassicCallWithASessionShowsTheNotice) {
    session::ShowDeprecatedMacroWarning = true;
    GetExchangeDataItem("Last", "NSDQ", true);
    EXPECT_EQ(messagesShown(), 0u);
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", false), "2,345.68");
    EXPECT_EQ(messagesShown(), 1u);
    GetExchangeDataItem("Last", "NSDQ", false);
    EXPECT_EQ(messagesShown(), 1u);
}

TEST_F(ExchangeValueReaderTest, DatabaseFailureAnswersErrorAndLogsTheTagExchangeAndCause) {
    sql("drop table AQ_StockExchangeData");
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "#ERROR!");
    std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string start =
        "GetExchangeDataItemUnFormatted\tError while getting exchange data item for the tag Last "
        "and exchange : NSDQ ... Error Description : ";
    EXPECT_TRUE(lines[0].starts_with(start)) << lines[0];
    EXPECT_GT(lines[0].size(), start.size()) << "the cause is missing";
}

// Without a session every exchange answer is "#NAME!", whatever the cache holds: with an add-in
// workbook active no login is started, with any other the login runs first.
class ExchangeValueReaderLoginTest : public ExchangeValueReaderTest {
  protected:
    void SetUp() override {
        ExchangeValueReaderTest::SetUp();
        session::UserSessionKey.clear();
        core::ExcelApp = &host_;
    }
    void TearDown() override {
        core::ExcelApp = nullptr;
        ExchangeValueReaderTest::TearDown();
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

TEST_F(ExchangeValueReaderLoginTest, AnAddinWorkbookStartsNoLoginAndAnswersName) {
    sheet::Workbook book = host_.workbooks().add();
    sheet::Worksheet info = book.worksheets().add("KavexInfo");
    info.range("B2").setValue("3.1");
    info.names().add("KavexVersion", "=KavexInfo!$B$2");
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "#NAME!");
    EXPECT_TRUE(forms::scriptedDriver().formsShown().empty());
}

TEST_F(ExchangeValueReaderLoginTest, ACancelledLoginAnswersName) {
    host_.workbooks().add();
    forms::scriptedDriver().queueFormActions(
        "frmLogin", {{forms::FormAction::Kind::Click, "cmdCancel", "", "test"}});
    EXPECT_EQ(GetExchangeDataItem("Last", "NSDQ", true), "#NAME!");
    EXPECT_TRUE(loginShown());
    EXPECT_FALSE(commandbars::LoginInProgress);
    // No session is not a failure.
    for (const std::string& line : logLines())
        EXPECT_FALSE(line.starts_with("GetExchangeDataItem")) << line;
}

}  // namespace
}  // namespace kavex::addin::functions
