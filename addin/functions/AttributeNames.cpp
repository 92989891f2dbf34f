#include "addin/functions/AttributeNames.h"

#include <exception>
#include <iterator>
#include <string_view>

#include "addin/core/Log.h"

namespace kavex::addin::functions {

namespace {

constexpr std::string_view kProcedure = "LoadAttributeNames";

// The rows offered by the attribute dialog, in the order it lists them.
// clang-format off
constexpr std::string_view kClassicSymbolNames[] = {
    "NAME", "SYMEXCG", "LASTTIME", "LASTPRICE", "CHANGEP", "CHANGE", "VOL", "AVVOLUME",
    "BIDPRICE", "BIDSIZE", "ASKPRICE", "ASKSIZE", "LASTTRADESIZE", "FLOAT", "PREVCLOSE",
    "OPENPRICE", "DAYRANGE", "FTRANGE", "CHANGEFWL", "CHANGEFWLP", "CHANGEFWH", "CHANGEFWHP",
    "PE", "DIVPAYDATE", "DIV", "MARKETCAP", "EIGHTDAYMA", "THIRTEENDAYMA", "THIRTYDAYMA",
    "HUNDREDDAYMA", "CHANGEEIGHTDAYMA", "CHANGEEIGHTDAYMAP", "CHANGETHIRTEENDAYMA",
    "CHANGETHIRTEENDAYMAP", "CHANGETHIRTYDAYMA", "CHANGETHIRTYDAYMAP", "CHANGEHUNDREDDAYMA",
    "CHANGEHUNDREDDAYMAP", "SYMDATAASOF"};
constexpr std::string_view kPrefixedSymbolNames[] = {
    "KavexChangeEightDayma", "KavexChangeEightDaymaP", "KavexChangeThirteenDayma",
    "KavexChangeThirteenDaymaP", "KavexChangeThirtyDayma", "KavexChangeThirtyDaymaP",
    "KavexChangeHundredDayma", "KavexChangeHundredDaymaP", "KavexDays_Range", "KavexAskSz",
    "KavexBidPr", "KavexBidSz", "KavexChange", "KavexChPerc", "KavexCuVol", "KavexDayHi",
    "KavexDayLo", "KavexLast", "KavexMktCap", "KavexOpen", "KavexPrEarn", "KavexTime",
    "KavexTrVol", "KavexVolAvg20", "KavexDivDate", "KavexDivAmt", "KavexEma08", "KavexEma13",
    "KavexEma30", "KavexEma100", "KavexExch", "KavexName", "KavexPrClose", "KavexpYearHi",
    "KavexpYearLo", "KavexShrsOut", "KavexSymbol", "KavexYearHi", "KavexYearLo", "KavexYearRange",
    "KavexTotAssets", "KavexTotLiab", "KavexAskLow", "KavexAskHigh", "KavexAskMkt",
    "KavexAskOpen", "KavexAskPr", "KavexBlCnt", "KavexBidHigh", "KavexBidLow", "KavexBidMkt",
    "KavexBidOpen", "KavexAskCount", "KavexBidCount", "KavexColumn", "KavexChOpen",
    "KavexDataFlags", "KavexAskGap", "KavexBidGap", "KavexTradeGap", "KavexLgExch",
    "KavexMoneyFlow", "KavexChange01w", "KavexChange04w", "KavexChange13w", "KavexChange26w",
    "KavexChange52w", "KavexNews", "KavexpAskRange", "KavexpBidRange", "KavexpTradeGap",
    "KavexpChOpen", "KavexpTrRange", "KavexpYearRange", "KavexQuoteFlags", "KavexQuoteSpread",
    "KavexQuoteTime", "KavexAskRange", "KavexBidRange", "KavexTradeRange", "KavexPcCh01w",
    "KavexPcCh04w", "KavexPcCh13w", "KavexPcCh26w", "KavexPcCh52w", "KavexTrCnt",
    "KavexTradeFlags", "KavexVolAvg5", "KavexBio", "KavexHclose01w", "KavexHclose04w",
    "KavexHclose13w", "KavexHclose26w", "KavexHclose52w", "KavexCIKcode", "KavexCountry",
    "KavexCurrency", "KavexDelay", "KavexDivYld", "KavexEarnShr", "KavexPrHi", "KavexHi10",
    "KavexHi20", "KavexNewHiCnt", "KavexHomepage", "KavexIDCode", "KavexIndustry", "KavexPrLo",
    "KavexLo10", "KavexLo20", "KavexNewLoCnt", "KavexLogo", "KavexOpenInt", "KavexVolPerc5",
    "KavexVolPerc20", "KavexVolPercPrev", "KavexPrMktCap", "KavexVolPrev", "KavexRsi09",
    "KavexRsi14", "KavexRsi25", "KavexResist1", "KavexResist2", "KavexRecNum", "KavexDayRange",
    "KavexFTRange", "KavexChangeFWL", "KavexChangeFWLP", "KavexChangeFWH", "KavexChangeFWHP",
    "KavexOptionsStrike", "KavexOptionsPutCall", "KavexOptionsExpDate", "KavexOptionsBaseSymbol"};
constexpr std::string_view kClassicExchangeNames[] = {
    "EXCGNAME", "EXCGLASTTIME", "EXCGLASTPRICE", "EXCGCHANGEP", "EXCGCHANGE", "EXCGVOL",
    "EXCGOPENPRICE", "EXCGPREVCLOSE", "EXCGDAYRANGE", "EXCGFTRANGE", "EXCGAVVOLUME",
    "EXCGADVISSUE", "EXCGDECISSUE", "EXCGNEWHIGH", "EXCGNEWLOW", "EXCGDATAASOF"};
constexpr std::string_view kPrefixedExchangeNames[] = {
    "KavexEXCGSymbol", "KavexEXCGName", "KavexEXCGTime", "KavexEXCGLast", "KavexEXCGChPerc",
    "KavexEXCGChange", "KavexEXCGCuVol", "KavexEXCGVolAvg20", "KavexEXCGPrClose", "KavexEXCGOpen",
    "KavexEXCGDayRange", "KavexEXCGFTRange", "KavexEXCGAdvIssue", "KavexEXCGDecIssue",
    "KavexEXCGNewHigh", "KavexEXCGNewLow", "KavexEXCGDataASOF"};
// clang-format on

}  // namespace

void LoadAttributeNames() {
    core::WriteLog(kProcedure, 3, "Entering");
    try {
        std::vector<std::string> names;
        names.reserve(std::size(kClassicSymbolNames) + std::size(kPrefixedSymbolNames) + 1 +
                      std::size(kClassicExchangeNames) + std::size(kPrefixedExchangeNames));
        for (std::string_view name : kClassicSymbolNames)
            names.emplace_back(name);
        for (std::string_view name : kPrefixedSymbolNames)
            names.emplace_back(name);
        names.emplace_back(kAttributeSeparator);
        for (std::string_view name : kClassicExchangeNames)
            names.emplace_back(name);
        for (std::string_view name : kPrefixedExchangeNames)
            names.emplace_back(name);
        AttributeNames = std::move(names);
    } catch (const std::exception& failure) {
        core::WriteLog(
            kProcedure, 1,
            std::string("Error while loading attributes.. Error description : ") + failure.what());
        return;
    }
    core::WriteLog(kProcedure, 3, "Exiting");
}

}  // namespace kavex::addin::functions
