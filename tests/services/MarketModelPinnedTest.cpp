// The synthetic market's answers pinned down: every field of every quote the seeds give, at times
// that reach into the first and last minutes of a day and into the oldest history, must stay
// exactly what it is. A change to how the model computes (faster paths, kept history) that moved
// a single digit anywhere fails here.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Fingerprint.h"
#include "ServiceFixture.h"
#include "services/MarketModel.h"

namespace kavex::services::testing {
namespace {

using std::chrono::system_clock;

std::vector<system_clock::time_point> pinnedTimes() {
    using namespace std::chrono;
    const auto day = sys_days{year{2024} / June / 12};
    return {day,
            day + hours{10},
            fixedTime(),
            day + hours{23} + minutes{59} + seconds{59},
            sys_days{year{2025} / January / 15} + hours{10} + seconds{20},
            sys_days{year{1971} / January / 1}};
}

std::uint64_t fingerprintOf(const MarketModel& model) {
    std::vector<std::string> symbols;
    for (const auto& listed : model.seeds().symbols) {
        symbols.push_back(listed.symbol);
    }
    for (const char* exchange : {"NYSE", "NSDQ", "AMEX"}) {
        symbols.push_back(std::string("$IDX.") + exchange);
        symbols.push_back(std::string("$BRD.") + exchange);
    }
    Fingerprint print;
    for (const auto time : pinnedTimes()) {
        for (const std::string& symbol : symbols) {
            print.add(symbol);
            for (const auto& [name, value] : model.quote(symbol, time).value_or(QuoteFields{})) {
                print.add(name);
                print.add(value);
            }
        }
        for (const auto& listed : model.seeds().symbols) {
            const MarketModel::Ranking ranking = model.ranking(listed, time);
            print.add(std::to_string(ranking.changeFraction));
            print.add(std::to_string(ranking.volume));
        }
    }
    return print.value();
}

MarketModel modelWithBuckets(std::chrono::seconds bucket) {
    return MarketModel(SeedData::load(seededOptions().seedDirectory), bucket);
}

TEST(MarketModelPinnedTest, AFewQuotedFiguresStayExactlyAsTheyAre) {
    const MarketModel model = modelWithBuckets(std::chrono::seconds(60));
    const auto msft = model.quote("MSFT", fixedTime()).value();
    const auto field = [&msft](std::string_view name) {
        for (const auto& [tag, value] : msft) {
            if (tag == name) {
                return value;
            }
        }
        return std::string("(missing)");
    };
    EXPECT_EQ(field("Last"), "393.35");
    EXPECT_EQ(field("DayHi"), "396.68");
    EXPECT_EQ(field("DayLo"), "387.07");
    EXPECT_EQ(field("PrHi"), "418.99");
    EXPECT_EQ(field("YearLo"), "373.68");
    EXPECT_EQ(field("Ema100"), "412.91");
    EXPECT_EQ(field("Volat30"), "63.20");
}

TEST(MarketModelPinnedTest, EveryQuoteAndRankingOfTheSeedsStaysTheSame) {
    EXPECT_EQ(fingerprintOf(modelWithBuckets(std::chrono::seconds(60))), 11138352517607812510ULL);
    // Buckets shorter than a minute sample the day's range with a stride.
    EXPECT_EQ(fingerprintOf(modelWithBuckets(std::chrono::seconds(5))), 17494451742082940028ULL);
}

TEST(MarketModelPinnedTest, AQuoteDoesNotDependOnWhatWasAskedBefore) {
    using namespace std::chrono;
    const auto day = sys_days{year{2024} / June / 12};
    const std::vector<system_clock::time_point> times{day + hours{16},
                                                      day + hours{9},
                                                      day + hours{16} + minutes{1},
                                                      day,
                                                      day + hours{23},
                                                      day + hours{12} + seconds{30}};
    for (const auto bucket : {seconds(60), seconds(5)}) {
        const MarketModel asking = modelWithBuckets(bucket);
        for (const auto time : times) {
            for (const char* symbol : {"MSFT", "%MSFTAD", "$IDX.NYSE", "$BRD.NSDQ"}) {
                const MarketModel fresh = modelWithBuckets(bucket);
                EXPECT_EQ(asking.quote(symbol, time), fresh.quote(symbol, time))
                    << symbol << " with buckets of " << bucket.count() << " s";
            }
        }
    }
}

}  // namespace
}  // namespace kavex::services::testing
