#include "addin/marketdata/SymbolList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "addin/core/Strings.h"
#include "platform/base/Text.h"

namespace kavex::addin::marketdata {
namespace {

// De-duplication as it was first written: each symbol compared with every one kept before it.
// Slow on long lists, but plainly right; the list's own answer must match it.
std::vector<std::string> everyPairCompared(const std::vector<std::string>& items) {
    std::vector<std::string> kept;
    for (const std::string& item : items) {
        std::string symbol = core::TrimWhitespace(item);
        if (symbol.empty()) {
            continue;
        }
        const bool repeated = std::any_of(kept.begin(), kept.end(), [&](const std::string& s) {
            return base::equalsIgnoringCase(s, symbol);
        });
        if (!repeated) {
            kept.push_back(std::move(symbol));
        }
    }
    return kept;
}

// Short symbols from a small alphabet in either case, some with blanks around and some empty,
// so that a list holds many repeats in other cases.
std::vector<std::string> randomItems(std::mt19937& random, std::size_t count) {
    const std::string letters = "aAbBcC.1-";
    const std::vector<std::string> blanks = {"", "", "", " ", "  ", "\t"};
    std::uniform_int_distribution<std::size_t> length(0, 3);
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    std::uniform_int_distribution<std::size_t> blank(0, blanks.size() - 1);
    std::vector<std::string> items;
    for (std::size_t i = 0; i < count; ++i) {
        std::string item = blanks[blank(random)];
        for (std::size_t n = length(random); n > 0; --n) {
            item += letters[letter(random)];
        }
        items.push_back(item + blanks[blank(random)]);
    }
    return items;
}

std::string joinedByCommas(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : ",") + items[i];
    }
    return text;
}

TEST(SymbolsOf, KeepsTheFirstOfEachSymbolInOrderWhateverItsCase) {
    EXPECT_EQ(SymbolsOf(std::vector<std::string>{"msft", " IBM", "MSFT", "", "ibm ", "Ge", "GE"}),
              (std::vector<std::string>{"msft", "IBM", "Ge"}));
    EXPECT_EQ(SymbolsOf(base::Variant(" IBM,msft ,,Ibm,MSFT")),
              (std::vector<std::string>{"IBM", "msft"}));
}

TEST(SymbolsOf, AnswersAsComparingEverySymbolWithEveryEarlierOne) {
    std::mt19937 random(20240607);
    for (int round = 0; round < 200; ++round) {
        const std::vector<std::string> items = randomItems(random, 1 + round % 60);
        const std::vector<std::string> expected = everyPairCompared(items);
        EXPECT_EQ(SymbolsOf(items), expected) << joinedByCommas(items);
        EXPECT_EQ(SymbolsOf(base::Variant(joinedByCommas(items))), expected)
            << joinedByCommas(items);
    }
}

// A refresh hands over every symbol of its sheets. Compared pair by pair, 100,000 symbols took
// 19 s here; looked up as they come they take a few tens of milliseconds, so the bound leaves
// room for a slow or busy machine and a sanitizer build.
TEST(SymbolsOf, ALongListTakesTimeInProportionToItsLength) {
    std::vector<std::string> items;
    for (int i = 0; i < 100000; ++i) {
        items.push_back("S" + std::to_string(i));
    }
    items.push_back("s99999");
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> symbols = SymbolsOf(items);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(symbols.size(), 100000u);
    EXPECT_EQ(symbols.back(), "S99999");
    EXPECT_LT(took, std::chrono::seconds(2));
}

}  // namespace
}  // namespace kavex::addin::marketdata
