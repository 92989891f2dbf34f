#include "addin/functions/FunctionTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "addin/functions/AttributeNames.h"
#include "addin/functions/FormatClasses.h"

namespace kavex::addin::functions {
namespace {

using ::testing::Contains;
using ::testing::Not;

template <typename Rows>
std::set<std::string_view> namesOf(const Rows& rows) {
    std::set<std::string_view> names;
    for (const auto& row : rows)
        names.insert(row.name);
    return names;
}

TEST(SymbolFunctionTableTest, HoldsBothFamiliesClassicFirst) {
    auto rows = SymbolFunctionTable();
    ASSERT_EQ(rows.size(), 190u);
    EXPECT_EQ(namesOf(rows).size(), 190u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(std::string(rows[i].name));
        EXPECT_EQ(rows[i].family, i < 39 ? Family::Classic : Family::Prefixed);
        EXPECT_EQ(rows[i].newMacro(), i >= 39);
        EXPECT_EQ(rows[i].name.starts_with("Kavex"), i >= 39);
    }
    EXPECT_EQ(rows.front().name, "LASTPRICE");
    EXPECT_EQ(rows[38].name, "SYMDATAASOF");
    EXPECT_EQ(rows[39].name, "KavexAskSz");
    EXPECT_EQ(rows.back().name, "KavexOptionsBaseSymbol");
}

// A prefixed single-value function reads the element its name says, with three exceptions.
TEST(SymbolFunctionTableTest, PrefixedSingleFunctionsReadTheirNameWithoutPrefix) {
    int single = 0;
    for (const SymbolFunction& row : SymbolFunctionTable()) {
        if (row.family != Family::Prefixed || row.worker != SymbolWorker::Single)
            continue;
        ++single;
        SCOPED_TRACE(std::string(row.name));
        if (row.name == "KavexEma08") {
            EXPECT_EQ(row.tag, "EMAC8");
        } else if (row.name == "KavexEma100") {
            EXPECT_EQ(row.tag, "EmaC100");
        } else if (row.name == "KavexDays_Range") {
            EXPECT_EQ(row.tag, "days_range");
        } else {
            EXPECT_EQ(row.tag, row.name.substr(5));
        }
    }
    EXPECT_EQ(single, 151 - 19);  // 22 exceptions, three of which are still single-valued
}

TEST(SymbolFunctionTableTest, HundredDayAverageDiffersBetweenFamilies) {
    EXPECT_EQ(FindSymbolFunction("HUNDREDDAYMA")->tag, "Ema100");
    EXPECT_EQ(FindSymbolFunction("CHANGEHUNDREDDAYMA")->tag, "Ema100");
    EXPECT_EQ(FindSymbolFunction("CHANGEHUNDREDDAYMAP")->otherTag, "Ema100");
    EXPECT_EQ(FindSymbolFunction("KavexEma100")->tag, "EmaC100");
    EXPECT_EQ(FindSymbolFunction("KavexChangeHundredDayma")->tag, "EmaC100");
    EXPECT_EQ(FindSymbolFunction("KavexChangeHundredDaymaP")->otherTag, "EmaC100");
    EXPECT_EQ(FindSymbolFunction("EIGHTDAYMA")->tag, "EMAC8");
    EXPECT_EQ(FindSymbolFunction("KavexEma08")->tag, "EMAC8");
}

TEST(SymbolFunctionTableTest, PercentagesDivideByLastForYearPairsAndByTheAverageOtherwise) {
    int percentages = 0;
    for (const SymbolFunction& row : SymbolFunctionTable()) {
        if (row.worker != SymbolWorker::Percentage)
            continue;
        ++percentages;
        SCOPED_TRACE(std::string(row.name));
        const SymbolFunction* pair = FindSymbolFunction(row.pairedFunction);
        ASSERT_NE(pair, nullptr);
        EXPECT_EQ(pair->worker, SymbolWorker::Difference);
        EXPECT_EQ(pair->family, row.family);
        EXPECT_EQ(row.name, std::string(pair->name) + "P");
        EXPECT_EQ(row.tag, pair->tag);
        bool yearPair = row.tag == "YearLo" || row.tag == "YearHi";
        EXPECT_EQ(row.otherTag, yearPair ? "Last" : row.tag);
    }
    EXPECT_EQ(percentages, 12);
}

TEST(SymbolFunctionTableTest, ComputingFamiliesAreWhereTheyBelong) {
    EXPECT_EQ(FindSymbolFunction("eNAME")->worker, SymbolWorker::Name);
    EXPECT_EQ(FindSymbolFunction("KavexName")->worker, SymbolWorker::Name);
    EXPECT_EQ(FindSymbolFunction("DIVPAYDATE")->worker, SymbolWorker::DividendPayDate);
    EXPECT_EQ(FindSymbolFunction("KavexDivDate")->worker, SymbolWorker::Single);
    EXPECT_EQ(FindSymbolFunction("SYMDATAASOF")->worker, SymbolWorker::DataDate);
    const SymbolFunction* range = FindSymbolFunction("KavexDayRange");
    EXPECT_EQ(range->worker, SymbolWorker::Range);
    EXPECT_EQ(range->tag, "DayHi");
    EXPECT_EQ(range->otherTag, "DayLo");
    EXPECT_EQ(FindSymbolFunction("FTRANGE")->otherTag, "YearLo");
    EXPECT_EQ(FindSymbolFunction("KavexOptionsBaseSymbol")->word, 0);
    EXPECT_EQ(FindSymbolFunction("KavexOptionsExpDate")->word, 1);
    EXPECT_EQ(FindSymbolFunction("KavexOptionsStrike")->word, 3);
    EXPECT_EQ(FindSymbolFunction("KavexOptionsPutCall")->word, 4);
    EXPECT_EQ(FindSymbolFunction("kavexlast"), nullptr);
}

TEST(ExchangeFunctionTableTest, HoldsSixteenOfEachFamilyInInterfaceOrder) {
    auto rows = ExchangeFunctionTable();
    ASSERT_EQ(rows.size(), 32u);
    EXPECT_EQ(namesOf(rows).size(), 32u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].newMacro(), i >= 16) << rows[i].name;
    }
    EXPECT_EQ(rows[0].name, "EXCGNAME");
    EXPECT_EQ(rows[15].name, "EXCGDATAASOF");
    EXPECT_EQ(rows[22].name, "KavexEXCGPrClose");
    EXPECT_EQ(rows[23].name, "KavexEXCGOpen");
    for (const ExchangeFunction& row : rows) {
        if (row.family == Family::Prefixed && row.worker == ExchangeWorker::Single) {
            EXPECT_EQ(row.tag, row.name.substr(9)) << row.name;
        }
    }
    const ExchangeFunction* perc = FindExchangeFunction("KavexEXCGChPerc");
    EXPECT_EQ(perc->worker, ExchangeWorker::ChangePercent);
    EXPECT_EQ(perc->pairedFunction, "KavexEXCGChange");
    EXPECT_EQ(FindExchangeFunction("EXCGCHANGEP")->pairedFunction, "EXCGCHANGE");
}

TEST(FunctionNameKeysTest, SymbolKeysLeaveOutSixFunctionsAndAddThreeNames) {
    auto keys = SymbolFunctionNameKeys();
    std::set<std::string_view> unique(keys.begin(), keys.end());
    EXPECT_EQ(keys.size(), 187u);
    EXPECT_EQ(unique.size(), 187u);
    for (const char* absent : {"eNAME", "SYMEXCG", "KavexOptionsBaseSymbol", "KavexOptionsExpDate",
                               "KavexOptionsStrike", "KavexOptionsPutCall"}) {
        EXPECT_THAT(unique, Not(Contains(absent)));
    }
    for (const char* present : {"NAME", "EXDIVDATE", "KavexYearRange", "KavexLo10", "KavexLo20",
                                "SYMDATAASOF", "LASTPRICE"}) {
        EXPECT_THAT(unique, Contains(present));
    }
}

TEST(FunctionNameKeysTest, ExchangeKeysAreEveryFunctionAndTheSymbolKey) {
    auto keys = ExchangeFunctionNameKeys();
    EXPECT_EQ(keys.size(), 33u);
    EXPECT_EQ(keys.back(), "KavexEXCGSymbol");
    EXPECT_EQ(std::set<std::string_view>(keys.begin(), keys.end()).size(), 33u);
}

TEST(CaptionFunctionTableTest, MapsFiftyCaptionsToPrefixedFunctions) {
    auto rows = CaptionFunctionTable();
    ASSERT_EQ(rows.size(), 50u);
    for (const CaptionFunction& row : rows) {
        const SymbolFunction* function = FindSymbolFunction(row.function);
        ASSERT_NE(function, nullptr) << row.caption;
        EXPECT_EQ(function->family, Family::Prefixed);
    }
    EXPECT_EQ(FunctionForCaption("Day's Range"), "KavexDayRange");
    EXPECT_EQ(FunctionForCaption("Days' Range"), "KavexDayRange");
    EXPECT_EQ(FunctionForCaption("Volume"), "KavexCuVol");
    EXPECT_EQ(FunctionForCaption("Last Trade Price"), "KavexLast");
    EXPECT_EQ(FunctionForCaption("volume"), "");
    EXPECT_EQ(FunctionForCaption(""), "");
    EXPECT_EQ(FunctionForCaption("Volume "), "");
}

TEST(FormatClassTest, SymbolAndExchangeTablesDiffer) {
    EXPECT_EQ(SymbolFormatClass("Last"), "currency");
    EXPECT_EQ(SymbolFormatClass("Change"), "currency");
    EXPECT_EQ(SymbolFormatClass("MktCap"), "wholecurrency");
    EXPECT_EQ(SymbolFormatClass("ChPerc"), "percentage");
    EXPECT_EQ(SymbolFormatClass("PrEarn"), "number");
    EXPECT_EQ(SymbolFormatClass("CuVol"), "wholenumber");
    EXPECT_EQ(SymbolFormatClass("DivDate"), "date");
    EXPECT_EQ(SymbolFormatClass("Name"), "");
    EXPECT_EQ(SymbolFormatClass("last"), "");
    EXPECT_EQ(ExchangeFormatClass("Last"), "number");
    EXPECT_EQ(ExchangeFormatClass("ChPerc"), "number");
    EXPECT_EQ(ExchangeFormatClass("AdvIssue"), "wholenumber");
    EXPECT_EQ(ExchangeFormatClass("DayHi"), "");
}

// Rows of the symbol table that look like slips but are how the quote elements are shown: prices
// among look-alike counts, counts among look-alike percentages, and the unused spellings of the
// moving-average differences.
TEST(FormatClassTest, LookAlikeElementsKeepTheirOwnClass) {
    for (const char* tag : {"AskMkt", "DivYld", "OpenInt", "RecNum", "Sto14", "Sto25",
                            "QuoteSpread", "PrMktCap", "CHANGEEightDAYMA", "ChangeHundredDayMA"}) {
        EXPECT_EQ(SymbolFormatClass(tag), "currency") << tag;
    }
    for (const char* tag : {"BidMkt", "ChOpen", "Column", "CIKcode", "SICcode", "ShortVolume"}) {
        EXPECT_EQ(SymbolFormatClass(tag), "wholenumber") << tag;
    }
    for (const char* tag : {"pTradeGap", "AskRange", "Change52w", "Trend", "Volat30"}) {
        EXPECT_EQ(SymbolFormatClass(tag), "number") << tag;
    }
    for (const char* tag :
         {"pChOpen", "pYearRange", "PcCh52w", "CHANGEThirtyDAYMAP", "ChangeEightDayMAP"}) {
        EXPECT_EQ(SymbolFormatClass(tag), "percentage") << tag;
    }
    // Shown as stored.
    for (const char* tag : {"Name", "Exch", "Time", "QuoteTime", "Strike", "TotAssets",
                            "days_range", "VolPerc5", "Delay", "EMAC100", "ema13"}) {
        EXPECT_EQ(SymbolFormatClass(tag), "") << tag;
    }
    for (const char* tag : {"Name", "Time", "YearHi", "DayLo", "VolAvg5"}) {
        EXPECT_EQ(ExchangeFormatClass(tag), "") << tag;
    }
}

TEST(AttributeNamesTest, LoadsTheSameTwoHundredSevenRowsEveryTime) {
    LoadAttributeNames();
    LoadAttributeNames();
    ASSERT_EQ(AttributeNames.size(), 207u);
    EXPECT_EQ(AttributeNames.front(), "NAME");
    EXPECT_EQ(AttributeNames[38], "SYMDATAASOF");
    EXPECT_EQ(AttributeNames[39], "KavexChangeEightDayma");
    EXPECT_EQ(AttributeNames[173], "-------------- EXCHANGE --------------");
    EXPECT_EQ(AttributeNames[174], "EXCGNAME");
    EXPECT_EQ(AttributeNames[190], "KavexEXCGSymbol");
    EXPECT_EQ(AttributeNames.back(), "KavexEXCGDataASOF");
}

TEST(AttributeNamesTest, EveryRowButThreeNamesAFunction) {
    LoadAttributeNames();
    std::set<std::string> orphans;
    for (const std::string& name : AttributeNames) {
        if (name == kAttributeSeparator)
            continue;
        if (!FindSymbolFunction(name) && !FindExchangeFunction(name))
            orphans.insert(name);
    }
    EXPECT_EQ(orphans, (std::set<std::string>{"NAME", "KavexYearRange", "KavexEXCGSymbol"}));
    for (const char* missing : {"eNAME", "KavexStreet1", "KavexVolty", "KavexStrike"}) {
        EXPECT_THAT(AttributeNames, Not(Contains(missing)));
    }
}

}  // namespace
}  // namespace kavex::addin::functions
