#include <gtest/gtest.h>

#include <string>

#include "addin/functions/ExchangeWorkers.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/functions/SymbolWorkers.h"
#include "addin/functions/ValueFormatting.h"
#include "platform/base/PlatformError.h"
#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::functions {
namespace {

using base::Variant;

Variant call(std::string_view function, const Variant& argument) {
    std::optional<Variant> result = CallWorksheetFunction(function, argument);
    EXPECT_TRUE(result.has_value()) << function;
    return result.value_or(Variant());
}

class WorkersTest : public testing::CacheFixture {};

TEST_F(WorkersTest, EmptyArgumentGivesEmptyTextOrAnEmptyValue) {
    for (const SymbolFunction& f : SymbolFunctionTable()) {
        Variant result = call(f.name, Variant());
        if (f.worker == SymbolWorker::OptionWord) {
            EXPECT_TRUE(result.isEmpty()) << f.name;
        } else {
            EXPECT_EQ(result, Variant("")) << f.name;
        }
    }
    for (const ExchangeFunction& f : ExchangeFunctionTable()) {
        EXPECT_EQ(call(f.name, Variant("")), Variant("")) << f.name;
    }
    EXPECT_EQ(messagesShown(), 0u);
}

TEST_F(WorkersTest, RangesJoinLowAndHighInCurrency) {
    cacheSymbol("IBM", "<Stock><DayHi>12.5</DayHi><DayLo>10</DayLo></Stock>");
    listSymbol("NEW");
    EXPECT_EQ(call("KavexDayRange", "IBM"), Variant("$10.00 - $12.50"));
    EXPECT_EQ(call("DAYRANGE", "IBM"), Variant("$10.00 - $12.50"));
    EXPECT_EQ(call("KavexDayRange", "NEW"), Variant("#NODATA! - #NODATA!"));
    EXPECT_EQ(call("FTRANGE", "NOSUCH"), Variant("#INVALID! - #INVALID!"));
}

TEST_F(WorkersTest, RangeTextMarksAMissingSideWithOneBlank) {
    EXPECT_EQ(RangeText("", "12", "currency"), "  - $12.00");
    EXPECT_EQ(RangeText("10", "", "currency"), "$10.00 -  ");
    EXPECT_EQ(RangeText("", "", "currency"), "");
    EXPECT_EQ(RangeText("1234.567", "2000", "number"), "1,234.57 - 2,000.00");
}

TEST_F(WorkersTest, DividendPayDateShowsZerosAsNotAvailableOnlyInTheClassicFamily) {
    cacheSymbol("IBM", "<Stock><DivDate>00000000</DivDate></Stock>");
    cacheSymbol("MSFT", "<Stock><DivDate>20070315</DivDate></Stock>");
    EXPECT_EQ(call("DIVPAYDATE", "IBM"), Variant("N/A"));
    EXPECT_EQ(call("KavexDivDate", "IBM"), Variant("00000000"));
    EXPECT_EQ(call("DIVPAYDATE", "MSFT"), Variant("03/15/2007"));
}

TEST_F(WorkersTest, PercentagesDivideByLastForYearPairsAndByTheAverageOtherwise) {
    cacheSymbol("ZERO", "<Stock><Last>0</Last><YearLo>8</YearLo></Stock>");
    cacheSymbol("TEN", "<Stock><Last>10</Last><YearLo>8</YearLo><Ema30>8</Ema30></Stock>");
    EXPECT_EQ(call("KavexChangeFWLP", "ZERO"), Variant("#ERROR!"));
    EXPECT_EQ(call("KavexChangeFWL", "TEN"), Variant("$2.00"));
    EXPECT_EQ(call("KavexChangeFWLP", "TEN"), Variant("20.0%"));
    EXPECT_EQ(call("CHANGEFWLP", "TEN"), Variant("20.0%"));
    EXPECT_EQ(call("KavexChangeThirtyDaymaP", "TEN"), Variant("25.0%"));
    // A missing reference passes its error word through.
    EXPECT_EQ(call("KavexChangeFWH", "TEN"), Variant("#NODATA!"));
    EXPECT_EQ(call("KavexChangeFWHP", "TEN"), Variant("#NODATA!"));
}

TEST_F(WorkersTest, PercentageDividesTheDifferenceAsShown) {
    // 10.006 - 10 shows as $0.01 with two decimals and as $0 with none.
    cacheSymbol("S", "<Stock><Last>10.006</Last><Ema13>10</Ema13></Stock>");
    EXPECT_EQ(call("KavexChangeThirteenDaymaP", "S"), Variant("0.1%"));
    core::PriceFormat = "$###,###,##0";
    EXPECT_EQ(call("KavexChangeThirteenDayma", "S"), Variant("$0"));
    EXPECT_EQ(call("KavexChangeThirteenDaymaP", "S"), Variant("0%"));
}

TEST_F(WorkersTest, HundredDayAveragesReadDifferentElements) {
    cacheSymbol("IBM", "<Stock><Last>100</Last><Ema100>90</Ema100><EmaC100>80</EmaC100></Stock>");
    EXPECT_EQ(call("HUNDREDDAYMA", "IBM"), Variant("$90.00"));
    EXPECT_EQ(call("KavexEma100", "IBM"), Variant("$80.00"));
    EXPECT_EQ(call("CHANGEHUNDREDDAYMA", "IBM"), Variant("$10.00"));
    EXPECT_EQ(call("KavexChangeHundredDayma", "IBM"), Variant("$20.00"));
    EXPECT_EQ(call("CHANGEHUNDREDDAYMAP", "IBM"), Variant("11.11%"));
    EXPECT_EQ(call("KavexChangeHundredDaymaP", "IBM"), Variant("25.0%"));
}

TEST_F(WorkersTest, OptionWordsPickWordsOfTheName) {
    cacheSymbol("OPT", "<Stock><Name>IBM 07 MAR 100 C</Name></Stock>");
    cacheSymbol("TWO", "<Stock><Name>IBM CALL</Name></Stock>");
    cacheSymbol("GAP", "<Stock><Name>IBM  MAR 100 C</Name></Stock>");
    EXPECT_EQ(call("KavexOptionsBaseSymbol", "OPT"), Variant("IBM"));
    EXPECT_EQ(call("KavexOptionsExpDate", "OPT"), Variant("07MAR"));
    EXPECT_EQ(call("KavexOptionsStrike", "OPT"), Variant("100"));
    EXPECT_EQ(call("KavexOptionsPutCall", "OPT"), Variant("C"));
    EXPECT_EQ(GetKavexOptionsBaseSymbol("OPT"), Variant("IBM"));
    EXPECT_EQ(call("KavexOptionsBaseSymbol", "TWO"), Variant("IBM"));
    EXPECT_TRUE(call("KavexOptionsExpDate", "TWO").isEmpty());
    EXPECT_TRUE(call("KavexOptionsStrike", "TWO").isEmpty());
    EXPECT_TRUE(call("KavexOptionsPutCall", "TWO").isEmpty());
    // Two blanks in a row make an empty word.
    EXPECT_EQ(call("KavexOptionsExpDate", "GAP"), Variant("MAR"));
    EXPECT_EQ(call("KavexOptionsPutCall", "GAP"), Variant("C"));
}

TEST_F(WorkersTest, NamesTurnEveryEncodedAmpersandBack) {
    cacheSymbol("AT", "<Stock><Name>AT%26T %26 Sons %2</Name></Stock>");
    cacheExchange("NSDQ", "<Stock><Name>S%26P%26</Name></Stock>");
    EXPECT_EQ(call("KavexName", "AT"), Variant("AT&T & Sons %2"));
    EXPECT_EQ(call("eNAME", "AT"), Variant("AT&T & Sons %2"));
    EXPECT_EQ(call("KavexEXCGName", "NSDQ"), Variant("S&P&"));
    EXPECT_EQ(call("EXCGNAME", "NSDQ"), Variant("S&P&"));
}

TEST_F(WorkersTest, WorkersOtherPartsCall) {
    cacheSymbol("IBM", "<Stock><Last>5</Last><Ema13>6</Ema13><Ema30>7</Ema30></Stock>");
    EXPECT_EQ(GetKavexLast("IBM"), Variant("$5.00"));
    EXPECT_EQ(GetKavexEma13("IBM"), Variant("$6.00"));
    EXPECT_EQ(GetKavexEma30("IBM"), Variant("$7.00"));
    EXPECT_EQ(CallSymbolWorker("GetLASTPRICE", "IBM"), Variant("$5.00"));
    EXPECT_EQ(CallSymbolWorker("LASTPRICE", "IBM"), std::nullopt);
    cacheExchange("NYSE", "<Stock><Last>200</Last><Change>5</Change></Stock>");
    EXPECT_EQ(GetKavexEXCGLast("NYSE"), "200.00");
    EXPECT_EQ(GetKavexEXCGChange("NYSE"), "5.00");
    EXPECT_EQ(GetKavexEXCGChPerc("NYSE"), "2.5%");
    EXPECT_EQ(CallExchangeWorker("GetEXCGCHANGEP", "NYSE"), "2.5%");
}

TEST_F(WorkersTest, ExchangeChangePercentAndRanges) {
    cacheExchange("ZERO", "<Stock><Last>0</Last><Change>5</Change></Stock>");
    cacheExchange("AMEX", "<Stock><YearHi>1500.25</YearHi><YearLo>1200</YearLo></Stock>");
    EXPECT_EQ(call("KavexEXCGChPerc", "ZERO"), Variant("#ERROR!"));
    EXPECT_EQ(call("EXCGCHANGEP", "ZERO"), Variant("#ERROR!"));
    EXPECT_EQ(call("EXCGFTRANGE", "AMEX"), Variant("1,200.00 - 1,500.25"));
    EXPECT_EQ(call("EXCGDAYRANGE", "AMEX"), Variant("#NODATA! - #NODATA!"));
    EXPECT_EQ(call("KavexEXCGDayRange", "NONE"), Variant("#NODATA! - #NODATA!"));
}

TEST_F(WorkersTest, DataDateFunctionsNeverShowTheNotice) {
    session::ShowDeprecatedMacroWarning = true;
    call("SYMDATAASOF", "IBM");
    call("EXCGDATAASOF", "NSDQ");
    EXPECT_EQ(messagesShown(), 0u);
    EXPECT_TRUE(session::ShowDeprecatedMacroWarning);
}

// What a cell can hand a function that expects a symbol or an exchange code.
TEST_F(WorkersTest, ArgumentsOfOtherKindsAreReadAsTheirText) {
    listSymbol("123");
    EXPECT_EQ(call("KavexLast", Variant(123.0)), Variant("#NODATA!"));
    EXPECT_EQ(cachedRows("123"), 1);
    EXPECT_EQ(call("KavexLast", Variant(true)), Variant("#INVALID!"));
    EXPECT_EQ(call("KavexLast", Variant("   ")), Variant("#INVALID!"));
    EXPECT_EQ(call("KavexEXCGLast", Variant("   ")), Variant("#NODATA!"));
    EXPECT_EQ(call("KavexEXCGLast", Variant(1.5)), Variant("#NODATA!"));
    EXPECT_EQ(call("KavexLast", Variant("it's")), Variant("#INVALID!"));
    EXPECT_EQ(call("KavexEXCGLast", Variant("it's")), Variant("#NODATA!"));
    std::string longText(32767, '\'');
    EXPECT_EQ(call("KavexChangeFWLP", Variant(longText)), Variant("#INVALID!"));
    EXPECT_EQ(call("KavexDayRange", Variant(longText)), Variant("#INVALID! - #INVALID!"));
    EXPECT_EQ(call("KavexEXCGChPerc", Variant(longText)), Variant("#NODATA!"));
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData"), 1);
}

TEST_F(WorkersTest, ErrorValuesAndMissingArgumentsFailTheCall) {
    for (const Variant& bad : {Variant(base::CellError::NA), Variant(base::CellError::Value),
                               Variant::missing(), Variant::null()}) {
        try {
            call("KavexLast", bad);
            ADD_FAILURE() << "no failure";
        } catch (const base::PlatformError& failure) {
            EXPECT_EQ(failure.number(), base::errors::TypeMismatch);
        }
        EXPECT_THROW(call("EXCGNAME", bad), base::PlatformError);
    }
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData"), 0);
}

TEST_F(WorkersTest, UnknownFunctionNamesAreNotCalled) {
    EXPECT_EQ(CallWorksheetFunction("NAME", Variant("IBM")), std::nullopt);
    EXPECT_EQ(CallWorksheetFunction("KavexYearRange", Variant("IBM")), std::nullopt);
    EXPECT_EQ(CallWorksheetFunction("KavexEXCGSymbol", Variant("NSDQ")), std::nullopt);
}

}  // namespace
}  // namespace kavex::addin::functions
