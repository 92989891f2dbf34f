#include "addin/functions/FormatClasses.h"

#include <span>
#include <string>
#include <unordered_map>

namespace kavex::addin::functions {

namespace {

// Symbol quote elements by class. An element of no list is shown as stored.
// clang-format off
constexpr std::string_view kCurrencyTags[] = {
    "Last", "Change", "BidPr", "PrClose", "Open", "DivAmt", "EMAC8", "CHANGEEightDAYMA", "Ema13",
    "CHANGEThirteenDAYMA", "Ema30", "CHANGEThirtyDAYMA", "Ema100", "CHANGEHundredDAYMA",
    "EarnShr", "EmaC100", "ChangeEightDayMA", "ChangeThirteenDayMA", "ChangeThirtyDayMA",
    "ChangeHundredDayMA", "AskLow", "AskHigh", "AskMkt", "AskOpen", "AskPr", "YearHi", "YearLo",
    "DayHi", "DayLo", "BidHigh", "BidLow", "BidOpen", "QuoteSpread", "Hclose01w", "Hclose04w",
    "Hclose13w", "Hclose26w", "Hclose52w", "DivYld", "PrHi", "Hi10", "Hi20", "PrLo", "Lo10",
    "Lo20", "OpenInt", "PrMktCap", "Resist1", "Resist2", "RecNum", "Support1", "Support2",
    "Sto14", "Sto25"};
constexpr std::string_view kPercentageTags[] = {
    "ChPerc", "pYearLo", "pYearHi", "CHANGEEightDAYMAP", "CHANGEThirteenDAYMAP",
    "CHANGEThirtyDAYMAP", "CHANGEHundredDAYMAP", "ChangeEightDayMAP", "ChangeThirteenDayMAP",
    "ChangeThirtyDayMAP", "ChangeHundredDayMAP", "pAskRange", "pBidRange", "pChOpen", "pTrRange",
    "pYearRange", "PcCh01w", "PcCh04w", "PcCh13w", "PcCh26w", "PcCh52w"};
constexpr std::string_view kNumberTags[] = {
    "PrEarn", "AskGap", "BidGap", "TradeGap", "MoneyFlow", "Change01w", "Change04w", "Change13w",
    "Change26w", "Change52w", "pTradeGap", "AskRange", "BidRange", "TradeRange", "Rsi09", "Rsi14",
    "Rsi25", "Trend", "Volat5", "Volat15", "Volat30"};
constexpr std::string_view kWholeNumberTags[] = {
    "AskSz", "BidSz", "TrVol", "ShrsOut", "CuVol", "VolAvg20", "BlCnt", "BidMkt", "AskCount",
    "BidCount", "Column", "ChOpen", "News", "QuoteFlags", "TrCnt", "TradeFlags", "VolAvg5",
    "CIKcode", "NewHiCnt", "NewLoCnt", "VolPrev", "ShrsAuth", "SICcode", "ShortVolume"};
constexpr std::string_view kWholeCurrencyTags[] = {"MktCap"};
constexpr std::string_view kDateTags[] = {"DivDate"};

// Exchange statistics elements by class.
constexpr std::string_view kExchangeNumberTags[] = {"Last", "Change", "Open", "PrClose", "ChPerc"};
constexpr std::string_view kExchangeWholeNumberTags[] = {
    "CuVol", "VolAvg20", "AdvIssue", "DecIssue", "NewHigh", "NewLow"};
// clang-format on

struct ClassTags {
    std::string_view formatClass;
    std::span<const std::string_view> tags;
};

using ClassByTag = std::unordered_map<std::string_view, std::string_view>;

// The first class whose list holds a tag wins, so later rows never overwrite earlier ones.
ClassByTag index(std::initializer_list<ClassTags> rows) {
    ClassByTag byTag;
    for (const ClassTags& row : rows) {
        for (std::string_view tag : row.tags)
            byTag.emplace(tag, row.formatClass);
    }
    return byTag;
}

std::string_view lookup(const ClassByTag& byTag, std::string_view tag) {
    auto it = byTag.find(tag);
    return it == byTag.end() ? std::string_view{} : it->second;
}

}  // namespace

std::string_view SymbolFormatClass(std::string_view tag) {
    static const ClassByTag byTag = index({
        {format_class::Currency, kCurrencyTags},
        {format_class::WholeCurrency, kWholeCurrencyTags},
        {format_class::Percentage, kPercentageTags},
        {format_class::Number, kNumberTags},
        {format_class::WholeNumber, kWholeNumberTags},
        {format_class::Date, kDateTags},
    });
    return lookup(byTag, tag);
}

std::string_view ExchangeFormatClass(std::string_view tag) {
    static const ClassByTag byTag = index({
        {format_class::Number, kExchangeNumberTags},
        {format_class::WholeNumber, kExchangeWholeNumberTags},
    });
    return lookup(byTag, tag);
}

}  // namespace kavex::addin::functions
