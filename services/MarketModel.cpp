#include "services/MarketModel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <mutex>
#include <numbers>
#include <vector>

#include "platform/base/Text.h"
#include "services/DeterministicRandom.h"
#include "services/EasternTime.h"
#include "services/ReservedSymbols.h"

namespace kavex::services {

namespace {

constexpr std::int64_t secondsPerDay = 86'400;
// At most this many price samples are looked at for a day's high and low.
constexpr std::int64_t daySamples = 1'440;
// Daily closes kept for the averages, ranges and historical closes.
constexpr int historyDays = 400;
// Paths' day histories kept at most (a few kilobytes each).
constexpr std::size_t kKeptHistories = 20'000;

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && ((value < 0) != (divisor < 0))) ? quotient - 1 : quotient;
}

double round2(double value) {
    return std::round(value * 100.0) / 100.0;
}

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return "-nan";
    }
    // As printf's "%.*f" writes it, without the locale and format-string work: a quote has a
    // hundred and more of these. Large enough for any double in fixed notation.
    char text[400];
    const auto written =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, decimals);
    std::string result(std::begin(text), written.ptr);
    // No "-0.00": a change that rounds to nothing has no sign.
    if (result.front() == '-' && result.find_first_not_of("-0.") == std::string::npos) {
        result.erase(0, 1);
    }
    return result;
}

std::string whole(double value) {
    return fixed(std::round(value), 0);
}

double ratio(double numerator, double denominator) {
    return denominator == 0 ? 0 : numerator / denominator;
}

std::int64_t secondsOf(MarketModel::TimePoint time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

std::string word(const std::string& text, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        start = text.find(' ', start);
        if (start == std::string::npos) {
            return {};
        }
        ++start;
    }
    return text.substr(start, text.find(' ', start) - start);
}

struct ExchangeFacts {
    std::string_view code;
    std::string_view longName;
    std::string_view shortName;
    std::string_view indexName;
    double indexLevel;
    double dailyVolume;
    double issues;
};

constexpr std::array<ExchangeFacts, 3> exchangeFacts{{
    {"NSDQ", "NASDAQ Stock Market", "NASDAQ", "NASDAQ Composite Index", 16'900.0, 4.8e9, 3'500},
    {"NYSE", "New York Stock Exchange", "NYSE", "NYSE Composite Index", 17'850.0, 3.9e9, 3'200},
    // The AMEX row of the exchange statistics carries the S&P 500 index.
    {"AMEX", "American Stock Exchange", "AMEX", "S%26P 500 Index", 5'250.0, 2.6e9, 500},
}};

const ExchangeFacts& factsOf(std::string_view code) {
    for (const auto& facts : exchangeFacts) {
        if (facts.code == code) {
            return facts;
        }
    }
    return exchangeFacts[1];
}

int sicCode(const std::string& industry) {
    static const std::array<std::pair<std::string_view, int>, 14> codes{{
        {"Software", 7372},
        {"Semiconductors", 3674},
        {"Computer Hardware", 3571},
        {"Networking Equipment", 3576},
        {"Internet Services", 7370},
        {"Internet Retail", 5961},
        {"Biotechnology", 2836},
        {"Pharmaceuticals", 2834},
        {"Retail", 5331},
        {"Beverages", 2086},
        {"Banking", 6021},
        {"Oil and Gas", 2911},
        {"Automobiles", 3711},
        {"Telecommunications", 4813},
    }};
    for (const auto& [name, code] : codes) {
        if (name == industry) {
            return code;
        }
    }
    return 6799;
}

// The next quarterly pay date (the 15th of March, June, September, December) after the day.
std::string nextPayDate(std::int64_t day) {
    using namespace std::chrono;
    const year_month_day date{sys_days{days{day}}};
    year y = date.year();
    unsigned month = static_cast<unsigned>(date.month());
    unsigned payMonth = ((month + 2) / 3) * 3;
    if (payMonth == month && static_cast<unsigned>(date.day()) >= 15) {
        payMonth += 3;
    }
    if (payMonth > 12) {
        payMonth -= 12;
        y += years{1};
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u15", static_cast<int>(y) % 10000, payMonth % 100);
    return text;
}

}  // namespace

// One price path: smooth waves of several lengths plus a little noise per bucket.
struct MarketModel::Path {
    std::uint64_t seed = 0;
    double base = 0;
    double swing = 0;
    std::int64_t bucketSeconds = 60;
    // The waves' phases, drawn once: every price of the path needs all three.
    std::array<double, 3> phases{};

    Path(std::uint64_t seed_, double base_, double swing_, std::int64_t bucketSeconds_)
        : seed(seed_), base(base_), swing(swing_), bucketSeconds(bucketSeconds_) {
        for (int k = 1; k <= 3; ++k) {
            phases[static_cast<std::size_t>(k - 1)] = phase(k);
        }
    }

    double phase(int k) const { return 2 * std::numbers::pi * uniform(seed, 1000 + k); }

    double at(std::int64_t bucket) const {
        const double perDay = static_cast<double>(secondsPerDay) / bucketSeconds;
        const double t = static_cast<double>(bucket);
        const double tau = 2 * std::numbers::pi;
        const double x = swing * std::sin(tau * t / (perDay * 13.0) + phases[0]) +
                         swing * 0.5 * std::sin(tau * t / (perDay * 3.7) + phases[1]) +
                         swing * 0.12 * std::sin(tau * t / (perDay / 15.0) + phases[2]) +
                         swing * 0.03 * (2 * uniform(seed, static_cast<std::uint64_t>(bucket)) - 1);
        return std::max(0.01, round2(base * (1 + x)));
    }
    std::int64_t bucketOf(std::int64_t second) const { return floorDiv(second, bucketSeconds); }
    double atSecond(std::int64_t second) const { return at(bucketOf(second)); }
    double open(std::int64_t day) const { return atSecond(day * secondsPerDay); }
    double close(std::int64_t day) const {
        return atSecond(day * secondsPerDay + secondsPerDay - 1);
    }
    // Every how many buckets the day's range is sampled when it reaches the bucket `last`.
    std::int64_t strideOf(std::int64_t first, std::int64_t last) const {
        return std::max<std::int64_t>(1, (last - first) / daySamples);
    }
    // The day's figures up to the second; the day's range holds the open and the last price.
    struct Today {
        double last = 0;
        double previousClose = 0;
        double open = 0;
        double high = 0;
        double low = 0;
    };

    // The highest and lowest price of the day up to the second.
    std::pair<double, double> highLow(std::int64_t day, std::int64_t untilSecond) const {
        const std::int64_t first = bucketOf(day * secondsPerDay);
        const std::int64_t last = bucketOf(untilSecond);
        const std::int64_t step = strideOf(first, last);
        double high = at(last);
        double low = high;
        for (std::int64_t bucket = first; bucket < last; bucket += step) {
            const double price = at(bucket);
            high = std::max(high, price);
            low = std::min(low, price);
        }
        return {high, low};
    }
};

// What a path gives for the days before one day, and how far that day's range has been walked:
// none of it changes while the day goes on, so it is worked out once per path and day instead of
// for every quote (hundreds of days of closes, a whole day of prices for yesterday's range).
struct MarketModel::DayHistory {
    DayHistory(const Path& path, std::int64_t day_) : day(day_), closes(historyDays) {
        for (int k = 0; k < historyDays; ++k) {
            closes[static_cast<std::size_t>(k)] = path.close(day - historyDays + k);
        }
        previousRange = path.highLow(day - 1, day * secondsPerDay - 1);
        firstBucket = path.bucketOf(day * secondsPerDay);
        walkedUntil = firstBucket;
    }

    // The day's highest and lowest price up to the second, as Path::highLow gives them. The walk
    // over the day's buckets is kept and only extended while the stride is one bucket (always so
    // with buckets of a minute or more) and the second does not go back.
    std::pair<double, double> rangeUntil(const Path& path, std::int64_t untilSecond) {
        const std::int64_t last = path.bucketOf(untilSecond);
        if (path.strideOf(firstBucket, last) != 1) {
            return path.highLow(day, untilSecond);
        }
        const std::lock_guard lock(walkMutex);
        if (last < walkedUntil) {
            return path.highLow(day, untilSecond);
        }
        for (; walkedUntil < last; ++walkedUntil) {
            const double price = path.at(walkedUntil);
            walkedHigh = walkedUntil == firstBucket ? price : std::max(walkedHigh, price);
            walkedLow = walkedUntil == firstBucket ? price : std::min(walkedLow, price);
        }
        double high = path.at(last);
        double low = high;
        if (last > firstBucket) {
            high = std::max(high, walkedHigh);
            low = std::min(low, walkedLow);
        }
        return {high, low};
    }

    // The day's figures up to the second; the day's range holds the open and the last price.
    Path::Today today(const Path& path, std::int64_t now) {
        Path::Today figures{path.atSecond(now), closes.back(), path.open(day)};
        const auto [high, low] = rangeUntil(path, now);
        figures.high = std::max({high, figures.open, figures.last});
        figures.low = std::min({low, figures.open, figures.last});
        return figures;
    }

    // The close of `days` days before this day (1 = yesterday), for days up to historyDays.
    double closeDaysBefore(int days) const {
        return closes[static_cast<std::size_t>(historyDays - days)];
    }

    const std::int64_t day;
    // closes[k] is the close of the day (day - historyDays + k); the last is yesterday's.
    std::vector<double> closes;
    std::pair<double, double> previousRange;  // yesterday's high and low

  private:
    std::int64_t firstBucket = 0;
    std::mutex walkMutex;
    std::int64_t walkedUntil = 0;  // buckets [firstBucket, walkedUntil) are walked
    double walkedHigh = 0;
    double walkedLow = 0;
};

MarketModel::MarketModel(SeedData seeds, std::chrono::seconds bucket)
    : seeds_(std::move(seeds)),
      bucketSeconds_(std::max<std::int64_t>(1, bucket.count())),
      histories_(std::make_unique<Histories>()) {
    for (std::size_t i = 0; i < seeds_.symbols.size(); ++i) {
        // The first of symbols that differ only in case is the one found.
        symbolIndex_.try_emplace(base::toUpperAscii(seeds_.symbols[i].symbol), i);
    }
}

MarketModel::~MarketModel() = default;
MarketModel::MarketModel(MarketModel&&) noexcept = default;
MarketModel& MarketModel::operator=(MarketModel&&) noexcept = default;

const ListedSymbol* MarketModel::find(std::string_view symbol) const {
    const auto found = symbolIndex_.find(base::toUpperAscii(symbol));
    return found == symbolIndex_.end() ? nullptr : &seeds_.symbols[found->second];
}

std::vector<const ListedSymbol*> MarketModel::stocksOf(std::string_view exchange) const {
    std::vector<const ListedSymbol*> stocks;
    for (const auto& listed : seeds_.symbols) {
        if (listed.exchange == exchange && !listed.option) {
            stocks.push_back(&listed);
        }
    }
    return stocks;
}

MarketModel::Path MarketModel::pathOf(std::string_view key, double base, double swing) const {
    return Path{hashText(key), base, swing, bucketSeconds_};
}

std::shared_ptr<MarketModel::DayHistory> MarketModel::historyOf(const Path& path,
                                                                std::int64_t day) const {
    const HistoryKey key{path.seed, std::bit_cast<std::uint64_t>(path.base),
                         std::bit_cast<std::uint64_t>(path.swing), static_cast<std::uint64_t>(day)};
    {
        const std::lock_guard lock(histories_->mutex);
        const auto found = histories_->byKey.find(key);
        if (found != histories_->byKey.end()) {
            return found->second;
        }
    }
    // Worked out outside the lock, so that other symbols' quotes are not held up; should two
    // threads race, both results are the same and the first one kept wins.
    auto history = std::make_shared<DayHistory>(path, day);
    const std::lock_guard lock(histories_->mutex);
    if (histories_->byKey.size() >= kKeptHistories) {
        // Days gone by are asked for rarely: start over rather than grow without bound.
        histories_->byKey.clear();
    }
    return histories_->byKey.try_emplace(key, std::move(history)).first->second;
}

MarketModel::TimePoint MarketModel::bucketStart(TimePoint time) const {
    const std::int64_t second = floorDiv(secondsOf(time), bucketSeconds_) * bucketSeconds_;
    return TimePoint{std::chrono::seconds{second}};
}

std::optional<QuoteFields> MarketModel::quote(std::string_view symbol, TimePoint requested) const {
    // A quote is that of the start of its bucket, so that it is the same all through the bucket.
    const TimePoint time = bucketStart(requested);
    if (const ListedSymbol* listed = find(symbol)) {
        return stockQuote(*listed, time);
    }
    if (const auto exchange = parseExchangeSymbol(symbol, "$IDX.")) {
        return indexQuote(*exchange, base::toUpperAscii(symbol), time);
    }
    if (const auto exchange = parseExchangeSymbol(symbol, "$BRD.")) {
        return breadthQuote(*exchange, base::toUpperAscii(symbol), time);
    }
    return std::nullopt;
}

namespace {

double swingOf(const ListedSymbol& listed, std::uint64_t seed) {
    return (listed.option ? 0.2 : 0.06) + 0.06 * uniform(seed, 7);
}

double averageVolume(const ListedSymbol& listed, std::uint64_t seed) {
    const double low = listed.option ? 200.0 : 1.0e6;
    const double high = listed.option ? 5.0e3 : 8.0e7;
    const double volume =
        std::exp(std::log(low) + uniform(seed, 11) * (std::log(high) - std::log(low)));
    return std::round(volume / 100.0) * 100.0;
}

double dayFactor(std::uint64_t seed, std::int64_t day) {
    return 0.7 + 0.6 * uniform(seed, 20'000 + static_cast<std::uint64_t>(day));
}

double elapsedShareOfDay(std::int64_t second, std::int64_t day) {
    return static_cast<double>(second - day * secondsPerDay + 1) / secondsPerDay;
}

}  // namespace

MarketModel::Ranking MarketModel::ranking(const ListedSymbol& listed, TimePoint requested) const {
    const TimePoint time = bucketStart(requested);
    const std::uint64_t seed = hashText(listed.symbol);
    const Path path = pathOf(listed.symbol, listed.price, swingOf(listed, seed));
    const std::int64_t now = secondsOf(time);
    const std::int64_t day = floorDiv(now, secondsPerDay);
    const double last = path.atSecond(now);
    const double previousClose = path.close(day - 1);
    Ranking ranking;
    ranking.changeFraction = ratio(round2(last - previousClose), previousClose);
    ranking.volume = std::round(averageVolume(listed, seed) * dayFactor(seed, day) *
                                elapsedShareOfDay(now, day));
    return ranking;
}

QuoteFields MarketModel::stockQuote(const ListedSymbol& listed, TimePoint time) const {
    const std::uint64_t seed = hashText(listed.symbol);
    const auto u = [seed](std::uint64_t salt) { return uniform(seed, salt); };
    const Path path = pathOf(listed.symbol, listed.price, swingOf(listed, seed));
    const std::int64_t now = secondsOf(time);
    const std::int64_t day = floorDiv(now, secondsPerDay);
    const std::int64_t bucket = path.bucketOf(now);

    const std::shared_ptr<DayHistory> history = historyOf(path, day);
    const auto [last, previousClose, open, high, low] = history->today(path, now);
    const auto [previousHigh, previousLow] = history->previousRange;
    const double change = round2(last - previousClose);

    // closes[k] is the close of the day (day - historyDays + k); the last is yesterday's.
    const std::vector<double>& closes = history->closes;
    const auto closeDaysAgo = [&](int days) { return history->closeDaysBefore(days); };
    const auto extreme = [&](int days, bool highest) {
        const auto first = closes.end() - days;
        return highest ? *std::max_element(first, closes.end())
                       : *std::min_element(first, closes.end());
    };
    const auto ema = [&, last = last](int n, bool withLast) {
        const double alpha = 2.0 / (n + 1);
        std::size_t k = closes.size() - static_cast<std::size_t>(std::min(3 * n, historyDays));
        double value = closes[k];
        for (++k; k < closes.size(); ++k) {
            value = alpha * closes[k] + (1 - alpha) * value;
        }
        return withLast ? alpha * last + (1 - alpha) * value : value;
    };
    const auto rsi = [&, last = last](int n) {
        double gains = 0;
        double losses = 0;
        for (int k = historyDays - n; k < historyDays; ++k) {
            const double next =
                k + 1 < historyDays ? closes[static_cast<std::size_t>(k + 1)] : last;
            const double move = next - closes[static_cast<std::size_t>(k)];
            (move > 0 ? gains : losses) += std::abs(move);
        }
        return losses == 0 ? 100.0 : 100.0 - 100.0 / (1 + gains / losses);
    };
    const auto stochastic = [&, last = last](int n) {
        const double top = std::max(extreme(n, true), last);
        const double bottom = std::min(extreme(n, false), last);
        return top == bottom ? 50.0 : (last - bottom) / (top - bottom) * 100;
    };
    const auto volatility = [&](int n) {
        std::vector<double> returns;
        for (int k = historyDays - n; k < historyDays; ++k) {
            returns.push_back(std::log(closes[static_cast<std::size_t>(k)] /
                                       closes[static_cast<std::size_t>(k - 1)]));
        }
        double mean = 0;
        for (const double r : returns) {
            mean += r / n;
        }
        double variance = 0;
        for (const double r : returns) {
            variance += (r - mean) * (r - mean) / n;
        }
        return std::sqrt(variance * 252) * 100;
    };

    const double averageDaily = averageVolume(listed, seed);
    const double volume =
        std::round(averageDaily * dayFactor(seed, day) * elapsedShareOfDay(now, day));
    const auto averageOver = [&](int days) {
        double sum = 0;
        for (int k = 1; k <= days; ++k) {
            sum += averageDaily * dayFactor(seed, day - k);
        }
        return std::round(sum / days);
    };
    const double volumeAverage5 = averageOver(5);
    const double volumeAverage20 = averageOver(20);
    const double previousVolume = std::round(averageDaily * dayFactor(seed, day - 1));

    const double spreadCents = std::max(1.0, std::round(last * 0.04));
    const double bid = round2(last - std::floor(spreadCents / 2) / 100);
    const double ask = round2(bid + spreadCents / 100);
    const double halfSpread = spreadCents / 200;
    const double bidHigh = round2(high - halfSpread);
    const double bidLow = round2(low - halfSpread);
    const double askHigh = round2(high + halfSpread);
    const double askLow = round2(low + halfSpread);

    const double yearHigh = std::max(extreme(365, true), high);
    const double yearLow = std::min(extreme(365, false), low);
    const double ema8 = ema(8, true);
    const double ema13 = ema(13, false);
    const double ema30 = ema(30, false);
    const double ema100 = ema(100, false);
    const double emaCurrent100 = ema(100, true);
    const double volatility30 = volatility(30);

    const double shares =
        std::round(std::exp(std::log(2e8) + u(13) * (std::log(1.6e10) - std::log(2e8))) / 1000) *
        1000;
    const double marketCap = std::round(shares * last);
    const double assets = std::round(marketCap * (0.3 + u(14)));
    const std::string exchangeCode = listed.exchange;
    const ExchangeFacts& facts = factsOf(exchangeCode);
    const EasternTime eastern = toEastern(time);
    const bool foreign = listed.symbol == "IMO" || listed.symbol == "NGD";
    std::string host = base::toLowerAscii(listed.symbol);
    std::erase_if(host, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });

    int newHighs = 0;
    int newLows = 0;
    for (int k = historyDays - 20; k < historyDays; ++k) {
        const auto first = closes.begin() + (k - 20);
        const auto value = closes[static_cast<std::size_t>(k)];
        newHighs += value >= *std::max_element(first, closes.begin() + k) ? 1 : 0;
        newLows += value <= *std::min_element(first, closes.begin() + k) ? 1 : 0;
    }

    QuoteFields q;
    q.reserve(160);
    const auto add = [&q](std::string name, std::string value) {
        q.emplace_back(std::move(name), std::move(value));
    };
    const auto price = [&add](std::string name, double value) {
        add(std::move(name), fixed(value, 2));
    };
    const auto fraction = [&add](std::string name, double value) {
        add(std::move(name), fixed(value, 4));
    };

    add("Symbol", listed.symbol);
    add("Name", listed.name);
    add("Exch", exchangeCode);
    add("LgExch", std::string(facts.longName));
    add("ShExch", std::string(facts.shortName));
    price("Last", last);
    price("Change", change);
    fraction("ChPerc", ratio(change, previousClose));
    add("Time", shortTime(eastern));
    add("QuoteTime", fullTime(eastern));
    add("Delay", "15");
    price("Open", open);
    price("PrClose", previousClose);
    price("DayHi", high);
    price("DayLo", low);
    add("days_range", fixed(low, 2) + " - " + fixed(high, 2));
    add("CuVol", whole(volume));
    add("TrVol",
        whole(100 * (1 + std::floor(u(30'000 + static_cast<std::uint64_t>(bucket)) * 50))));
    add("TrCnt", whole(volume / (150 + 300 * u(12))));
    add("VolAvg5", whole(volumeAverage5));
    add("VolAvg20", whole(volumeAverage20));
    add("VolPrev", whole(previousVolume));
    add("VolPerc5", fixed(ratio(volume, volumeAverage5) * 100, 2));
    add("VolPerc20", fixed(ratio(volume, volumeAverage20) * 100, 2));
    add("VolPercPrev", fixed(ratio(volume, previousVolume) * 100, 2));
    price("BidPr", bid);
    add("BidSz",
        whole(100 * (1 + std::floor(u(40'000 + static_cast<std::uint64_t>(bucket)) * 30))));
    price("AskPr", ask);
    add("AskSz",
        whole(100 * (1 + std::floor(u(50'000 + static_cast<std::uint64_t>(bucket)) * 30))));
    price("QuoteSpread", ask - bid);
    price("BidOpen", open - halfSpread);
    price("BidHigh", bidHigh);
    price("BidLow", bidLow);
    price("AskOpen", open + halfSpread);
    price("AskHigh", askHigh);
    price("AskLow", askLow);
    add("BidMkt", whole(1 + std::floor(u(15) * 12)));
    price("AskMkt", ask);
    add("BidCount", whole(1 + std::floor(u(60'000 + static_cast<std::uint64_t>(bucket)) * 40)));
    add("AskCount", whole(1 + std::floor(u(70'000 + static_cast<std::uint64_t>(bucket)) * 40)));
    price("BidGap", bid - previousClose);
    price("AskGap", ask - previousClose);
    price("TradeGap", open - previousClose);
    add("pTradeGap", fixed(ratio(open - previousClose, previousClose) * 100, 2));
    price("BidRange", bidHigh - bidLow);
    price("AskRange", askHigh - askLow);
    price("TradeRange", high - low);
    fraction("pBidRange", ratio(bid - bidLow, bidHigh - bidLow));
    fraction("pAskRange", ratio(ask - askLow, askHigh - askLow));
    fraction("pTrRange", ratio(last - low, high - low));
    price("ChOpen", last - open);
    fraction("pChOpen", ratio(last - open, open));
    price("YearHi", yearHigh);
    price("YearLo", yearLow);
    fraction("pYearHi", ratio(last - yearHigh, yearHigh));
    fraction("pYearLo", ratio(last - yearLow, yearLow));
    fraction("pYearRange", ratio(last - yearLow, yearHigh - yearLow));
    price("PrHi", std::max(previousHigh, previousClose));
    price("PrLo", std::min(previousLow, previousClose));
    price("Hi10", extreme(10, true));
    price("Lo10", extreme(10, false));
    price("Hi20", extreme(20, true));
    price("Lo20", extreme(20, false));
    add("NewHiCnt", whole(newHighs));
    add("NewLoCnt", whole(newLows));
    constexpr std::array<std::pair<std::string_view, int>, 5> weeks{
        {{"01w", 7}, {"04w", 28}, {"13w", 91}, {"26w", 182}, {"52w", 364}}};
    for (const auto& [suffix, days] : weeks) {
        price("Hclose" + std::string(suffix), closeDaysAgo(days));
    }
    for (const auto& [suffix, days] : weeks) {
        price("Change" + std::string(suffix), last - closeDaysAgo(days));
    }
    for (const auto& [suffix, days] : weeks) {
        fraction("PcCh" + std::string(suffix),
                 ratio(last - closeDaysAgo(days), closeDaysAgo(days)));
    }
    price("EMAC8", ema8);
    price("Ema13", ema13);
    price("Ema30", ema30);
    price("Ema100", ema100);
    price("EmaC100", emaCurrent100);
    // Differences from the averages, under both spellings the feed has used.
    const std::array<std::pair<std::string_view, double>, 4> averages{
        {{"Eight", ema8}, {"Thirteen", ema13}, {"Thirty", ema30}, {"Hundred", ema100}}};
    for (const auto& [name, average] : averages) {
        price("CHANGE" + std::string(name) + "DAYMA", last - average);
    }
    for (const auto& [name, average] : averages) {
        fraction("CHANGE" + std::string(name) + "DAYMAP", ratio(last - average, average));
    }
    for (const auto& [name, average] : averages) {
        price("Change" + std::string(name) + "DayMA", last - average);
    }
    for (const auto& [name, average] : averages) {
        fraction("Change" + std::string(name) + "DayMAP", ratio(last - average, average));
    }
    add("Rsi09", fixed(rsi(9), 2));
    add("Rsi14", fixed(rsi(14), 2));
    add("Rsi25", fixed(rsi(25), 2));
    add("Sto14", fixed(stochastic(14), 2));
    add("Sto25", fixed(stochastic(25), 2));
    price("Support1", extreme(10, false));
    price("Support2", extreme(20, false));
    price("Resist1", extreme(10, true));
    price("Resist2", extreme(20, true));
    add("Trend", fixed(ratio(ema13 - ema30, ema30) * 100, 2));
    add("Volat5", fixed(volatility(5), 2));
    add("Volat15", fixed(volatility(15), 2));
    add("Volat30", fixed(volatility30, 2));
    add("Volty", volatility30 < 20 ? "Low" : volatility30 < 40 ? "Medium" : "High");
    add("MoneyFlow", fixed(change * volume / 1e6, 2));
    add("ShortVolume", whole(volume * (0.1 + 0.3 * u(16))));
    add("BlCnt", whole(std::floor(u(80'000 + static_cast<std::uint64_t>(day)) * 30)));
    add("DivAmt", fixed(listed.dividend / 4, 4));
    add("DivYld", fixed(ratio(listed.dividend, last) * 100, 2));
    add("DivDate", listed.dividend > 0 ? nextPayDate(day) : "00000000");
    price("EarnShr", listed.earnings);
    add("PrEarn", listed.earnings > 0   ? fixed(last / listed.earnings, 2)
                  : listed.earnings < 0 ? "-nan"
                                        : "");
    add("ShrsOut", whole(shares));
    add("ShrsAuth", whole(std::round(shares * (1.5 + u(17)) / 1000) * 1000));
    add("MktCap", whole(marketCap));
    price("PrMktCap", shares * previousClose / 1e6);
    add("TotAssets", whole(assets));
    add("TotLiab", whole(assets * (0.2 + 0.6 * u(18))));
    add("Country", foreign ? "Canada" : "USA");
    add("Currency", "USD");
    add("Industry", listed.industry);
    add("SICcode", whole(sicCode(listed.industry)));
    add("SicText", listed.industry);
    add("CIKcode", whole(1'000'000 + std::floor(u(19) * 8'999'999)));
    add("IDCode", fixed(100'000'000 + std::floor(u(21) * 899'999'999), 0));
    add("Homepage", "http://www." + host + ".example.com");
    add("Logo", "http://www." + host + ".example.com/logo.gif");
    add("Bio", listed.name + " is a company in " + listed.industry + " listed on the " +
                   std::string(facts.longName) + ".");
    add("ShDesc", listed.name.substr(0, 24));
    add("Street1", whole(100 + std::floor(u(22) * 8900)) + " Market Street");
    add("Street2", "Suite " + whole(100 + std::floor(u(23) * 900)));
    add("News", whole(std::floor(u(90'000 + static_cast<std::uint64_t>(day)) * 10)));
    add("Column", "1");
    add("RecNum", whole(static_cast<double>(&listed - seeds_.symbols.data()) + 1));
    add("DataFlags", whole(std::floor(u(24) * 4)));
    add("QuoteFlags", whole(std::floor(u(25) * 4)));
    add("TradeFlags", whole(std::floor(u(26) * 4)));
    add("OpenInt", listed.option ? whole(100 + std::floor(u(27) * 20'000)) : "");
    add("Strike", listed.option ? word(listed.name, 3) : "");
    return q;
}

QuoteFields MarketModel::indexQuote(const std::string& exchange, const std::string& symbol,
                                    TimePoint time) const {
    const ExchangeFacts& facts = factsOf(exchange);
    const Path path = pathOf(symbol, facts.indexLevel, 0.03);
    const std::int64_t now = secondsOf(time);
    const std::int64_t day = floorDiv(now, secondsPerDay);
    const std::shared_ptr<DayHistory> history = historyOf(path, day);
    const auto [last, previousClose, open, high, low] = history->today(path, now);
    double yearHigh = high;
    double yearLow = low;
    for (int k = 1; k <= 365; ++k) {
        yearHigh = std::max(yearHigh, history->closeDaysBefore(k));
        yearLow = std::min(yearLow, history->closeDaysBefore(k));
    }
    const double change = round2(last - previousClose);
    const EasternTime eastern = toEastern(time);
    return QuoteFields{
        {"Symbol", symbol},
        {"Name", std::string(facts.indexName)},
        {"Exch", exchange},
        {"Time", shortTime(eastern)},
        {"QuoteTime", fullTime(eastern)},
        {"Last", fixed(last, 2)},
        {"Change", fixed(change, 2)},
        // Index changes are sent in percent points, not as a fraction.
        {"ChPerc", fixed(ratio(change, previousClose) * 100, 2)},
        {"Open", fixed(open, 2)},
        {"PrClose", fixed(previousClose, 2)},
        {"DayHi", fixed(high, 2)},
        {"DayLo", fixed(low, 2)},
        {"YearHi", fixed(yearHigh, 2)},
        {"YearLo", fixed(yearLow, 2)},
        {"VolAvg20", whole(facts.dailyVolume)},
    };
}

QuoteFields MarketModel::breadthQuote(const std::string& exchange, const std::string& symbol,
                                      TimePoint time) const {
    const ExchangeFacts& facts = factsOf(exchange);
    const std::string index = indexSymbol(exchange);
    const Path path = pathOf(index, facts.indexLevel, 0.03);
    const std::uint64_t seed = hashText(symbol);
    const std::int64_t now = secondsOf(time);
    const std::int64_t day = floorDiv(now, secondsPerDay);
    const std::int64_t bucket = path.bucketOf(now);
    const double changeFraction =
        ratio(path.atSecond(now) - path.close(day - 1), path.close(day - 1));
    const double traded = std::round(facts.issues * 0.95);
    const double advancingShare =
        std::clamp(0.5 + 8 * changeFraction +
                       0.06 * (2 * uniform(seed, static_cast<std::uint64_t>(bucket)) - 1),
                   0.05, 0.95);
    const double advancing = std::round(traded * advancingShare);
    const double scale = facts.issues / 3'000.0;
    const double newHighs =
        std::round(scale * (10 + 60 * std::max(0.0, changeFraction * 50 + uniform(seed, 1))));
    const double newLows =
        std::round(scale * (10 + 60 * std::max(0.0, -changeFraction * 50 + uniform(seed, 2))));
    const double volume =
        std::round(facts.dailyVolume * dayFactor(seed, day) * elapsedShareOfDay(now, day));
    return QuoteFields{
        {"Symbol", symbol},
        {"Exch", exchange},
        {"AdvIssue", whole(advancing)},
        {"DecIssue", whole(traded - advancing)},
        {"NewHigh", whole(newHighs)},
        {"NewLow", whole(newLows)},
        {"CuVol", whole(volume)},
    };
}

}  // namespace kavex::services
