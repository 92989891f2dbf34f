#include "addin/refresh/ExchangeInfoHeader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/PlatformError.h"
#include "tests/addin/refresh/RefreshFixture.h"

namespace kavex::addin::refresh {
namespace {

class ExchangeInfoHeaderTest : public testing::RefreshFixture {
  protected:
    int spanColour(const sheet::Range& cell, int start, int length) {
        return static_cast<int>(base::CDbl(cell.characters(start, length).font().colorIndex()));
    }
    // The 1-based position of the first occurrence of text in the cell's value.
    static int at(const std::string& value, const std::string& text, std::size_t from = 0) {
        return static_cast<int>(value.find(text, from)) + 1;
    }
};

TEST_F(ExchangeInfoHeaderTest, ThreeRisenIndicesAreGreenAndTheTimeLineGrey) {
    cacheIndices(index("9123.45", "12.34"), index("2456.78", "5.67"), index("1432.10", "1.5"));
    sheet::Worksheet ws = activate("Watch List");
    sheet::Range header;
    WriteExchangeInfoHeader(ws, header);
    ASSERT_EQ(header.address(), "$A$2");
    const std::string value = shown(ws, "A2");
    EXPECT_EQ(value.substr(0, value.find('\n')),
              "NYSE - 9,123.45 (+12.34, +0.14%), NASDAQ - 2,456.78 (+5.67, +0.23%), "
              "SP 500 - 1,432.10 (+1.50, +0.1%)");
    EXPECT_EQ(value.substr(value.find('\n') + 1, 14), "Last Updated: ");
    // Each span runs between its brackets.
    const int nyse = at(value, "(") + 1;
    EXPECT_EQ(spanColour(header, nyse, at(value, ")") - nyse), kHeaderRiseColorIndex);
    const int nasdaq = at(value, "(", nyse) + 1;
    EXPECT_EQ(spanColour(header, nasdaq, at(value, ")", nasdaq) - nasdaq), kHeaderRiseColorIndex);
    const int sp = at(value, "(", nasdaq) + 1;
    EXPECT_EQ(spanColour(header, sp, at(value, ")", sp) - sp), kHeaderRiseColorIndex);
    // The labels and the closing keep the cell's own colour.
    EXPECT_NE(spanColour(header, 1, 4), kHeaderRiseColorIndex);
    const int line = at(value, "\n") + 1;
    EXPECT_EQ(spanColour(header, line, static_cast<int>(value.size()) - line + 1),
              kHeaderTimeColorIndex);
    EXPECT_FALSE(header.characters(line, 5).font().bold().boolean());
    EXPECT_TRUE(app.enableEvents());
}

TEST_F(ExchangeInfoHeaderTest, AFallIsRedAndNoChangeHasNoSign) {
    cacheIndices(index("9123.45", "-12.34"), index("2456.78", "0"), index("5", "-0.0025"));
    sheet::Worksheet ws = activate("Price Gainers");
    ws.unprotect("lantor");
    sheet::Range header;
    WriteExchangeInfoHeader(ws, header);
    const std::string value = shown(ws, "A2");
    EXPECT_NE(value.find("NYSE - 9,123.45 (-12.34, -0.14%), "), std::string::npos) << value;
    EXPECT_NE(value.find("NASDAQ - 2,456.78 (0.00, 0%), "), std::string::npos) << value;
    // A change that rounds to nothing shows no sign, and neither does its percentage.
    EXPECT_NE(value.find("SP 500 - 5.00 (0.00, 0%)"), std::string::npos) << value;
    const int nyse = at(value, "(") + 1;
    EXPECT_EQ(spanColour(header, nyse, 3), kHeaderFallColorIndex);
    const int nasdaq = at(value, "(", nyse) + 1;
    EXPECT_EQ(spanColour(header, nasdaq, 3), kHeaderFlatColorIndex);
    const int sp = at(value, "(", nasdaq) + 1;
    EXPECT_EQ(spanColour(header, sp, 3), kHeaderFlatColorIndex);
}

TEST_F(ExchangeInfoHeaderTest, TheHeaderGoesWhereverItsNameSaysAndNowhereElse) {
    cacheIndices(index("1", "1"), index("2", "1"), index("3", "1"));
    app.workbooks().add();
    sheet::Worksheet ws = app.activeSheet();
    app.activeWorkbook().names().add("ExchangeInfo", "=Sheet1!$B$3");
    sheet::Range header;
    WriteExchangeInfoHeader(ws, header);
    EXPECT_EQ(header.address(), "$B$3");
    EXPECT_EQ(ws.usedRange().address(), "$B$3");
}

TEST_F(ExchangeInfoHeaderTest, FailuresReachTheCallerBeforeOrAfterEventsGoOff) {
    // No name: nothing written, events untouched.
    app.workbooks().add();
    sheet::Range header;
    EXPECT_THROW(WriteExchangeInfoHeader(app.activeSheet(), header), base::PlatformError);
    EXPECT_TRUE(app.enableEvents());
    EXPECT_TRUE(header.isNothing());

    // An index that is not cached: its change reads "#NODATA!", the sign test fails with events
    // off, and nothing is written.
    cacheExchange("NYSE", index("1", "1"));
    sheet::Worksheet ws = activate("Watch List");
    EXPECT_THROW(WriteExchangeInfoHeader(ws, header), base::PlatformError);
    EXPECT_FALSE(app.enableEvents());
    EXPECT_EQ(shown(ws, "A2"), "");
}

}  // namespace
}  // namespace kavex::addin::refresh
