// Every worksheet function of the add-in class, called through the interface list, must read the
// elements, pass the new-macro flag and compute as its table row says. Each cached element holds a
// value that names it, so a function that read the wrong element gives itself away.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "addin/functions/FunctionTables.h"
#include "addin/functions/KavexConnectMethods.h"
#include "addin/marketdata/DataDates.h"
#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::functions {
namespace {

using base::Variant;

std::set<std::string> symbolTags() {
    std::set<std::string> tags{"Last", "Name"};
    for (const SymbolFunction& f : SymbolFunctionTable()) {
        if (!f.tag.empty())
            tags.emplace(f.tag);
        if (!f.otherTag.empty())
            tags.emplace(f.otherTag);
    }
    return tags;
}

std::set<std::string> exchangeTags() {
    std::set<std::string> tags;
    for (const ExchangeFunction& f : ExchangeFunctionTable()) {
        if (!f.tag.empty())
            tags.emplace(f.tag);
        if (!f.otherTag.empty())
            tags.emplace(f.otherTag);
    }
    return tags;
}

// Each element holds "v-" and its own name: text that no format class touches.
std::string namingDocument(const std::set<std::string>& tags) {
    std::string xml = "<Stock>";
    for (const std::string& tag : tags)
        xml += "<" + tag + ">v-" + tag + "</" + tag + ">";
    return xml + "</Stock>";
}

// Each element holds a distinct small number; Last holds 1000.
double numberFor(const std::set<std::string>& tags, const std::string& tag) {
    if (tag == "Last")
        return 1000;
    return 3.0 + 7.0 * static_cast<double>(std::distance(tags.begin(), tags.find(tag)));
}

std::string numericDocument(const std::set<std::string>& tags) {
    std::string xml = "<Stock>";
    for (const std::string& tag : tags) {
        xml += "<" + tag + ">" + std::to_string(numberFor(tags, tag)) + "</" + tag + ">";
    }
    return xml + "</Stock>";
}

// The number a shown value stands for: "$1,234.50" is 1234.5, "12.5%" is 0.125.
double shownNumber(const Variant& shown) {
    EXPECT_TRUE(shown.isText());
    std::string text;
    for (char c : shown.text()) {
        if (c != '$' && c != ',' && c != '%')
            text += c;
    }
    double value = std::strtod(text.c_str(), nullptr);
    return shown.text().ends_with('%') ? value / 100 : value;
}

class WorksheetFunctionTableDrivenTest : public testing::CacheFixture {
  protected:
    // Calls the method with the notice armed and tells whether the notice was shown.
    Variant callArmed(const InterfaceMethod& method, const std::string& argument, bool& notice) {
        session::ShowDeprecatedMacroWarning = true;
        std::size_t before = messagesShown();
        Variant result = method.call(Variant(argument));
        notice = messagesShown() > before;
        return result;
    }
};

TEST_F(WorksheetFunctionTableDrivenTest, InterfaceListsEveryFunctionInOrder) {
    const auto& methods = KavexConnectMethods();
    ASSERT_EQ(methods.size(), 227u);
    int functions = 0;
    for (const InterfaceMethod& m : methods)
        functions += m.call ? 1 : 0;
    EXPECT_EQ(functions, 222);
    EXPECT_EQ(methods[0].name, "LASTPRICE");
    EXPECT_EQ(methods[36].name, "CHANGEHUNDREDDAYMAP");
    EXPECT_EQ(methods[37].name, "CreateAlert");
    EXPECT_EQ(methods[38].name, "SYMEXCG");
    EXPECT_EQ(methods[39].name, "SYMDATAASOF");
    EXPECT_EQ(methods[40].name, "EXCGNAME");
    EXPECT_EQ(methods[55].name, "EXCGDATAASOF");
    EXPECT_EQ(methods[56].name, "InitializeAddInVariables");
    EXPECT_EQ(methods[59].name, "KavexAutoUpdate");
    EXPECT_EQ(methods[60].name, "KavexEXCGName");
    EXPECT_EQ(methods[66].name, "KavexEXCGPrClose");
    EXPECT_EQ(methods[67].name, "KavexEXCGOpen");
    EXPECT_EQ(methods[76].name, "KavexAskSz");
    EXPECT_EQ(methods.back().name, "KavexOptionsBaseSymbol");
    EXPECT_EQ(methods[0].parameter, "pstrSymbol");
    EXPECT_EQ(methods[40].parameter, "pstrXchng");
    EXPECT_EQ(methods[55].parameter, "pstrExchange");
}

TEST_F(WorksheetFunctionTableDrivenTest, SymbolFunctionsReadTheirElementsAndPassTheirFlag) {
    const std::set<std::string> tags = symbolTags();
    cacheSymbol("NAMED", namingDocument(tags));
    cacheSymbol("NUMBERS", numericDocument(tags));
    int checked = 0;
    for (const InterfaceMethod& method : KavexConnectMethods()) {
        if (method.kind != MethodKind::SymbolFunction)
            continue;
        const SymbolFunction& row = *FindSymbolFunction(method.name);
        SCOPED_TRACE(std::string(row.name));
        ++checked;
        bool notice = false;
        Variant named = callArmed(method, "NAMED", notice);
        bool expectNotice = !row.newMacro() && row.worker != SymbolWorker::DataDate;
        EXPECT_EQ(notice, expectNotice);
        const std::string tag(row.tag), other(row.otherTag);
        switch (row.worker) {
            case SymbolWorker::Single:
            case SymbolWorker::Name:
            case SymbolWorker::DividendPayDate:
                EXPECT_EQ(named, Variant("v-" + tag));
                break;
            case SymbolWorker::Range:
                EXPECT_EQ(named, Variant("v-" + other + " - v-" + tag));
                break;
            case SymbolWorker::Difference: {
                EXPECT_EQ(named, Variant("v-Last"));
                Variant shown = callArmed(method, "NUMBERS", notice);
                EXPECT_NEAR(shownNumber(shown), 1000 - numberFor(tags, tag), 0.005);
                EXPECT_TRUE(shown.text().starts_with("$")) << shown.text();
                break;
            }
            case SymbolWorker::Percentage: {
                EXPECT_EQ(named, Variant("v-Last"));
                Variant shown = callArmed(method, "NUMBERS", notice);
                double expected = (1000 - numberFor(tags, tag)) / numberFor(tags, other);
                EXPECT_NEAR(shownNumber(shown), expected, 0.00005 + 1e-12);
                EXPECT_TRUE(shown.text().ends_with("%")) << shown.text();
                break;
            }
            case SymbolWorker::OptionWord:
                EXPECT_EQ(named, row.word == 0 ? Variant("v-Name") : Variant());
                break;
            case SymbolWorker::DataDate:
                EXPECT_EQ(named, Variant(marketdata::GetSymbolDate("NAMED")));
                break;
        }
    }
    EXPECT_EQ(checked, 190);
}

TEST_F(WorksheetFunctionTableDrivenTest, ExchangeFunctionsReadTheirElementsAndPassTheirFlag) {
    const std::set<std::string> tags = exchangeTags();
    cacheExchange("NAMED", namingDocument(tags));
    cacheExchange("NUMBERS", numericDocument(tags));
    int checked = 0;
    for (const InterfaceMethod& method : KavexConnectMethods()) {
        if (method.kind != MethodKind::ExchangeFunction)
            continue;
        const ExchangeFunction& row = *FindExchangeFunction(method.name);
        SCOPED_TRACE(std::string(row.name));
        ++checked;
        bool notice = false;
        Variant named = callArmed(method, "NAMED", notice);
        EXPECT_EQ(notice, !row.newMacro() && row.worker != ExchangeWorker::DataDate);
        const std::string tag(row.tag), other(row.otherTag);
        switch (row.worker) {
            case ExchangeWorker::Single:
            case ExchangeWorker::Name:
                EXPECT_EQ(named, Variant("v-" + tag));
                break;
            case ExchangeWorker::Range:
                EXPECT_EQ(named, Variant("v-" + other + " - v-" + tag));
                break;
            case ExchangeWorker::ChangePercent: {
                EXPECT_EQ(named, Variant("v-Change"));
                Variant shown = callArmed(method, "NUMBERS", notice);
                double expected = numberFor(tags, "Change") / numberFor(tags, "Last");
                EXPECT_NEAR(shownNumber(shown), expected, 0.00005 + 1e-12);
                break;
            }
            case ExchangeWorker::DataDate:
                EXPECT_EQ(named, Variant(marketdata::GetExchangeDate("NAMED", true)));
                break;
        }
    }
    EXPECT_EQ(checked, 32);
}

}  // namespace
}  // namespace kavex::addin::functions
