#include "addin/functions/FunctionTables.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kavex::addin::functions {

namespace {

// name, family, worker, tag, other tag, paired function, option word
constexpr std::array<SymbolFunction, 190> kSymbolFunctions{{
    {"LASTPRICE", Family::Classic, SymbolWorker::Single, "Last", "", "", -1},
    {"CHANGE", Family::Classic, SymbolWorker::Single, "Change", "", "", -1},
    {"eNAME", Family::Classic, SymbolWorker::Name, "Name", "", "", -1},
    {"LASTTIME", Family::Classic, SymbolWorker::Single, "Time", "", "", -1},
    {"CHANGEP", Family::Classic, SymbolWorker::Single, "ChPerc", "", "", -1},
    {"VOL", Family::Classic, SymbolWorker::Single, "CuVol", "", "", -1},
    {"AVVOLUME", Family::Classic, SymbolWorker::Single, "VolAvg20", "", "", -1},
    {"BIDPRICE", Family::Classic, SymbolWorker::Single, "BidPr", "", "", -1},
    {"BIDSIZE", Family::Classic, SymbolWorker::Single, "BidSz", "", "", -1},
    {"ASKPRICE", Family::Classic, SymbolWorker::Single, "AskPr", "", "", -1},
    {"ASKSIZE", Family::Classic, SymbolWorker::Single, "AskSz", "", "", -1},
    {"LASTTRADESIZE", Family::Classic, SymbolWorker::Single, "TrVol", "", "", -1},
    {"FLOAT", Family::Classic, SymbolWorker::Single, "ShrsOut", "", "", -1},
    {"PREVCLOSE", Family::Classic, SymbolWorker::Single, "PrClose", "", "", -1},
    {"OPENPRICE", Family::Classic, SymbolWorker::Single, "Open", "", "", -1},
    {"DAYRANGE", Family::Classic, SymbolWorker::Range, "DayHi", "DayLo", "", -1},
    {"FTRANGE", Family::Classic, SymbolWorker::Range, "YearHi", "YearLo", "", -1},
    {"CHANGEFWL", Family::Classic, SymbolWorker::Difference, "YearLo", "", "", -1},
    {"CHANGEFWLP", Family::Classic, SymbolWorker::Percentage, "YearLo", "Last", "CHANGEFWL", -1},
    {"CHANGEFWH", Family::Classic, SymbolWorker::Difference, "YearHi", "", "", -1},
    {"CHANGEFWHP", Family::Classic, SymbolWorker::Percentage, "YearHi", "Last", "CHANGEFWH", -1},
    {"PE", Family::Classic, SymbolWorker::Single, "PrEarn", "", "", -1},
    {"DIVPAYDATE", Family::Classic, SymbolWorker::DividendPayDate, "DivDate", "", "", -1},
    {"DIV", Family::Classic, SymbolWorker::Single, "DivAmt", "", "", -1},
    {"MARKETCAP", Family::Classic, SymbolWorker::Single, "MktCap", "", "", -1},
    {"EIGHTDAYMA", Family::Classic, SymbolWorker::Single, "EMAC8", "", "", -1},
    {"THIRTEENDAYMA", Family::Classic, SymbolWorker::Single, "Ema13", "", "", -1},
    {"THIRTYDAYMA", Family::Classic, SymbolWorker::Single, "Ema30", "", "", -1},
    {"HUNDREDDAYMA", Family::Classic, SymbolWorker::Single, "Ema100", "", "", -1},
    {"CHANGEEIGHTDAYMA", Family::Classic, SymbolWorker::Difference, "EMAC8", "", "", -1},
    {"CHANGEEIGHTDAYMAP", Family::Classic, SymbolWorker::Percentage, "EMAC8", "EMAC8",
     "CHANGEEIGHTDAYMA", -1},
    {"CHANGETHIRTEENDAYMA", Family::Classic, SymbolWorker::Difference, "Ema13", "", "", -1},
    {"CHANGETHIRTEENDAYMAP", Family::Classic, SymbolWorker::Percentage, "Ema13", "Ema13",
     "CHANGETHIRTEENDAYMA", -1},
    {"CHANGETHIRTYDAYMA", Family::Classic, SymbolWorker::Difference, "Ema30", "", "", -1},
    {"CHANGETHIRTYDAYMAP", Family::Classic, SymbolWorker::Percentage, "Ema30", "Ema30",
     "CHANGETHIRTYDAYMA", -1},
    {"CHANGEHUNDREDDAYMA", Family::Classic, SymbolWorker::Difference, "Ema100", "", "", -1},
    {"CHANGEHUNDREDDAYMAP", Family::Classic, SymbolWorker::Percentage, "Ema100", "Ema100",
     "CHANGEHUNDREDDAYMA", -1},
    {"SYMEXCG", Family::Classic, SymbolWorker::Single, "Exch", "", "", -1},
    {"SYMDATAASOF", Family::Classic, SymbolWorker::DataDate, "", "", "", -1},
    {"KavexAskSz", Family::Prefixed, SymbolWorker::Single, "AskSz", "", "", -1},
    {"KavexBidPr", Family::Prefixed, SymbolWorker::Single, "BidPr", "", "", -1},
    {"KavexBidSz", Family::Prefixed, SymbolWorker::Single, "BidSz", "", "", -1},
    {"KavexChange", Family::Prefixed, SymbolWorker::Single, "Change", "", "", -1},
    {"KavexChPerc", Family::Prefixed, SymbolWorker::Single, "ChPerc", "", "", -1},
    {"KavexCuVol", Family::Prefixed, SymbolWorker::Single, "CuVol", "", "", -1},
    {"KavexDayHi", Family::Prefixed, SymbolWorker::Single, "DayHi", "", "", -1},
    {"KavexDayLo", Family::Prefixed, SymbolWorker::Single, "DayLo", "", "", -1},
    {"KavexLast", Family::Prefixed, SymbolWorker::Single, "Last", "", "", -1},
    {"KavexMktCap", Family::Prefixed, SymbolWorker::Single, "MktCap", "", "", -1},
    {"KavexOpen", Family::Prefixed, SymbolWorker::Single, "Open", "", "", -1},
    {"KavexPrEarn", Family::Prefixed, SymbolWorker::Single, "PrEarn", "", "", -1},
    {"KavexTime", Family::Prefixed, SymbolWorker::Single, "Time", "", "", -1},
    {"KavexTrVol", Family::Prefixed, SymbolWorker::Single, "TrVol", "", "", -1},
    {"KavexVolAvg20", Family::Prefixed, SymbolWorker::Single, "VolAvg20", "", "", -1},
    {"KavexDivDate", Family::Prefixed, SymbolWorker::Single, "DivDate", "", "", -1},
    {"KavexDivAmt", Family::Prefixed, SymbolWorker::Single, "DivAmt", "", "", -1},
    {"KavexEma08", Family::Prefixed, SymbolWorker::Single, "EMAC8", "", "", -1},
    {"KavexEma13", Family::Prefixed, SymbolWorker::Single, "Ema13", "", "", -1},
    {"KavexEma30", Family::Prefixed, SymbolWorker::Single, "Ema30", "", "", -1},
    {"KavexEma100", Family::Prefixed, SymbolWorker::Single, "EmaC100", "", "", -1},
    {"KavexExch", Family::Prefixed, SymbolWorker::Single, "Exch", "", "", -1},
    {"KavexName", Family::Prefixed, SymbolWorker::Name, "Name", "", "", -1},
    {"KavexPrClose", Family::Prefixed, SymbolWorker::Single, "PrClose", "", "", -1},
    {"KavexpYearHi", Family::Prefixed, SymbolWorker::Single, "pYearHi", "", "", -1},
    {"KavexpYearLo", Family::Prefixed, SymbolWorker::Single, "pYearLo", "", "", -1},
    {"KavexShrsOut", Family::Prefixed, SymbolWorker::Single, "ShrsOut", "", "", -1},
    {"KavexSymbol", Family::Prefixed, SymbolWorker::Single, "Symbol", "", "", -1},
    {"KavexYearHi", Family::Prefixed, SymbolWorker::Single, "YearHi", "", "", -1},
    {"KavexYearLo", Family::Prefixed, SymbolWorker::Single, "YearLo", "", "", -1},
    {"KavexTotAssets", Family::Prefixed, SymbolWorker::Single, "TotAssets", "", "", -1},
    {"KavexTotLiab", Family::Prefixed, SymbolWorker::Single, "TotLiab", "", "", -1},
    {"KavexChangeEightDayma", Family::Prefixed, SymbolWorker::Difference, "EMAC8", "", "", -1},
    {"KavexChangeEightDaymaP", Family::Prefixed, SymbolWorker::Percentage, "EMAC8", "EMAC8",
     "KavexChangeEightDayma", -1},
    {"KavexChangeThirteenDayma", Family::Prefixed, SymbolWorker::Difference, "Ema13", "", "", -1},
    {"KavexChangeThirteenDaymaP", Family::Prefixed, SymbolWorker::Percentage, "Ema13", "Ema13",
     "KavexChangeThirteenDayma", -1},
    {"KavexChangeThirtyDayma", Family::Prefixed, SymbolWorker::Difference, "Ema30", "", "", -1},
    {"KavexChangeThirtyDaymaP", Family::Prefixed, SymbolWorker::Percentage, "Ema30", "Ema30",
     "KavexChangeThirtyDayma", -1},
    {"KavexChangeHundredDayma", Family::Prefixed, SymbolWorker::Difference, "EmaC100", "", "", -1},
    {"KavexChangeHundredDaymaP", Family::Prefixed, SymbolWorker::Percentage, "EmaC100", "EmaC100",
     "KavexChangeHundredDayma", -1},
    {"KavexDays_Range", Family::Prefixed, SymbolWorker::Single, "days_range", "", "", -1},
    {"KavexAskHigh", Family::Prefixed, SymbolWorker::Single, "AskHigh", "", "", -1},
    {"KavexAskLow", Family::Prefixed, SymbolWorker::Single, "AskLow", "", "", -1},
    {"KavexAskMkt", Family::Prefixed, SymbolWorker::Single, "AskMkt", "", "", -1},
    {"KavexAskOpen", Family::Prefixed, SymbolWorker::Single, "AskOpen", "", "", -1},
    {"KavexAskPr", Family::Prefixed, SymbolWorker::Single, "AskPr", "", "", -1},
    {"KavexBlCnt", Family::Prefixed, SymbolWorker::Single, "BlCnt", "", "", -1},
    {"KavexBidHigh", Family::Prefixed, SymbolWorker::Single, "BidHigh", "", "", -1},
    {"KavexBidLow", Family::Prefixed, SymbolWorker::Single, "BidLow", "", "", -1},
    {"KavexBidMkt", Family::Prefixed, SymbolWorker::Single, "BidMkt", "", "", -1},
    {"KavexBidOpen", Family::Prefixed, SymbolWorker::Single, "BidOpen", "", "", -1},
    {"KavexAskCount", Family::Prefixed, SymbolWorker::Single, "AskCount", "", "", -1},
    {"KavexBidCount", Family::Prefixed, SymbolWorker::Single, "BidCount", "", "", -1},
    {"KavexColumn", Family::Prefixed, SymbolWorker::Single, "Column", "", "", -1},
    {"KavexChOpen", Family::Prefixed, SymbolWorker::Single, "ChOpen", "", "", -1},
    {"KavexDataFlags", Family::Prefixed, SymbolWorker::Single, "DataFlags", "", "", -1},
    {"KavexAskGap", Family::Prefixed, SymbolWorker::Single, "AskGap", "", "", -1},
    {"KavexBidGap", Family::Prefixed, SymbolWorker::Single, "BidGap", "", "", -1},
    {"KavexTradeGap", Family::Prefixed, SymbolWorker::Single, "TradeGap", "", "", -1},
    {"KavexLgExch", Family::Prefixed, SymbolWorker::Single, "LgExch", "", "", -1},
    {"KavexMoneyFlow", Family::Prefixed, SymbolWorker::Single, "MoneyFlow", "", "", -1},
    {"KavexChange01w", Family::Prefixed, SymbolWorker::Single, "Change01w", "", "", -1},
    {"KavexChange04w", Family::Prefixed, SymbolWorker::Single, "Change04w", "", "", -1},
    {"KavexChange13w", Family::Prefixed, SymbolWorker::Single, "Change13w", "", "", -1},
    {"KavexChange26w", Family::Prefixed, SymbolWorker::Single, "Change26w", "", "", -1},
    {"KavexChange52w", Family::Prefixed, SymbolWorker::Single, "Change52w", "", "", -1},
    {"KavexNews", Family::Prefixed, SymbolWorker::Single, "News", "", "", -1},
    {"KavexpAskRange", Family::Prefixed, SymbolWorker::Single, "pAskRange", "", "", -1},
    {"KavexpBidRange", Family::Prefixed, SymbolWorker::Single, "pBidRange", "", "", -1},
    {"KavexpTradeGap", Family::Prefixed, SymbolWorker::Single, "pTradeGap", "", "", -1},
    {"KavexpChOpen", Family::Prefixed, SymbolWorker::Single, "pChOpen", "", "", -1},
    {"KavexpTrRange", Family::Prefixed, SymbolWorker::Single, "pTrRange", "", "", -1},
    {"KavexpYearRange", Family::Prefixed, SymbolWorker::Single, "pYearRange", "", "", -1},
    {"KavexQuoteFlags", Family::Prefixed, SymbolWorker::Single, "QuoteFlags", "", "", -1},
    {"KavexQuoteSpread", Family::Prefixed, SymbolWorker::Single, "QuoteSpread", "", "", -1},
    {"KavexQuoteTime", Family::Prefixed, SymbolWorker::Single, "QuoteTime", "", "", -1},
    {"KavexAskRange", Family::Prefixed, SymbolWorker::Single, "AskRange", "", "", -1},
    {"KavexBidRange", Family::Prefixed, SymbolWorker::Single, "BidRange", "", "", -1},
    {"KavexTradeRange", Family::Prefixed, SymbolWorker::Single, "TradeRange", "", "", -1},
    {"KavexPcCh01w", Family::Prefixed, SymbolWorker::Single, "PcCh01w", "", "", -1},
    {"KavexPcCh04w", Family::Prefixed, SymbolWorker::Single, "PcCh04w", "", "", -1},
    {"KavexPcCh13w", Family::Prefixed, SymbolWorker::Single, "PcCh13w", "", "", -1},
    {"KavexPcCh26w", Family::Prefixed, SymbolWorker::Single, "PcCh26w", "", "", -1},
    {"KavexPcCh52w", Family::Prefixed, SymbolWorker::Single, "PcCh52w", "", "", -1},
    {"KavexTrCnt", Family::Prefixed, SymbolWorker::Single, "TrCnt", "", "", -1},
    {"KavexTradeFlags", Family::Prefixed, SymbolWorker::Single, "TradeFlags", "", "", -1},
    {"KavexVolAvg5", Family::Prefixed, SymbolWorker::Single, "VolAvg5", "", "", -1},
    {"KavexBio", Family::Prefixed, SymbolWorker::Single, "Bio", "", "", -1},
    {"KavexHclose01w", Family::Prefixed, SymbolWorker::Single, "Hclose01w", "", "", -1},
    {"KavexHclose04w", Family::Prefixed, SymbolWorker::Single, "Hclose04w", "", "", -1},
    {"KavexHclose13w", Family::Prefixed, SymbolWorker::Single, "Hclose13w", "", "", -1},
    {"KavexHclose26w", Family::Prefixed, SymbolWorker::Single, "Hclose26w", "", "", -1},
    {"KavexHclose52w", Family::Prefixed, SymbolWorker::Single, "Hclose52w", "", "", -1},
    {"KavexCIKcode", Family::Prefixed, SymbolWorker::Single, "CIKcode", "", "", -1},
    {"KavexCountry", Family::Prefixed, SymbolWorker::Single, "Country", "", "", -1},
    {"KavexCurrency", Family::Prefixed, SymbolWorker::Single, "Currency", "", "", -1},
    {"KavexDelay", Family::Prefixed, SymbolWorker::Single, "Delay", "", "", -1},
    {"KavexDivYld", Family::Prefixed, SymbolWorker::Single, "DivYld", "", "", -1},
    {"KavexEarnShr", Family::Prefixed, SymbolWorker::Single, "EarnShr", "", "", -1},
    {"KavexPrHi", Family::Prefixed, SymbolWorker::Single, "PrHi", "", "", -1},
    {"KavexHi10", Family::Prefixed, SymbolWorker::Single, "Hi10", "", "", -1},
    {"KavexHi20", Family::Prefixed, SymbolWorker::Single, "Hi20", "", "", -1},
    {"KavexNewHiCnt", Family::Prefixed, SymbolWorker::Single, "NewHiCnt", "", "", -1},
    {"KavexHomepage", Family::Prefixed, SymbolWorker::Single, "Homepage", "", "", -1},
    {"KavexIDCode", Family::Prefixed, SymbolWorker::Single, "IDCode", "", "", -1},
    {"KavexIndustry", Family::Prefixed, SymbolWorker::Single, "Industry", "", "", -1},
    {"KavexPrLo", Family::Prefixed, SymbolWorker::Single, "PrLo", "", "", -1},
    {"KavexLo10", Family::Prefixed, SymbolWorker::Single, "Lo10", "", "", -1},
    {"KavexLo20", Family::Prefixed, SymbolWorker::Single, "Lo20", "", "", -1},
    {"KavexNewLoCnt", Family::Prefixed, SymbolWorker::Single, "NewLoCnt", "", "", -1},
    {"KavexLogo", Family::Prefixed, SymbolWorker::Single, "Logo", "", "", -1},
    {"KavexOpenInt", Family::Prefixed, SymbolWorker::Single, "OpenInt", "", "", -1},
    {"KavexVolPerc5", Family::Prefixed, SymbolWorker::Single, "VolPerc5", "", "", -1},
    {"KavexVolPerc20", Family::Prefixed, SymbolWorker::Single, "VolPerc20", "", "", -1},
    {"KavexVolPercPrev", Family::Prefixed, SymbolWorker::Single, "VolPercPrev", "", "", -1},
    {"KavexPrMktCap", Family::Prefixed, SymbolWorker::Single, "PrMktCap", "", "", -1},
    {"KavexVolPrev", Family::Prefixed, SymbolWorker::Single, "VolPrev", "", "", -1},
    {"KavexRsi09", Family::Prefixed, SymbolWorker::Single, "Rsi09", "", "", -1},
    {"KavexRsi14", Family::Prefixed, SymbolWorker::Single, "Rsi14", "", "", -1},
    {"KavexRsi25", Family::Prefixed, SymbolWorker::Single, "Rsi25", "", "", -1},
    {"KavexResist1", Family::Prefixed, SymbolWorker::Single, "Resist1", "", "", -1},
    {"KavexResist2", Family::Prefixed, SymbolWorker::Single, "Resist2", "", "", -1},
    {"KavexRecNum", Family::Prefixed, SymbolWorker::Single, "RecNum", "", "", -1},
    {"KavexStreet1", Family::Prefixed, SymbolWorker::Single, "Street1", "", "", -1},
    {"KavexStreet2", Family::Prefixed, SymbolWorker::Single, "Street2", "", "", -1},
    {"KavexSupport1", Family::Prefixed, SymbolWorker::Single, "Support1", "", "", -1},
    {"KavexSupport2", Family::Prefixed, SymbolWorker::Single, "Support2", "", "", -1},
    {"KavexSto14", Family::Prefixed, SymbolWorker::Single, "Sto14", "", "", -1},
    {"KavexSto25", Family::Prefixed, SymbolWorker::Single, "Sto25", "", "", -1},
    {"KavexShrsAuth", Family::Prefixed, SymbolWorker::Single, "ShrsAuth", "", "", -1},
    {"KavexSICcode", Family::Prefixed, SymbolWorker::Single, "SICcode", "", "", -1},
    {"KavexShDesc", Family::Prefixed, SymbolWorker::Single, "ShDesc", "", "", -1},
    {"KavexShExch", Family::Prefixed, SymbolWorker::Single, "ShExch", "", "", -1},
    {"KavexStrike", Family::Prefixed, SymbolWorker::Single, "Strike", "", "", -1},
    {"KavexShortVolume", Family::Prefixed, SymbolWorker::Single, "ShortVolume", "", "", -1},
    {"KavexSicText", Family::Prefixed, SymbolWorker::Single, "SicText", "", "", -1},
    {"KavexTrend", Family::Prefixed, SymbolWorker::Single, "Trend", "", "", -1},
    {"KavexVolat5", Family::Prefixed, SymbolWorker::Single, "Volat5", "", "", -1},
    {"KavexVolat15", Family::Prefixed, SymbolWorker::Single, "Volat15", "", "", -1},
    {"KavexVolat30", Family::Prefixed, SymbolWorker::Single, "Volat30", "", "", -1},
    {"KavexVolty", Family::Prefixed, SymbolWorker::Single, "Volty", "", "", -1},
    {"KavexDayRange", Family::Prefixed, SymbolWorker::Range, "DayHi", "DayLo", "", -1},
    {"KavexFTRange", Family::Prefixed, SymbolWorker::Range, "YearHi", "YearLo", "", -1},
    {"KavexChangeFWL", Family::Prefixed, SymbolWorker::Difference, "YearLo", "", "", -1},
    {"KavexChangeFWLP", Family::Prefixed, SymbolWorker::Percentage, "YearLo", "Last",
     "KavexChangeFWL", -1},
    {"KavexChangeFWH", Family::Prefixed, SymbolWorker::Difference, "YearHi", "", "", -1},
    {"KavexChangeFWHP", Family::Prefixed, SymbolWorker::Percentage, "YearHi", "Last",
     "KavexChangeFWH", -1},
    {"KavexOptionsStrike", Family::Prefixed, SymbolWorker::OptionWord, "Name", "", "", 3},
    {"KavexOptionsPutCall", Family::Prefixed, SymbolWorker::OptionWord, "Name", "", "", 4},
    {"KavexOptionsExpDate", Family::Prefixed, SymbolWorker::OptionWord, "Name", "", "", 1},
    {"KavexOptionsBaseSymbol", Family::Prefixed, SymbolWorker::OptionWord, "Name", "", "", 0},
}};

// name, family, worker, tag, other tag, paired function
constexpr std::array<ExchangeFunction, 32> kExchangeFunctions{{
    {"EXCGNAME", Family::Classic, ExchangeWorker::Name, "Name", "", ""},
    {"EXCGLASTTIME", Family::Classic, ExchangeWorker::Single, "Time", "", ""},
    {"EXCGLASTPRICE", Family::Classic, ExchangeWorker::Single, "Last", "", ""},
    {"EXCGCHANGEP", Family::Classic, ExchangeWorker::ChangePercent, "Change", "Last", "EXCGCHANGE"},
    {"EXCGCHANGE", Family::Classic, ExchangeWorker::Single, "Change", "", ""},
    {"EXCGVOL", Family::Classic, ExchangeWorker::Single, "CuVol", "", ""},
    {"EXCGOPENPRICE", Family::Classic, ExchangeWorker::Single, "Open", "", ""},
    {"EXCGPREVCLOSE", Family::Classic, ExchangeWorker::Single, "PrClose", "", ""},
    {"EXCGDAYRANGE", Family::Classic, ExchangeWorker::Range, "DayHi", "DayLo", ""},
    {"EXCGFTRANGE", Family::Classic, ExchangeWorker::Range, "YearHi", "YearLo", ""},
    {"EXCGAVVOLUME", Family::Classic, ExchangeWorker::Single, "VolAvg20", "", ""},
    {"EXCGADVISSUE", Family::Classic, ExchangeWorker::Single, "AdvIssue", "", ""},
    {"EXCGDECISSUE", Family::Classic, ExchangeWorker::Single, "DecIssue", "", ""},
    {"EXCGNEWHIGH", Family::Classic, ExchangeWorker::Single, "NewHigh", "", ""},
    {"EXCGNEWLOW", Family::Classic, ExchangeWorker::Single, "NewLow", "", ""},
    {"EXCGDATAASOF", Family::Classic, ExchangeWorker::DataDate, "", "", ""},
    {"KavexEXCGName", Family::Prefixed, ExchangeWorker::Name, "Name", "", ""},
    {"KavexEXCGTime", Family::Prefixed, ExchangeWorker::Single, "Time", "", ""},
    {"KavexEXCGLast", Family::Prefixed, ExchangeWorker::Single, "Last", "", ""},
    {"KavexEXCGChPerc", Family::Prefixed, ExchangeWorker::ChangePercent, "Change", "Last",
     "KavexEXCGChange"},
    {"KavexEXCGChange", Family::Prefixed, ExchangeWorker::Single, "Change", "", ""},
    {"KavexEXCGCuVol", Family::Prefixed, ExchangeWorker::Single, "CuVol", "", ""},
    {"KavexEXCGPrClose", Family::Prefixed, ExchangeWorker::Single, "PrClose", "", ""},
    {"KavexEXCGOpen", Family::Prefixed, ExchangeWorker::Single, "Open", "", ""},
    {"KavexEXCGDayRange", Family::Prefixed, ExchangeWorker::Range, "DayHi", "DayLo", ""},
    {"KavexEXCGFTRange", Family::Prefixed, ExchangeWorker::Range, "YearHi", "YearLo", ""},
    {"KavexEXCGVolAvg20", Family::Prefixed, ExchangeWorker::Single, "VolAvg20", "", ""},
    {"KavexEXCGAdvIssue", Family::Prefixed, ExchangeWorker::Single, "AdvIssue", "", ""},
    {"KavexEXCGDecIssue", Family::Prefixed, ExchangeWorker::Single, "DecIssue", "", ""},
    {"KavexEXCGNewHigh", Family::Prefixed, ExchangeWorker::Single, "NewHigh", "", ""},
    {"KavexEXCGNewLow", Family::Prefixed, ExchangeWorker::Single, "NewLow", "", ""},
    {"KavexEXCGDataASOF", Family::Prefixed, ExchangeWorker::DataDate, "", "", ""},
}};

// Functions that never fill an attribute column, so the refresh engine does not take their
// formulas for add-in formulas.
constexpr std::array<std::string_view, 6> kUnrecognisedSymbolFunctions{
    "eNAME",
    "SYMEXCG",
    "KavexOptionsBaseSymbol",
    "KavexOptionsExpDate",
    "KavexOptionsStrike",
    "KavexOptionsPutCall",
};
// Names that older sheets may still carry although no function answers them.
constexpr std::array<std::string_view, 3> kExtraSymbolKeys{"NAME", "EXDIVDATE", "KavexYearRange"};
constexpr std::array<std::string_view, 1> kExtraExchangeKeys{"KavexEXCGSymbol"};

constexpr std::array<CaptionFunction, 50> kCaptionFunctions{{
    {"100-Day Moving Avg", "KavexEma100"},
    {"13-Day Moving Avg", "KavexEma13"},
    {"20-Day Avg Volume", "KavexVolAvg20"},
    {"30-Day Moving Avg", "KavexEma30"},
    {"52-Week Range", "KavexFTRange"},
    {"8-Day Moving Avg", "KavexEma08"},
    {"Ask Price", "KavexAskPr"},
    {"Ask Size", "KavexAskSz"},
    {"Bid Price", "KavexBidPr"},
    {"Bid Size", "KavexBidSz"},
    {"Change from 100-Day Moving Avg ($)", "KavexChangeHundredDayma"},
    {"Change from 100-Day Moving Avg (%)", "KavexChangeHundredDaymaP"},
    {"Change from 13-Day Moving Avg ($)", "KavexChangeThirteenDayma"},
    {"Change from 13-Day Moving Avg (%)", "KavexChangeThirteenDaymaP"},
    {"Change from 30-Day Moving Avg ($)", "KavexChangeThirtyDayma"},
    {"Change from 30-Day Moving Avg (%)", "KavexChangeThirtyDaymaP"},
    {"Change from 52 Wk Hi ($)", "KavexChangeFWH"},
    {"Change from 52 Wk Hi (%)", "KavexChangeFWHP"},
    {"Change from 52 Wk Low ($)", "KavexChangeFWL"},
    {"Change from 52 Wk Low (%)", "KavexChangeFWLP"},
    {"Change from 8-Day Moving Avg ($)", "KavexChangeEightDayma"},
    {"Change from 8-Day Moving Avg (%)", "KavexChangeEightDaymaP"},
    {"Change in Price ($)", "KavexChange"},
    {"Change in Price (%)", "KavexChPerc"},
    {"Day's Range", "KavexDayRange"},
    {"Dividend Pay Date", "KavexDivDate"},
    {"Dividend/Share", "KavexDivAmt"},
    {"Last Trade Price", "KavexLast"},
    {"Last Trade Size", "KavexTrVol"},
    {"Last Trade Time", "KavexTime"},
    {"Market Cap (in Millions)", "KavexMktCap"},
    {"Open Price", "KavexOpen"},
    {"P/E Ratio", "KavexPrEarn"},
    {"Previous Day Close", "KavexPrClose"},
    {"Shares Outstanding", "KavexShrsOut"},
    {"Volume", "KavexCuVol"},
    {"Day Hi", "KavexDayHi"},
    {"Day Lo", "KavexDayLo"},
    {"14-Day RSI", "KavexRsi14"},
    {"25-Day RSI", "KavexRsi25"},
    {"14-Day Stochastic", "KavexSto14"},
    {"25-Day Stochastic", "KavexSto25"},
    {"Support Price Level 1", "KavexSupport1"},
    {"Support Price Level 2", "KavexSupport2"},
    {"Resistance Price Level 1", "KavexResist1"},
    {"Resistance Price Level 2", "KavexResist2"},
    {"52-Week High", "KavexYearHi"},
    {"52-Week Low", "KavexYearLo"},
    {"Days' Range", "KavexDayRange"},
    {"Earnings/Share", "KavexEarnShr"},
}};

template <typename Row, std::size_t N>
const Row* findByName(const std::array<Row, N>& rows, std::string_view name) {
    auto it =
        std::find_if(rows.begin(), rows.end(), [name](const Row& row) { return row.name == name; });
    return it == rows.end() ? nullptr : &*it;
}

}  // namespace

std::span<const SymbolFunction> SymbolFunctionTable() {
    return kSymbolFunctions;
}
std::span<const ExchangeFunction> ExchangeFunctionTable() {
    return kExchangeFunctions;
}

const SymbolFunction* FindSymbolFunction(std::string_view name) {
    return findByName(kSymbolFunctions, name);
}

const ExchangeFunction* FindExchangeFunction(std::string_view name) {
    return findByName(kExchangeFunctions, name);
}

std::span<const std::string_view> SymbolFunctionNameKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> out;
        for (const SymbolFunction& row : kSymbolFunctions) {
            if (std::find(kUnrecognisedSymbolFunctions.begin(), kUnrecognisedSymbolFunctions.end(),
                          row.name) == kUnrecognisedSymbolFunctions.end()) {
                out.push_back(row.name);
            }
        }
        out.insert(out.end(), kExtraSymbolKeys.begin(), kExtraSymbolKeys.end());
        return out;
    }();
    return keys;
}

std::span<const std::string_view> ExchangeFunctionNameKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> out;
        for (const ExchangeFunction& row : kExchangeFunctions)
            out.push_back(row.name);
        out.insert(out.end(), kExtraExchangeKeys.begin(), kExtraExchangeKeys.end());
        return out;
    }();
    return keys;
}

std::span<const CaptionFunction> CaptionFunctionTable() {
    return kCaptionFunctions;
}

std::string_view FunctionForCaption(std::string_view caption) {
    for (const CaptionFunction& row : kCaptionFunctions) {
        if (row.caption == caption)
            return row.function;
    }
    return {};
}

}  // namespace kavex::addin::functions
