#include <gtest/gtest.h>

#include <set>
#include <string>

#include "addin/functions/FunctionTables.h"
#include "addin/session/Session.h"
#include "addin/session/StartupTables.h"

namespace kavex::addin::session {
namespace {

class StartupTablesTest : public ::testing::Test {
  protected:
    void SetUp() override { InitAddInVariables(); }
    void TearDown() override {
        ReleaseStartupTables();
        ShowDeprecatedMacroWarning = false;
        UserSessionKey.clear();
    }
};

TEST_F(StartupTablesTest, FunctionNameCollectionsHoldTheirKeys) {
    EXPECT_EQ(SymbolFunctionNames.Count(), 187u);
    EXPECT_EQ(ExchangeFunctionNames.Count(), 33u);
}

TEST_F(StartupTablesTest, KeysCompareWithoutRegardToCase) {
    EXPECT_TRUE(SymbolFunctionNames.Contains("KavexLast"));
    EXPECT_TRUE(SymbolFunctionNames.Contains("kavexlast"));
    EXPECT_TRUE(SymbolFunctionNames.Contains("LASTPRICE"));
    EXPECT_TRUE(SymbolFunctionNames.Contains("lastprice"));
    EXPECT_TRUE(ExchangeFunctionNames.Contains("excgname"));
    EXPECT_TRUE(ExchangeFunctionNames.Contains("KAVEXEXCGSYMBOL"));
    EXPECT_FALSE(SymbolFunctionNames.Contains("SUM"));
    EXPECT_FALSE(ExchangeFunctionNames.Contains("KavexLast"));

    // Adding a key that is there in another letter case is refused, as the collection refuses a
    // duplicate key; the refresh engine's membership test relies on it.
    EXPECT_FALSE(SymbolFunctionNames.Add("KAVEXLAST"));
    EXPECT_EQ(SymbolFunctionNames.Count(), 187u);
    EXPECT_TRUE(SymbolFunctionNames.Add("NotAFunction"));
    EXPECT_TRUE(SymbolFunctionNames.Remove("notafunction"));
    EXPECT_EQ(SymbolFunctionNames.Count(), 187u);
}

TEST_F(StartupTablesTest, SymbolKeysLeaveOutTheFunctionsSheetsNeverCarry) {
    for (const char* name : {"eNAME", "SYMEXCG", "KavexOptionsBaseSymbol", "KavexOptionsExpDate",
                             "KavexOptionsStrike", "KavexOptionsPutCall"}) {
        EXPECT_FALSE(SymbolFunctionNames.Contains(name)) << name;
    }
    for (const char* name : {"NAME", "EXDIVDATE", "KavexYearRange", "KavexLo10", "KavexLo20"}) {
        EXPECT_TRUE(SymbolFunctionNames.Contains(name)) << name;
    }
}

TEST_F(StartupTablesTest, ColumnPickerRowsAreCaptionTableRows) {
    EXPECT_EQ(AttributeColumnTable.size(), 45u);
    std::set<std::string> captions;
    for (const AttributeColumn& row : AttributeColumnTable) {
        EXPECT_EQ(functions::FunctionForCaption(row.Caption), row.FunctionName) << row.Caption;
        EXPECT_TRUE(captions.insert(row.Caption).second) << row.Caption;
    }
    for (const char* left :
         {"52-Week Range", "Day's Range", "Days' Range", "P/E Ratio", "Previous Day Close"}) {
        EXPECT_EQ(captions.count(left), 0u) << left;
    }
    EXPECT_EQ(AttributeColumnTable.front().Caption, "100-Day Moving Avg");
    EXPECT_EQ(AttributeColumnTable.back().Caption, "Earnings/Share");
}

TEST_F(StartupTablesTest, BuildingEndsTheSessionAndArmsTheNotice) {
    UserSessionKey = "KEY";
    ShowDeprecatedMacroWarning = false;
    InitAddInVariables();
    EXPECT_TRUE(UserSessionKey.empty());
    EXPECT_TRUE(ShowDeprecatedMacroWarning);
    EXPECT_EQ(SymbolFunctionNames.Count(), 187u);  // rebuilt, not doubled

    ShowDeprecatedMacroWarning = false;
    ReleaseStartupTables();
    EXPECT_EQ(SymbolFunctionNames.Count(), 0u);
    EXPECT_EQ(ExchangeFunctionNames.Count(), 0u);
    EXPECT_TRUE(AttributeColumnTable.empty());
    EXPECT_TRUE(ShowDeprecatedMacroWarning);
}

}  // namespace
}  // namespace kavex::addin::session
