#include "platform/spreadsheet/formula/ArgumentList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kavex::formula {
namespace {

// Fills a list of count arguments with texts naming their places and reads them back.
void expectFreshList(std::size_t count, const std::string& tag) {
    ArgumentList list(count);
    ASSERT_EQ(list.arguments().size(), count) << tag;
    for (std::size_t i = 0; i < count; ++i) {
        list.arguments()[i].value = Variant(tag + std::to_string(i));
    }
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(list.arguments()[i].value, Variant(tag + std::to_string(i)));
    }
}

TEST(ArgumentListTest, EachCallGetsExactlyTheCountItAsksForWhateverCameBefore) {
    // Shapes change from call to call: short, long enough to be let go, very long, short again.
    for (std::size_t count : {3u, 3u, 20u, 1u, 40u, 0u, 17u, 16u, 33u, 2u, 31u, 32u, 5u}) {
        expectFreshList(count, "c" + std::to_string(count) + ".");
    }
}

TEST(ArgumentListTest, NestedCallsHaveListsOfTheirOwn) {
    ArgumentList outer(2);
    outer.arguments()[0].value = Variant("outer");
    {
        ArgumentList inner(25);
        ASSERT_EQ(inner.arguments().size(), 25u);
        inner.arguments()[0].value = Variant("inner");
        expectFreshList(4, "deepest.");
        EXPECT_EQ(inner.arguments()[0].value, Variant("inner"));
    }
    expectFreshList(40, "after.");
    ASSERT_EQ(outer.arguments().size(), 2u);
    EXPECT_EQ(outer.arguments()[0].value, Variant("outer"));
}

TEST(ArgumentListTest, CallsNestedDeeperThanThePoolStillWork) {
    std::vector<std::unique_ptr<ArgumentList>> lists;
    for (std::size_t depth = 0; depth < 100; ++depth) {
        lists.push_back(std::make_unique<ArgumentList>(depth % 7));
        ASSERT_EQ(lists.back()->arguments().size(), depth % 7);
    }
    while (!lists.empty()) {
        lists.pop_back();  // released in the reverse order of taking
    }
    expectFreshList(3, "again.");
}

TEST(ArgumentListTest, TrimLetsGoOfTheLongTextsOfEveryListNotTakenAndKeepsShortOnes) {
    const Variant longText(std::string(300, 'x'));
    const auto firstOf = [](ArgumentList& list) { return list.arguments().front().value; };
    {
        ArgumentList outer(1);
        outer.arguments()[0].value = longText;
        {
            ArgumentList middle(1);
            middle.arguments()[0].value = longText;
            ArgumentList inner(1);
            inner.arguments()[0].value = Variant("short");
        }
        ArgumentList::trim();  // the outer list is taken: it keeps its text
        {
            ArgumentList middle(1);
            EXPECT_TRUE(firstOf(middle).isEmpty());
            ArgumentList inner(1);
            EXPECT_EQ(firstOf(inner), Variant("short"));
        }
        EXPECT_EQ(firstOf(outer), longText);
    }
    ArgumentList::trim();  // now the outer one's too
    {
        ArgumentList outer(1);
        EXPECT_TRUE(firstOf(outer).isEmpty());
    }

    // Trims that find nothing new in between do not forget a list filled after them.
    ArgumentList::trim();
    ArgumentList::trim();
    {
        ArgumentList outer(1);
        ArgumentList middle(1);
        ArgumentList inner(1);
        inner.arguments()[0].value = longText;
    }
    ArgumentList::trim();
    {
        ArgumentList outer(1);
        ArgumentList middle(1);
        ArgumentList inner(1);
        EXPECT_TRUE(firstOf(inner).isEmpty());
    }
}

}  // namespace
}  // namespace kavex::formula
