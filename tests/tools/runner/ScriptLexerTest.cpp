#include "tools/kavex/runner/ScriptLexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavex::tool {
namespace {

using Tokens = std::vector<std::string>;

TEST(ScriptLexer, SplitsOnBlanksAndTabs) {
    EXPECT_EQ(splitScriptLine("type  A1\t42"), (Tokens{"type", "A1", "42"}));
    EXPECT_EQ(splitScriptLine("   show   "), (Tokens{"show"}));
    EXPECT_EQ(splitScriptLine("save\r"), (Tokens{"save"}));
}

TEST(ScriptLexer, BlankAndCommentLinesGiveNothing) {
    EXPECT_TRUE(splitScriptLine("").empty());
    EXPECT_TRUE(splitScriptLine("   \t ").empty());
    EXPECT_TRUE(splitScriptLine("# a comment \"unterminated").empty());
    EXPECT_TRUE(splitScriptLine("   #indented comment").empty());
    // A '#' later in the line is part of a token, not a comment.
    EXPECT_EQ(splitScriptLine("expect A1 #N/A"), (Tokens{"expect", "A1", "#N/A"}));
}

TEST(ScriptLexer, QuotedTokensKeepBlanksAndMayBeEmpty) {
    EXPECT_EQ(splitScriptLine(R"(type A1 "hello  world")"), (Tokens{"type", "A1", "hello  world"}));
    EXPECT_EQ(splitScriptLine(R"(expect-formula A1 "")"), (Tokens{"expect-formula", "A1", ""}));
    EXPECT_EQ(splitScriptLine(R"(x "" "")"), (Tokens{"x", "", ""}));
    EXPECT_EQ(splitScriptLine(R"(select "'My sheet'!A1:B2")"),
              (Tokens{"select", "'My sheet'!A1:B2"}));
}

TEST(ScriptLexer, DoubledQuoteIsOneQuote) {
    EXPECT_EQ(splitScriptLine(R"(x "say ""hi""")"), (Tokens{"x", "say \"hi\""}));
    EXPECT_EQ(splitScriptLine(R"(x """")"), (Tokens{"x", "\""}));
    EXPECT_EQ(splitScriptLine(R"x(type A1 "=IF(B1=""x"",1,2)")x"),
              (Tokens{"type", "A1", "=IF(B1=\"x\",1,2)"}));
}

TEST(ScriptLexer, EscapesInsideQuotes) {
    EXPECT_EQ(splitScriptLine(R"(x "a\nb\rc\td\\e\"f")"), (Tokens{"x", "a\nb\rc\td\\e\"f"}));
    EXPECT_EQ(splitScriptLine(R"(x "\u2026")"), (Tokens{"x", "\xE2\x80\xA6"}));
    EXPECT_EQ(splitScriptLine(R"(x "\u00e9\u0041")"), (Tokens{"x",
                                                              "\xC3\xA9"
                                                              "A"}));
}

TEST(ScriptLexer, UnquotedTokensAreLiteral) {
    // Quotes and backslashes inside a bare token are the text itself.
    EXPECT_EQ(splitScriptLine(R"(type A1 =LEN("ab"))"), (Tokens{"type", "A1", "=LEN(\"ab\")"}));
    EXPECT_EQ(splitScriptLine(R"(open C:\books\a\n.json)"),
              (Tokens{"open", R"(C:\books\a\n.json)"}));
}

TEST(ScriptLexer, RefusesMalformedQuotedText) {
    EXPECT_THROW(splitScriptLine(R"(type A1 "unterminated)"), LexError);
    EXPECT_THROW(splitScriptLine(R"(x "ends with backslash\)"), LexError);
    EXPECT_THROW(splitScriptLine(R"(x "\q")"), LexError);
    EXPECT_THROW(splitScriptLine(R"(x "\u12")"), LexError);
    EXPECT_THROW(splitScriptLine(R"(x "\u12zz")"), LexError);
    EXPECT_THROW(splitScriptLine(R"(x "\ud800")"), LexError);
    EXPECT_THROW(splitScriptLine(R"(x "ab"cd)"), LexError);
}

TEST(ScriptLexer, ErrorsTellTheColumn) {
    try {
        splitScriptLine(R"(type A1 "abc)");
        FAIL() << "no error";
    } catch (const LexError& error) {
        EXPECT_EQ(error.column(), 9u);
        EXPECT_NE(std::string(error.what()).find("unterminated"), std::string::npos);
    }
    try {
        splitScriptLine(R"(x "a\qb")");
        FAIL() << "no error";
    } catch (const LexError& error) {
        EXPECT_EQ(error.column(), 5u);
    }
}

TEST(ScriptLexer, Utf8EncodingCoversAllLengths) {
    std::string out;
    appendUtf8(out, U'A');
    appendUtf8(out, 0xE9);
    appendUtf8(out, 0x20AC);
    appendUtf8(out, 0x1F600);
    EXPECT_EQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_THROW(appendUtf8(out, 0x110000), std::invalid_argument);
}

}  // namespace
}  // namespace kavex::tool
