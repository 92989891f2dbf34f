#include "platform/base/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace kavex::base {
namespace {

TEST(AsciiCase, OnlyAsciiLettersHaveACase) {
    EXPECT_EQ(toLowerAscii("Eastern Standard Time 2:00 [X]"), "eastern standard time 2:00 [x]");
    EXPECT_EQ(toUpperAscii("msft.o_1@"), "MSFT.O_1@");
    // The bytes of UTF-8 characters stay as they are.
    const std::string accented = "\xC3\x89T\xC3\x89 \xC3\xA0";  // "ÉTÉ à"
    EXPECT_EQ(toLowerAscii(accented), "\xC3\x89t\xC3\x89 \xC3\xA0");
    EXPECT_EQ(toUpperAscii(accented), "\xC3\x89T\xC3\x89 \xC3\xA0");
    // The characters next to the ASCII letters have no case.
    EXPECT_EQ(toLowerAscii("@[`{"), "@[`{");
    EXPECT_EQ(toUpperAscii("@[`{"), "@[`{");
}

TEST(AsciiCase, ComparisonsIgnoreOnlyTheCase) {
    EXPECT_TRUE(equalsIgnoringCase("AQ_StockSymbolData", "aq_stocksymboldata"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
    EXPECT_FALSE(equalsIgnoringCase("Sheet1", "Sheet1 "));
    EXPECT_FALSE(equalsIgnoringCase("Sheet", "Sheep"));
    // '[' and '{' differ by 32 as 'A' and 'a' do, but are no letters.
    EXPECT_FALSE(equalsIgnoringCase("[", "{"));
    EXPECT_FALSE(equalsIgnoringCase("\xC3\x89", "\xC3\xA9"));

    EXPECT_TRUE(startsWithIgnoringCase("HTTP://example.com", "http://"));
    EXPECT_TRUE(startsWithIgnoringCase("select top 3", ""));
    EXPECT_FALSE(startsWithIgnoringCase("http", "http://"));
    EXPECT_FALSE(startsWithIgnoringCase("ftp://x", "http://"));
}

TEST(Trim, StripsOnlyTheBlanksAtEitherEnd) {
    EXPECT_EQ(Trim("  Eastern Standard Time  "), "Eastern Standard Time");
    EXPECT_EQ(Trim("Watch  List"), "Watch  List");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("x"), "x");
    // Tabs and line breaks are no blanks: they stay, and so do the blanks inside them.
    EXPECT_EQ(Trim("\t MSFT \r\n"), "\t MSFT \r\n");
    EXPECT_EQ(Trim(" \tMSFT\n "), "\tMSFT\n");
}

}  // namespace
}  // namespace kavex::base
