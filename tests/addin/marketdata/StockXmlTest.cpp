// The Stock element a fetch stores, for answers of every shape the service may send.
#include <gtest/gtest.h>

#include <string>

#include "addin/marketdata/QuoteRequest.h"
#include "platform/xml/Document.h"

namespace kavex::addin::marketdata {
namespace {

xml::Node stockOf(xml::Document& document, const std::string& text) {
    EXPECT_TRUE(document.loadXML(text)) << text;
    return document.selectSingleNode("StockData/Stock");
}

TEST(StockXml, KeepsEveryChildElementAsSentAndNothingElse) {
    xml::Document answer;
    const xml::Node stock = stockOf(
        answer,
        "<StockData><Stock id=\"7\">text before<Symbol>IBM</Symbol><!-- a note --><Last>1.5</Last>"
        "<Name>AT&amp;T &lt;New&gt; \"Q\"</Name><Empty/><Blank>  </Blank>"
        "<Nested a=\"x &amp; y\"><Inner>2</Inner>tail</Nested><Data><![CDATA[<raw>]]></Data>"
        "</Stock></StockData>");
    EXPECT_EQ(StockXml(stock),
              "<Stock><Symbol>IBM</Symbol><Last>1.5</Last><Name>AT&amp;T &lt;New&gt; \"Q\"</Name>"
              "<Empty/><Blank>  </Blank><Nested a=\"x &amp; y\"><Inner>2</Inner>tail</Nested>"
              "<Data><![CDATA[<raw>]]></Data></Stock>");
}

TEST(StockXml, LeavesOutAndAppendsByName) {
    xml::Document answer;
    const xml::Node stock =
        stockOf(answer,
                "<StockData><Stock><Symbol>$INDU</Symbol><Last>3</Last><List>x</List>"
                "<CuVol>9</CuVol></Stock><Stock><AdvIssue>5</AdvIssue><CuVol>7</CuVol>"
                "<NewHigh>1</NewHigh></Stock></StockData>");
    const xml::Node breadth = answer.selectNodes("StockData/Stock").item(1);
    EXPECT_EQ(StockXml(stock, {"List", "CuVol"}, breadth, {"AdvIssue", "DecIssue", "CuVol"}),
              "<Stock><Symbol>$INDU</Symbol><Last>3</Last><AdvIssue>5</AdvIssue><CuVol>7</CuVol>"
              "</Stock>");
    EXPECT_EQ(StockXml(stock, {"List"}),
              "<Stock><Symbol>$INDU</Symbol><Last>3</Last>"
              "<CuVol>9</CuVol></Stock>");
}

TEST(StockXml, AStockWithoutElementsIsAnEmptyStock) {
    xml::Document answer;
    const xml::Node stock = stockOf(answer, "<StockData><Stock>only text</Stock></StockData>");
    EXPECT_EQ(StockXml(stock), "<Stock/>");
    EXPECT_EQ(StockXml(stockOf(answer, "<StockData><Stock><A/></Stock></StockData>"), {"A"}),
              "<Stock/>");
}

}  // namespace
}  // namespace kavex::addin::marketdata
