#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "services/Fields.h"
#include "services/SeedData.h"

namespace kavex::services {

// A quote: element names of the quote service's Stock element and their texts, in answer order.
using QuoteFields = Fields;

// The synthetic market: every value is a function of the seeds, the symbol and the time, so that
// the same question at the same time always gets the same answer. Prices change once per bucket
// (a minute by default); a day is a calendar day in UTC. Immutable but for the history it keeps
// behind a lock, so any thread may ask.
class MarketModel {
  public:
    using TimePoint = std::chrono::system_clock::time_point;

    MarketModel(SeedData seeds, std::chrono::seconds bucket);
    ~MarketModel();
    MarketModel(MarketModel&&) noexcept;
    MarketModel& operator=(MarketModel&&) noexcept;

    const SeedData& seeds() const noexcept { return seeds_; }
    // A listed symbol, compared without regard to case; nullptr when unknown.
    const ListedSymbol* find(std::string_view symbol) const;
    // The listed symbols of an exchange that are not options, in seed order.
    std::vector<const ListedSymbol*> stocksOf(std::string_view exchange) const;

    // The quote of a listed symbol, an index ("$IDX.NYSE") or a market breadth ("$BRD.NYSE") at
    // that time; nullopt for any other symbol.
    std::optional<QuoteFields> quote(std::string_view symbol, TimePoint time) const;

    // What the ranked lists are sorted by, cheaper than a whole quote.
    struct Ranking {
        double changeFraction = 0;  // (Last - PrClose) / PrClose
        double volume = 0;          // CuVol
    };
    Ranking ranking(const ListedSymbol& listed, TimePoint time) const;

  private:
    struct Path;
    struct DayHistory;
    // A path (its seed, base and swing as bits) on a day.
    using HistoryKey = std::array<std::uint64_t, 4>;
    struct HistoryKeyHash {
        std::size_t operator()(const HistoryKey& key) const noexcept {
            std::uint64_t hash = 0;
            for (const std::uint64_t part : key) {
                hash = (hash ^ part) * 0x100000001B3ULL + (hash >> 29U);
            }
            return static_cast<std::size_t>(hash);
        }
    };
    // What the paths' days before today give, kept across quotes; shared by every thread.
    struct Histories {
        std::mutex mutex;
        std::unordered_map<HistoryKey, std::shared_ptr<DayHistory>, HistoryKeyHash> byKey;
    };

    TimePoint bucketStart(TimePoint time) const;
    Path pathOf(std::string_view key, double base, double swing) const;
    std::shared_ptr<DayHistory> historyOf(const Path& path, std::int64_t day) const;
    QuoteFields stockQuote(const ListedSymbol& listed, TimePoint time) const;
    QuoteFields indexQuote(const std::string& exchange, const std::string& symbol,
                           TimePoint time) const;
    QuoteFields breadthQuote(const std::string& exchange, const std::string& symbol,
                             TimePoint time) const;

    SeedData seeds_;
    std::int64_t bucketSeconds_;
    std::unique_ptr<Histories> histories_;
    // The seeds' symbols in capitals, each to its place in the seeds.
    std::unordered_map<std::string, std::size_t> symbolIndex_;
};

}  // namespace kavex::services
