#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "ServiceFixture.h"
#include "services/MarketModel.h"

namespace kavex::services::testing {
namespace {

// Every element the add-in's worksheet functions read from a cached quote.
constexpr const char* readTags[] = {
    "Symbol",
    "Name",
    "Exch",
    "LgExch",
    "ShExch",
    "Last",
    "Change",
    "ChPerc",
    "Time",
    "QuoteTime",
    "Delay",
    "Open",
    "PrClose",
    "DayHi",
    "DayLo",
    "days_range",
    "CuVol",
    "TrVol",
    "TrCnt",
    "VolAvg5",
    "VolAvg20",
    "VolPrev",
    "VolPerc5",
    "VolPerc20",
    "VolPercPrev",
    "BidPr",
    "BidSz",
    "AskPr",
    "AskSz",
    "QuoteSpread",
    "BidOpen",
    "BidHigh",
    "BidLow",
    "AskOpen",
    "AskHigh",
    "AskLow",
    "BidMkt",
    "AskMkt",
    "BidCount",
    "AskCount",
    "BidGap",
    "AskGap",
    "TradeGap",
    "pTradeGap",
    "BidRange",
    "AskRange",
    "TradeRange",
    "pBidRange",
    "pAskRange",
    "pTrRange",
    "ChOpen",
    "pChOpen",
    "YearHi",
    "YearLo",
    "pYearHi",
    "pYearLo",
    "pYearRange",
    "PrHi",
    "PrLo",
    "Hi10",
    "Lo10",
    "Hi20",
    "Lo20",
    "NewHiCnt",
    "NewLoCnt",
    "Hclose01w",
    "Hclose04w",
    "Hclose13w",
    "Hclose26w",
    "Hclose52w",
    "Change01w",
    "Change04w",
    "Change13w",
    "Change26w",
    "Change52w",
    "PcCh01w",
    "PcCh04w",
    "PcCh13w",
    "PcCh26w",
    "PcCh52w",
    "EMAC8",
    "Ema13",
    "Ema30",
    "Ema100",
    "EmaC100",
    "CHANGEEightDAYMA",
    "CHANGEThirteenDAYMA",
    "CHANGEThirtyDAYMA",
    "CHANGEHundredDAYMA",
    "CHANGEEightDAYMAP",
    "CHANGEThirteenDAYMAP",
    "CHANGEThirtyDAYMAP",
    "CHANGEHundredDAYMAP",
    "ChangeEightDayMA",
    "ChangeThirteenDayMA",
    "ChangeThirtyDayMA",
    "ChangeHundredDayMA",
    "ChangeEightDayMAP",
    "ChangeThirteenDayMAP",
    "ChangeThirtyDayMAP",
    "ChangeHundredDayMAP",
    "Rsi09",
    "Rsi14",
    "Rsi25",
    "Sto14",
    "Sto25",
    "Support1",
    "Support2",
    "Resist1",
    "Resist2",
    "Trend",
    "Volat5",
    "Volat15",
    "Volat30",
    "Volty",
    "MoneyFlow",
    "ShortVolume",
    "BlCnt",
    "DivAmt",
    "DivYld",
    "DivDate",
    "EarnShr",
    "PrEarn",
    "ShrsOut",
    "ShrsAuth",
    "MktCap",
    "PrMktCap",
    "TotAssets",
    "TotLiab",
    "Country",
    "Currency",
    "Industry",
    "SICcode",
    "SicText",
    "CIKcode",
    "IDCode",
    "Homepage",
    "Logo",
    "Bio",
    "ShDesc",
    "Street1",
    "Street2",
    "News",
    "Column",
    "RecNum",
    "DataFlags",
    "QuoteFlags",
    "TradeFlags",
    "OpenInt",
    "Strike",
};

// Tags that hold nothing for a stock (only options have them) or for a company without earnings.
bool mayBeEmpty(const std::string& tag) {
    return tag == "OpenInt" || tag == "Strike" || tag == "PrEarn";
}

class MarketModelTest : public ::testing::Test {
  protected:
    MarketModelTest()
        : model(SeedData::load(seededOptions().seedDirectory), std::chrono::seconds(60)) {}

    std::map<std::string, std::string> quote(
        const std::string& symbol, std::chrono::system_clock::time_point time = fixedTime()) {
        const auto fields = model.quote(symbol, time);
        EXPECT_TRUE(fields.has_value()) << symbol;
        std::map<std::string, std::string> byName;
        for (const auto& [name, value] : fields.value_or(QuoteFields{})) {
            EXPECT_TRUE(byName.emplace(name, value).second) << "duplicate " << name;
        }
        return byName;
    }

    static double number(const std::map<std::string, std::string>& quote, const char* tag) {
        const auto found = quote.find(tag);
        EXPECT_NE(found, quote.end()) << tag;
        return found == quote.end() ? 0 : std::atof(found->second.c_str());
    }

    MarketModel model;
};

TEST_F(MarketModelTest, SeedsHoldSixtyOddSymbolsOnThreeExchanges) {
    const auto& symbols = model.seeds().symbols;
    EXPECT_GE(symbols.size(), 55U);
    for (const char* exchange : {"NSDQ", "NYSE", "AMEX"}) {
        EXPECT_GE(model.stocksOf(exchange).size(), 10U) << exchange;
    }
}

TEST_F(MarketModelTest, EveryStockQuoteCarriesEveryTagTheAddinReads) {
    for (const auto& listed : model.seeds().symbols) {
        const auto fields = quote(listed.symbol);
        for (const char* tag : readTags) {
            const auto found = fields.find(tag);
            ASSERT_NE(found, fields.end()) << listed.symbol << " lacks " << tag;
            if (!mayBeEmpty(tag)) {
                EXPECT_FALSE(found->second.empty()) << listed.symbol << " " << tag;
            }
        }
    }
}

TEST_F(MarketModelTest, SameSymbolAndTimeGiveTheSameQuote) {
    const MarketModel other(SeedData::load(seededOptions().seedDirectory),
                            std::chrono::seconds(60));
    EXPECT_EQ(model.quote("MSFT", fixedTime()), other.quote("msft", fixedTime()));
    EXPECT_EQ(model.quote("MSFT", fixedTime()),
              model.quote("MSFT", fixedTime() + std::chrono::seconds(20)))
        << "within one bucket nothing moves";
}

TEST_F(MarketModelTest, PricesMoveFromBucketToBucketAndDiffer) {
    int moved = 0;
    int differ = 0;
    double previous = -1;
    for (int minute = 0; minute < 30; ++minute) {
        const double last =
            number(quote("MSFT", fixedTime() + std::chrono::minutes(minute)), "Last");
        moved += (previous >= 0 && last != previous) ? 1 : 0;
        differ += number(quote("AAPL", fixedTime() + std::chrono::minutes(minute)), "Last") != last
                      ? 1
                      : 0;
        previous = last;
    }
    EXPECT_GE(moved, 20);
    EXPECT_EQ(differ, 30);
}

TEST_F(MarketModelTest, FiguresOfAQuoteAgree) {
    for (const char* symbol : {"MSFT", "T", "LCID", "SPY", "%MSFTAD"}) {
        const auto q = quote(symbol);
        const double last = number(q, "Last");
        const double previousClose = number(q, "PrClose");
        EXPECT_NEAR(number(q, "Change"), last - previousClose, 0.006) << symbol;
        EXPECT_NEAR(number(q, "ChPerc"), (last - previousClose) / previousClose, 0.0001) << symbol;
        EXPECT_LE(number(q, "DayLo"), last) << symbol;
        EXPECT_GE(number(q, "DayHi"), last) << symbol;
        EXPECT_LE(number(q, "YearLo"), number(q, "DayLo")) << symbol;
        EXPECT_GE(number(q, "YearHi"), number(q, "DayHi")) << symbol;
        EXPECT_LT(number(q, "BidPr"), number(q, "AskPr")) << symbol;
        EXPECT_NEAR(number(q, "MktCap"), number(q, "ShrsOut") * last, number(q, "ShrsOut") * 0.01)
            << symbol;
        EXPECT_EQ(q.at("days_range"), q.at("DayLo") + " - " + q.at("DayHi")) << symbol;
        EXPECT_NEAR(number(q, "Change01w"), last - number(q, "Hclose01w"), 0.006) << symbol;
        const double rsi = number(q, "Rsi14");
        EXPECT_TRUE(rsi >= 0 && rsi <= 100) << symbol;
    }
}

TEST_F(MarketModelTest, NamesKeepTheFeedsEncodedAmpersand) {
    EXPECT_EQ(quote("T").at("Name"), "AT%26T Inc.");
    EXPECT_EQ(quote("JNJ").at("Name"), "Johnson %26 Johnson");
}

TEST_F(MarketModelTest, OptionNameHasFiveWordsAndStrike) {
    const auto q = quote("%MSFTAD");
    EXPECT_EQ(q.at("Name"), "MSFT Jan 2026 420.00 Call");
    EXPECT_EQ(q.at("Strike"), "420.00");
    EXPECT_NE(quote("MSFT").at("Ema100"), quote("MSFT").at("EmaC100"))
        << "two averages, one of them with today's price";
    EXPECT_FALSE(q.at("OpenInt").empty());
    EXPECT_TRUE(quote("MSFT").at("Strike").empty());
}

TEST_F(MarketModelTest, EarningsAndDividendsShapeTheRatios) {
    EXPECT_EQ(quote("LCID").at("PrEarn"), "-nan") << "a loss gives no price/earnings ratio";
    EXPECT_NEAR(number(quote("MSFT"), "PrEarn"), number(quote("MSFT"), "Last") / 11.80, 0.01);
    EXPECT_EQ(quote("AMZN").at("DivDate"), "00000000") << "no dividend";
    EXPECT_EQ(quote("MSFT").at("DivDate"), "20240615") << "next quarterly pay date";
    EXPECT_EQ(quote("MSFT").at("DivAmt"), "0.7500");
}

TEST_F(MarketModelTest, TimeIsNewYorkTime) {
    // 15:30 UTC in June is 11:30 in New York (daylight saving time).
    EXPECT_EQ(quote("IBM").at("Time"), "11:30");
    EXPECT_EQ(quote("IBM").at("QuoteTime"), "06/12/2024 11:30:00");
    using namespace std::chrono;
    const auto january = sys_days{year{2024} / January / 10} + hours{15} + minutes{30};
    EXPECT_EQ(quote("IBM", january).at("Time"), "10:30");
}

TEST_F(MarketModelTest, UnknownAndMalformedSpecialSymbolsHaveNoQuote) {
    for (const char* symbol : {"ZZZZ", "", "$IDX.", "$IDX.LSE", "$BRD.nyse.x", "$TOP.X.NYSE"}) {
        EXPECT_FALSE(model.quote(symbol, fixedTime()).has_value()) << symbol;
    }
    EXPECT_TRUE(model.quote("$idx.nyse", fixedTime()).has_value());
}

TEST_F(MarketModelTest, LongHistoryAndDistantTimesStayFinite) {
    using namespace std::chrono;
    for (const auto time : {sys_days{year{1971} / January / 1} + hours{0},
                            sys_days{year{2099} / December / 31} + hours{23}}) {
        const auto q = quote("AAPL", time);
        for (const auto& [tag, value] : q) {
            EXPECT_EQ(value.find("nan"), std::string::npos) << tag;
            EXPECT_EQ(value.find("inf"), std::string::npos) << tag;
        }
    }
}

TEST(SeedDataTest, AFaultyLineIsNamed) {
    const auto directory = std::filesystem::temp_directory_path() / "kavex-seed-test";
    std::filesystem::create_directories(directory);
    {
        std::ofstream(directory / "symbols.tsv")
            << "# header\nIBM\tNYSE\tabc\t1\t1\t2000-01-01\tX\tIBM\n";
        std::ofstream(directory / "symbol-changes.tsv") << "";
        std::ofstream(directory / "dividends-splits.tsv") << "";
    }
    try {
        SeedData::load(directory);
        ADD_FAILURE() << "a price that is no number must be refused";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("symbols.tsv:2"), std::string::npos)
            << error.what();
    }
    std::filesystem::remove_all(directory);
    EXPECT_THROW(SeedData::load(directory), std::runtime_error);
}

}  // namespace
}  // namespace kavex::services::testing
