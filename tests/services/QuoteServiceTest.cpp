#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Fingerprint.h"
#include "ServiceFixture.h"
#include "services/ReservedSymbols.h"

namespace kavex::services::testing {
namespace {

class QuoteServiceTest : public ServiceFixture {
  protected:
    void SetUp() override { referrer = login().referrer; }

    std::string errorCode(const ServiceAnswer& answer) {
        pugi::xml_document document;
        document.load_string(answer.body.c_str());
        return document.select_node("/StockData/Error/Code").node().text().as_string();
    }

    std::string referrer;
};

std::vector<std::string> column(const pugi::xml_document& document, const std::string& xpath) {
    std::vector<std::string> values;
    for (const auto& node : document.select_nodes(xpath.c_str())) {
        values.emplace_back(node.node().text().as_string());
    }
    return values;
}

TEST_F(QuoteServiceTest, AnswersOneStockElementPerSymbolInRequestOrder) {
    const auto document = quotes("IBM,msft,%MSFTAD", referrer);
    EXPECT_EQ(column(document, "/StockData/Stock/Symbol"),
              (std::vector<std::string>{"IBM", "MSFT", "%MSFTAD"}));
    EXPECT_EQ(text(document, "/StockData/Stock[Symbol='MSFT']/Exch"), "NSDQ");
    EXPECT_EQ(text(document, "/StockData/Stock[Symbol='MSFT']/Name"), "Microsoft Corporation");
}

TEST_F(QuoteServiceTest, FieldListLimitsTheElementsButKeepsTheSymbol) {
    const auto document = quotes("IBM", referrer, "Last,ChPerc");
    const auto stock = document.select_node("/StockData/Stock").node();
    std::vector<std::string> names;
    for (const auto& child : stock.children()) {
        names.emplace_back(child.name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Symbol", "Last", "ChPerc"}));
}

TEST_F(QuoteServiceTest, UnknownSymbolsAreMarkedAndDuplicatesAnsweredOnce) {
    const auto document = quotes("ZZZZ, IBM ,ibm,,", referrer);
    EXPECT_EQ(column(document, "/StockData/Stock/Symbol"),
              (std::vector<std::string>{"ZZZZ", "IBM"}));
    EXPECT_EQ(text(document, "/StockData/Stock[Symbol='ZZZZ']/Error"), "invalid_symbol");
    EXPECT_TRUE(document.select_node("/StockData/Stock[Symbol='ZZZZ']/Last").node().empty());
}

// Every answer of the synthetic market stays the same text, character for character: how the
// service builds its answers may change, what a client reads may not.
TEST_F(QuoteServiceTest, EveryAnswerStaysTheSameText) {
    // Texts that need escaping, and one that is empty, in fields of their own and in a known one.
    backend.overrideQuote("IBM", {{"Name", "Fish & Chips <Ltd> \"quoted\" 'single' ]]>"},
                                  {"Custom", ""},
                                  {"Control", std::string("a\x01b\tc\rd\ne")},
                                  {"Wide", "Z\xC3\xBCrich \xE2\x82\xAC"},
                                  {"Nul", std::string("x\0y", 3)},
                                  {"NulFirst", std::string("\0z", 2)}});
    backend.overrideQuote("NEWCO", {{"Last", "3.00"}});
    std::vector<std::string> batches;
    std::string batch;
    int inBatch = 0;
    for (const auto& listed : backend.market().seeds().symbols) {
        batch += (inBatch == 0 ? "" : ",") + listed.symbol;
        if (++inBatch == 25) {
            batches.push_back(batch);
            batch.clear();
            inBatch = 0;
        }
    }
    batches.push_back(batch);
    for (const auto exchange : exchangeCodes) {
        batches.push_back(indexSymbol(exchange) + "," + breadthSymbol(exchange));
        for (const auto code : topListCodes) {
            batches.push_back(topListSymbol(code, exchange));
        }
    }
    batches.push_back("IBM,ibm,ZZZZ,NEWCO, msft ");
    Fingerprint print;
    int answers = 0;
    for (const auto& time : {fixedTime(), fixedTime() + std::chrono::hours(30)}) {
        now = time;
        for (const std::string& symbols : batches) {
            for (const char* fields : {"", "Last,Name,Custom,Control,Wide,Nul,NulFirst,Error"}) {
                const ServiceAnswer answer = ask(
                    "/tools/XM01",
                    {{"qid", std::string(quoteQueryId)}, {"symbols", symbols}, {"fields", fields}},
                    referrer);
                EXPECT_EQ(answer.status, 200);
                print.add(answer.contentType);
                print.add(answer.body);
                ++answers;
            }
        }
    }
    EXPECT_GT(answers, 20);
    EXPECT_EQ(print.value(), 6180777933757963396ULL);
}

TEST_F(QuoteServiceTest, RefusesAWrongQueryIdentifier) {
    for (const char* qid : {"", "kvxaddin", "XM01"}) {
        const auto answer = ask("/tools/XM01", {{"qid", qid}, {"symbols", "IBM"}}, referrer);
        EXPECT_EQ(errorCode(answer), "invalid_query") << qid;
        EXPECT_EQ(answer.body.find("<Stock>"), std::string::npos);
    }
}

TEST_F(QuoteServiceTest, RefusesAnUnknownOrMissingReferrer) {
    const Params params{{"qid", std::string(quoteQueryId)}, {"symbols", "IBM"}};
    EXPECT_EQ(errorCode(ask("/tools/XM01", params)), "invalid_referrer");
    EXPECT_EQ(errorCode(ask("/tools/XM01", params, "http://elsewhere.test/")), "invalid_referrer");
    // A referrer dies with its session.
    const auto session = login();
    askXml("/datafeeder/Logout.jsp", {{"SessionKey", session.sessionKey}});
    EXPECT_EQ(errorCode(ask("/tools/XM01", params, session.referrer)), "invalid_referrer");
}

TEST_F(QuoteServiceTest, AtMostTwentyFiveSymbolsPerRequest) {
    std::string symbols;
    for (const auto& listed : backend.market().seeds().symbols) {
        symbols += (symbols.empty() ? "" : ",") + listed.symbol;
    }
    const auto answer =
        ask("/tools/XM01", {{"qid", std::string(quoteQueryId)}, {"symbols", symbols}}, referrer);
    EXPECT_EQ(errorCode(answer), "invalid_query");

    std::string twentyFive;
    for (std::size_t i = 0; i < 25; ++i) {
        twentyFive += (i == 0 ? "" : ",") + backend.market().seeds().symbols[i].symbol;
    }
    EXPECT_EQ(quotes(twentyFive, referrer).select_nodes("/StockData/Stock").size(), 25U);
}

TEST_F(QuoteServiceTest, MissingSymbolsOrBadFieldNamesAreRefused) {
    EXPECT_EQ(errorCode(ask("/tools/XM01", {{"qid", std::string(quoteQueryId)}}, referrer)),
              "invalid_query");
    EXPECT_EQ(errorCode(ask("/tools/XM01", {{"qid", std::string(quoteQueryId)}, {"symbols", " , "}},
                            referrer)),
              "invalid_query");
    EXPECT_EQ(errorCode(ask(
                  "/tools/XM01",
                  {{"qid", std::string(quoteQueryId)}, {"symbols", "IBM"}, {"fields", "Last,<x>"}},
                  referrer)),
              "invalid_query");
}

TEST_F(QuoteServiceTest, ExchangeStatisticsComeAsIndexAndBreadthSymbols) {
    std::string symbols;
    for (const auto exchange : exchangeCodes) {
        symbols += indexSymbol(exchange) + "," + breadthSymbol(exchange) + ",";
    }
    const auto document = quotes(symbols, referrer);
    EXPECT_EQ(text(document, "/StockData/Stock[Symbol='$IDX.AMEX']/Name"), "S%26P 500 Index");
    EXPECT_EQ(text(document, "/StockData/Stock[Symbol='$IDX.NSDQ']/Name"),
              "NASDAQ Composite Index");
    for (const auto exchange : exchangeCodes) {
        const std::string index = "/StockData/Stock[Symbol='" + indexSymbol(exchange) + "']/";
        const std::string breadth = "/StockData/Stock[Symbol='" + breadthSymbol(exchange) + "']/";
        for (const char* tag : {"Name", "Time", "Last", "Change", "ChPerc", "Open", "PrClose",
                                "DayHi", "DayLo", "YearHi", "YearLo", "VolAvg20"}) {
            EXPECT_FALSE(text(document, (index + tag).c_str()).empty()) << exchange << " " << tag;
        }
        for (const char* tag : {"AdvIssue", "DecIssue", "NewHigh", "NewLow", "CuVol"}) {
            const std::string value = text(document, (breadth + tag).c_str());
            EXPECT_FALSE(value.empty()) << exchange << " " << tag;
            EXPECT_GE(std::atof(value.c_str()), 0) << exchange << " " << tag;
        }
        // The index carries no CuVol of its own: the breadth's one is appended to it.
        EXPECT_TRUE(document.select_node((index + "CuVol").c_str()).node().empty());
        // The index change is in percent points.
        const double last = std::atof(text(document, (index + "Last").c_str()).c_str());
        const double change = std::atof(text(document, (index + "Change").c_str()).c_str());
        const double percent = std::atof(text(document, (index + "ChPerc").c_str()).c_str());
        EXPECT_NEAR(percent, change / (last - change) * 100, 0.01) << exchange;
    }
}

TEST_F(QuoteServiceTest, TopListsAreRankedAndCarryTheirQuotes) {
    std::string symbols;
    for (const auto code : topListCodes) {
        for (const auto exchange : exchangeCodes) {
            symbols += topListSymbol(code, exchange) + ",";
        }
    }
    const auto document = quotes(symbols, referrer, "ChPerc,CuVol,Exch");
    for (const auto exchange : exchangeCodes) {
        const std::string gainers =
            "/StockData/Stock[List='" + topListSymbol("PRICE_GAINERS", exchange) + "']";
        const std::string losers =
            "/StockData/Stock[List='" + topListSymbol("PRICE_LOSERS", exchange) + "']";
        const std::string leaders =
            "/StockData/Stock[List='" + topListSymbol("VOL_LEADERS", exchange) + "']";
        const auto gains = column(document, gainers + "/ChPerc");
        for (std::size_t i = 0; i < gains.size(); ++i) {
            EXPECT_GT(std::atof(gains[i].c_str()), 0);
            if (i > 0) {
                EXPECT_GE(std::atof(gains[i - 1].c_str()), std::atof(gains[i].c_str()));
            }
        }
        const auto losses = column(document, losers + "/ChPerc");
        for (std::size_t i = 0; i < losses.size(); ++i) {
            EXPECT_LT(std::atof(losses[i].c_str()), 0);
            if (i > 0) {
                EXPECT_LE(std::atof(losses[i - 1].c_str()), std::atof(losses[i].c_str()));
            }
        }
        const auto volumes = column(document, leaders + "/CuVol");
        EXPECT_EQ(volumes.size(), backend.market().stocksOf(exchange).size())
            << "every stock of the exchange has a volume";
        for (std::size_t i = 1; i < volumes.size(); ++i) {
            EXPECT_GE(std::atof(volumes[i - 1].c_str()), std::atof(volumes[i].c_str()));
        }
        const auto ranks = column(document, leaders + "/Rank");
        for (std::size_t i = 0; i < ranks.size(); ++i) {
            EXPECT_EQ(ranks[i], std::to_string(i + 1));
        }
        for (const auto& member : column(document, leaders + "/Exch")) {
            EXPECT_EQ(member, exchange);
        }
        EXPECT_LE(gains.size() + losses.size(), volumes.size());
    }
    // No option is ranked.
    EXPECT_TRUE(document.select_node("/StockData/Stock[Symbol='%MSFTAD']").node().empty());
}

TEST_F(QuoteServiceTest, OverridesFixFieldsAndMoveTheRanking) {
    backend.overrideQuote("ibm", {{"Last", "12.50"}, {"ChPerc", "0.9"}, {"Custom", "x"}});
    auto document =
        quotes("IBM," + topListSymbol("PRICE_GAINERS", "NYSE"), referrer, "Last,ChPerc,Custom");
    EXPECT_EQ(text(document, "/StockData/Stock[not(List)]/Last"), "12.50");
    EXPECT_EQ(text(document, "/StockData/Stock[not(List)]/Custom"), "x");
    EXPECT_EQ(text(document, "/StockData/Stock[List][Rank='1']/Symbol"), "IBM");

    backend.overrideQuote("IBM", {{"ChPerc", "-0.9"}});
    document = quotes(topListSymbol("PRICE_LOSERS", "NYSE"), referrer);
    EXPECT_EQ(text(document, "/StockData/Stock[Rank='1']/Symbol"), "IBM");
    EXPECT_EQ(text(document, "/StockData/Stock[Rank='1']/Last"), "12.50") << "earlier fields stay";

    backend.clearQuoteOverrides("IBM");
    document = quotes("IBM", referrer, "Last");
    EXPECT_NE(text(document, "/StockData/Stock/Last"), "12.50");
}

TEST_F(QuoteServiceTest, OverrideGivesAnUnknownSymbolAQuote) {
    backend.overrideQuote("NEWCO", {{"Last", "3.00"}, {"Name", "New Company"}});
    const auto document = quotes("newco", referrer);
    EXPECT_EQ(text(document, "/StockData/Stock/Symbol"), "NEWCO");
    EXPECT_EQ(text(document, "/StockData/Stock/Last"), "3.00");
    EXPECT_TRUE(document.select_node("/StockData/Stock/Error").node().empty());
    backend.clearQuoteOverrides();
    EXPECT_EQ(text(quotes("NEWCO", referrer), "/StockData/Stock/Error"), "invalid_symbol");
}

TEST_F(QuoteServiceTest, OverrideRefusesFieldNamesThatAreNoElementNames) {
    EXPECT_THROW(backend.overrideQuote("IBM", {{"Last Price", "1"}}), std::invalid_argument);
    EXPECT_THROW(backend.overrideQuote("", {{"Last", "1"}}), std::invalid_argument);
}

}  // namespace
}  // namespace kavex::services::testing
