#include "platform/xml/Document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/PlatformError.h"

namespace kavex::xml {
namespace {

constexpr const char* kQuote =
    "<Stock><Symbol>MSFT</Symbol><Name>  Microsoft Corp  </Name><Last>1234.5</Last>"
    "<Blank>   </Blank><Empty/><Time a=\"1\" b='x&amp;y'>16:00</Time></Stock>";

TEST(DocumentLoad, WellFormedTextLoadsAndSelectsByPath) {
    Document doc;
    ASSERT_TRUE(doc.loadXML(kQuote));
    EXPECT_EQ(doc.parseErrorReason(), "");
    EXPECT_EQ(doc.documentElement().nodeName(), "Stock");
    EXPECT_EQ(doc.selectSingleNode("Stock/Last").text(), "1234.5");
    EXPECT_EQ(doc.selectSingleNode("Stock/Name").text(), "  Microsoft Corp  ");
    EXPECT_EQ(doc.selectSingleNode("Stock/Blank").text(), "   ");
    EXPECT_EQ(doc.selectSingleNode("Stock/Empty").text(), "");
    EXPECT_TRUE(doc.selectSingleNode("Stock/Missing").isNothing());
    EXPECT_TRUE(doc.selectSingleNode("Stock/last").isNothing()) << "names are case-sensitive";
}

TEST(DocumentLoad, MalformedTextLeavesTheDocumentEmpty) {
    for (const char* bad : {"", "not xml", "<Stock><Last>1</Stock>", "<Stock>", "<a/><b/>",
                            "text before <a/>", "<a/> text after", "<?xml version=\"1.0\"?>"}) {
        Document doc;
        ASSERT_TRUE(doc.loadXML("<Old/>"));
        EXPECT_FALSE(doc.loadXML(bad)) << bad;
        EXPECT_NE(doc.parseErrorReason(), "") << bad;
        EXPECT_TRUE(doc.documentElement().isNothing()) << bad;
        EXPECT_TRUE(doc.selectSingleNode("Stock/Last").isNothing()) << bad;
        EXPECT_EQ(doc.xml(), "") << bad;
    }
}

TEST(DocumentLoad, DeclarationsCommentsAndBlanksAroundTheRootAreFine) {
    Document doc;
    ASSERT_TRUE(doc.loadXML(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<!-- quote -->\n<StockData>\n"
        "  <Stock><Last>1</Last></Stock>\n  <Stock><Last>2</Last></Stock>\n</StockData>\n"));
    const NodeList stocks = doc.selectNodes("StockData/Stock");
    ASSERT_EQ(stocks.length(), 2u);
    EXPECT_EQ(stocks.item(1).selectSingleNode("Last").text(), "2");
    EXPECT_TRUE(stocks.item(2).isNothing());
    std::string all;
    for (const Node& stock : stocks) {
        all += stock.selectSingleNode("Last").text();
    }
    EXPECT_EQ(all, "12");
}

TEST(DocumentLoad, NodesOutliveTheirDocumentAndAReload) {
    Node last;
    {
        Document doc;
        ASSERT_TRUE(doc.loadXML(kQuote));
        last = doc.selectSingleNode("Stock/Last");
        ASSERT_TRUE(doc.loadXML("<Other/>"));
        EXPECT_EQ(last.text(), "1234.5");
    }
    EXPECT_EQ(last.text(), "1234.5");
    EXPECT_EQ(last.xml(), "<Last>1234.5</Last>");
}

TEST(NodeAccess, AttributesAndAttributeNodes) {
    Document doc;
    ASSERT_TRUE(doc.loadXML(kQuote));
    Node time = doc.selectSingleNode("//Time");
    EXPECT_EQ(time.getAttribute("a"), "1");
    EXPECT_EQ(time.getAttribute("b"), "x&y");
    EXPECT_EQ(time.getAttribute("c"), std::nullopt);
    time.setAttribute("a", "2");
    time.setAttribute("c", "<3>");
    EXPECT_EQ(time.getAttribute("a"), "2");
    EXPECT_EQ(time.xml(), "<Time a=\"2\" b=\"x&amp;y\" c=\"&lt;3>\">16:00</Time>");

    Node attribute = doc.selectSingleNode("Stock/Time/@b");
    ASSERT_FALSE(attribute.isNothing());
    EXPECT_EQ(attribute.nodeName(), "b");
    EXPECT_EQ(attribute.text(), "x&y");
    EXPECT_EQ(attribute.xml(), "b=\"x&amp;y\"");
    EXPECT_EQ(doc.selectNodes("//@*").length(), 3u);
}

TEST(NodeAccess, TextOfAnElementGathersItsDescendants) {
    Document doc;
    ASSERT_TRUE(doc.loadXML("<a>one<b>two<![CDATA[<three>]]></b><!--not this-->four</a>"));
    EXPECT_EQ(doc.documentElement().text(), "onetwo<three>four");
    EXPECT_EQ(doc.selectSingleNode("a/text()").nodeName(), "#text");
}

TEST(NodeAccess, SetTextReplacesTheContent) {
    Document doc;
    ASSERT_TRUE(doc.loadXML("<a>one<b>two</b></a>"));
    Node a = doc.documentElement();
    a.setText("R&D <new>");
    EXPECT_EQ(a.text(), "R&D <new>");
    EXPECT_EQ(doc.xml(), "<a>R&amp;D &lt;new&gt;</a>");
    a.setText("");
    EXPECT_EQ(doc.xml(), "<a/>");
}

TEST(NodeAccess, SelectionIsRelativeToTheNode) {
    Document doc;
    ASSERT_TRUE(
        doc.loadXML("<StockData><Stock><Symbol>A</Symbol></Stock><Stock><Symbol>B</Symbol></"
                    "Stock></StockData>"));
    const Node second = doc.selectNodes("StockData/Stock").item(1);
    EXPECT_EQ(second.selectSingleNode("Symbol").text(), "B");
    EXPECT_EQ(second.selectSingleNode("../Stock/Symbol").text(), "A");
    EXPECT_EQ(doc.selectNodes("StockData/Stock[Symbol='B']").length(), 1u);
    EXPECT_EQ(second, doc.selectSingleNode("StockData/Stock[2]"));
}

TEST(NodeAccess, MalformedXPathRaises) {
    Document doc;
    ASSERT_TRUE(doc.loadXML(kQuote));
    EXPECT_THROW(doc.selectSingleNode("Stock/["), base::PlatformError);
    EXPECT_THROW(doc.selectNodes(""), base::PlatformError);
    // An expression that selects no nodes is the platform's error, not the library's.
    for (const char* value : {"count(*)", "1+1", "string(Stock)", "Stock = 'x'"}) {
        EXPECT_THROW(doc.selectSingleNode(value), base::PlatformError) << value;
        EXPECT_THROW(doc.selectNodes(value), base::PlatformError) << value;
    }
}

TEST(NodeAccess, NothingUsedAsANodeRaisesObjectNotSet) {
    Document doc;
    ASSERT_TRUE(doc.loadXML(kQuote));
    const Node missing = doc.selectSingleNode("Stock/Missing");
    ASSERT_TRUE(missing.isNothing());
    for (const auto& use : std::vector<std::function<void()>>{
             [&] { missing.text(); }, [&] { missing.nodeName(); }, [&] { missing.xml(); },
             [&] { missing.getAttribute("a"); }, [&] { missing.selectSingleNode("a"); },
             [&] { Node(missing).setText("x"); }}) {
        try {
            use();
            ADD_FAILURE() << "Nothing was used as a node";
        } catch (const base::PlatformError& error) {
            EXPECT_EQ(error.number(), 91);
        }
    }
}

TEST(DocumentBuild, CreatedElementsAppendAndKeepTheirIdentity) {
    Document doc;
    EXPECT_EQ(doc.xml(), "");
    Node root = doc.createElement("zurovizout");
    Node status = doc.createElement("status");
    // Created but not appended: not part of the document.
    EXPECT_TRUE(doc.documentElement().isNothing());
    EXPECT_EQ(doc.xml(), "");
    EXPECT_TRUE(doc.selectSingleNode("//status").isNothing());

    EXPECT_EQ(doc.appendChild(root), root);
    status.setText("OK");
    root.appendChild(status);
    status.setAttribute("code", "0");  // the handle still reaches the appended node
    Node session = root.appendChild(doc.createElement("session"));
    session.setText("abc");
    EXPECT_EQ(doc.xml(),
              "<zurovizout><status code=\"0\">OK</status><session>abc</session></zurovizout>");
    EXPECT_EQ(doc.selectSingleNode("zurovizout/session").text(), "abc");
    EXPECT_THROW(doc.appendChild(doc.createElement("second")), base::PlatformError);

    Document reread;
    ASSERT_TRUE(reread.loadXML(doc.xml()));
    EXPECT_EQ(reread.selectSingleNode("zurovizout/status/@code").text(), "0");
}

TEST(DocumentBuild, NodesOfAnotherDocumentAreCopiedIn) {
    Document index;
    ASSERT_TRUE(index.loadXML("<Stock><Last>2345.67</Last></Stock>"));
    Document breadth;
    ASSERT_TRUE(breadth.loadXML("<Stock><AdvIssue>1234</AdvIssue><DecIssue>99</DecIssue></Stock>"));
    Node stock = index.documentElement();
    for (const Node& item : breadth.selectNodes("Stock/*")) {
        stock.appendChild(item);
    }
    EXPECT_EQ(
        index.xml(),
        "<Stock><Last>2345.67</Last><AdvIssue>1234</AdvIssue><DecIssue>99</DecIssue></Stock>");
    EXPECT_EQ(breadth.selectNodes("Stock/*").length(), 2u) << "the source keeps its nodes";
}

TEST(DocumentBuild, MovingANodeUnderItselfIsRefused) {
    Document doc;
    ASSERT_TRUE(doc.loadXML("<a><b><c/></b></a>"));
    Node b = doc.selectSingleNode("a/b");
    EXPECT_THROW(doc.selectSingleNode("a/b/c").appendChild(b), base::PlatformError);
    EXPECT_EQ(doc.xml(), "<a><b><c/></b></a>");
    // Moving within the document keeps one copy.
    doc.documentElement().appendChild(doc.selectSingleNode("a/b/c"));
    EXPECT_EQ(doc.xml(), "<a><b/><c/></a>");
}

// What childElementsXml stands for: the markup of each child element, one by one.
std::string childElementsOneByOne(const Node& node, const std::vector<std::string_view>& without) {
    std::string text;
    for (const Node& child : node.selectNodes("*")) {
        if (std::find(without.begin(), without.end(), child.nodeName()) == without.end()) {
            text += child.xml();
        }
    }
    return text;
}

TEST(NodeMarkup, ChildElementsPrintAsEachOfThemDoes) {
    const std::vector<std::string> texts{
        kQuote,
        "<Stock/>",
        "<Stock></Stock>",
        "<Stock a=\"1\"><Last>2</Last></Stock>",
        "<Stock>text<Last>2</Last><!--note--><Bid/>tail</Stock>",
        "<Stock><Last>a &amp; b &lt;c&gt;</Last><Nested><Deep "
        "x=\"q&quot;\">1</Deep></Nested></Stock>",
        "<Stock><Stock>inner</Stock><Last/></Stock>",
        "<Stock>\n  <Last>1</Last>\n  <Bid>2</Bid>\n</Stock>",
    };
    const std::vector<std::vector<std::string_view>> withouts{
        {}, {"Last"}, {"Symbol", "Time"}, {"Stock"}, {"Nothing"}};
    for (const std::string& text : texts) {
        Document doc;
        ASSERT_TRUE(doc.loadXML(text)) << text;
        const Node stock = doc.documentElement();
        for (const auto& without : withouts) {
            EXPECT_EQ(stock.childElementsXml(without), childElementsOneByOne(stock, without))
                << text;
        }
        EXPECT_EQ(doc.selectSingleNode("Stock/@a").isNothing()
                      ? std::string()
                      : doc.selectSingleNode("Stock/@a").childElementsXml(),
                  "");
    }
    // An element not yet in the document, and the document's own top.
    Document doc;
    Node made = doc.createElement("Made");
    made.appendChild(doc.createElement("Child"));
    EXPECT_EQ(made.childElementsXml(), "<Child/>");
    ASSERT_TRUE(doc.loadXML("<Stock><Last>1</Last></Stock>"));
    Node waiting = doc.createElement("Waiting");
    EXPECT_EQ(doc.selectSingleNode("/").childElementsXml(), "<Stock><Last>1</Last></Stock>");
    EXPECT_TRUE(Node().isNothing());
    EXPECT_THROW(Node().childElementsXml(), base::PlatformError);
}

}  // namespace
}  // namespace kavex::xml
