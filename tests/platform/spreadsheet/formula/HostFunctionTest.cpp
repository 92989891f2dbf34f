#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/Conversions.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "tests/platform/spreadsheet/formula/FakeWorkbook.h"

namespace kavex::formula {
namespace {

using base::CellError;
using testing::FakeWorkbook;

class HostFunctions : public ::testing::Test {
  protected:
    HostFunctions() {
        book.registerFunction("Capture", [this](const std::vector<Argument>& arguments) {
            captured = arguments;
            return Variant("done");
        });
    }

    FakeWorkbook book;
    std::vector<Argument> captured;
};

TEST_F(HostFunctions, ReferenceArgumentsCarryTheirArea) {
    book.set("B7", "MSFT");
    book.set("A1", 1.0);
    book.set("B2", 4.0);
    EXPECT_EQ(book.eval("capture(B7,A1:B2,$B$2)"), Variant("done"));
    ASSERT_EQ(captured.size(), 3u);
    EXPECT_EQ(captured[0].value, Variant("MSFT"));
    EXPECT_EQ(captured[0].reference, (AreaRef{"", 7, 2, 7, 2}));
    EXPECT_EQ(captured[1].value, Variant(1.0));  // the top-left value of a larger area
    EXPECT_EQ(captured[1].reference, (AreaRef{"", 1, 1, 2, 2}));
    EXPECT_EQ(captured[2].value, Variant(4.0));
    // The name reaches the host as typed; the host compares without regard to case.
    EXPECT_EQ(book.calledNames, std::vector<std::string>{"capture"});
}

TEST_F(HostFunctions, NameIsTheFormulasOwnFunctionNameEntry) {
    const Formula f = parse("Capture(1)+SUM(2)+capture(3)");
    ASSERT_EQ(f.functionNames(), (std::vector<std::string>{"Capture", "SUM"}));
    EXPECT_EQ(evaluate(f, book), Variant(CellError::Value));  // "done"+2 is no number
    ASSERT_EQ(book.calledNameAddresses.size(), 1u);           // the left error stops the rest
    EXPECT_EQ(book.calledNameAddresses[0], &f.functionNames()[0]);

    const Formula g = parse("IF(ISERROR(Capture(1)),0,LEN(capture(3)))");
    EXPECT_EQ(evaluate(g, book), Variant(4.0));
    ASSERT_EQ(book.calledNameAddresses.size(), 3u);
    EXPECT_EQ(book.calledNameAddresses[1], &g.functionNames()[2]);
    EXPECT_EQ(book.calledNameAddresses[2], &g.functionNames()[2]);
}

TEST_F(HostFunctions, OtherArgumentsAreValues) {
    book.define("Sym", "C1");
    book.set("C1", "IBM");
    EXPECT_EQ(book.eval("Capture(\"x\",1+1,,Sym,(C1),Undefined,1/0)"), Variant("done"));
    ASSERT_EQ(captured.size(), 7u);
    EXPECT_EQ(captured[0].value, Variant("x"));
    EXPECT_FALSE(captured[0].reference);
    EXPECT_EQ(captured[1].value, Variant(2.0));
    EXPECT_TRUE(captured[2].value.isMissing());
    EXPECT_FALSE(captured[2].reference);
    EXPECT_EQ(captured[3].value, Variant("IBM"));  // a defined name is a reference
    EXPECT_EQ(captured[3].reference, (AreaRef{"", 1, 3, 1, 3}));
    EXPECT_EQ(captured[4].reference, (AreaRef{"", 1, 3, 1, 3}));
    EXPECT_EQ(captured[5].value, Variant(CellError::Name));
    EXPECT_FALSE(captured[5].reference);
    // Errors are handed over; the function decides what to do with them.
    EXPECT_EQ(captured[6].value, Variant(CellError::Div0));
}

TEST_F(HostFunctions, ResultGoesIntoTheCellUnchanged) {
    book.registerFunction("Nothing", [](const std::vector<Argument>&) { return Variant(); });
    book.registerFunction("Word", [](const std::vector<Argument>&) { return Variant("12"); });
    EXPECT_TRUE(book.eval("Nothing()").isEmpty());
    EXPECT_TRUE(book.eval("(Nothing())").isEmpty());
    EXPECT_EQ(book.eval("Word()"), Variant("12"));  // text that reads as a number stays text
    EXPECT_EQ(book.eval("Word()+1"), Variant(13.0));
    EXPECT_EQ(book.eval("Nothing()&\"x\""), Variant("x"));
}

TEST_F(HostFunctions, EvaluationIsReentrant) {
    // A function that evaluates another formula through the same workbook, as a host function
    // that recalculates cells does.
    const Formula inner = parse("A1*2+Outer(A1-1)");
    book.registerFunction("Outer", [&](const std::vector<Argument>& arguments) {
        const double n = base::CDbl(arguments[0].value);
        if (n <= 0) {
            return Variant(0.0);
        }
        book.set("A1", n);
        return evaluate(inner, book);
    });
    // Outer(3): A1=3 -> 6 + Outer(2): A1=2 -> 4 + Outer(1): A1=1 -> 2 + Outer(0) = 0.
    EXPECT_EQ(book.eval("Outer(3)"), Variant(12.0));
}

TEST_F(HostFunctions, ArgumentsOfAnOuterCallSurviveTheCallsNestedInIt) {
    // Argument lists are reused from call to call; one still in use must not be handed to a
    // call made while it runs, nor be changed by one.
    book.set("A1", "outer text that is too long to be stored inline");
    const Formula inner = parse("Capture(7,\"inner\",A1&\"!\")");
    std::vector<Argument> seenAfter;
    book.registerFunction("Outer", [&](const std::vector<Argument>& arguments) {
        const std::vector<Argument> before = arguments;
        evaluate(inner, book);
        evaluate(inner, book);
        seenAfter = arguments;
        EXPECT_EQ(seenAfter.size(), before.size());
        for (std::size_t i = 0; i < before.size() && i < seenAfter.size(); ++i) {
            EXPECT_EQ(seenAfter[i].value, before[i].value) << i;
            EXPECT_EQ(seenAfter[i].reference, before[i].reference) << i;
        }
        return Variant("outer");
    });
    EXPECT_EQ(book.eval("Outer(A1,2,,TRUE)"), Variant("outer"));
    ASSERT_EQ(seenAfter.size(), 4u);
    EXPECT_EQ(seenAfter[0].value, Variant("outer text that is too long to be stored inline"));
    EXPECT_TRUE(seenAfter[2].value.isMissing());
    ASSERT_EQ(captured.size(), 3u);
    EXPECT_EQ(captured[2].value, Variant("outer text that is too long to be stored inline!"));
}

TEST_F(HostFunctions, AFailingCallLeavesLaterCallsTheirOwnArguments) {
    book.registerFunction("Fail", [](const std::vector<Argument>&) -> Variant {
        throw std::runtime_error("host failure");
    });
    EXPECT_THROW(book.eval("Fail(1,2,3)"), std::runtime_error);
    EXPECT_EQ(book.eval("Capture(\"only\")"), Variant("done"));
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].value, Variant("only"));
}

TEST(PlainHostCall, IsAWholeFormulaCallingAHostFunctionOnReferencesAlone) {
    EXPECT_EQ(parse("KavexLast(A1)").plainHostCall(), 0u);
    EXPECT_EQ(parse("F(A1,Sheet2!B2:C3,(B7))").plainHostCall(), 0u);
    EXPECT_EQ(parse("(F(A1))").plainHostCall(), 0u);
    EXPECT_EQ(parse("F()").plainHostCall(), 0u);
    for (const char* other : {"F(A1)+1", "F(1)", "F(A1,\"x\")", "F(A1,)", "F(SomeName)", "SUM(A1)",
                              "F(G(A1))", "A1", "IF(TRUE,F(A1))", "F(A1&B1)"}) {
        EXPECT_FALSE(parse(other).plainHostCall().has_value()) << other;
    }
}

TEST_F(HostFunctions, CellsChangedDuringACallAreReadAfresh) {
    book.set("A1", 1.0);
    book.registerFunction("SetA1", [&](const std::vector<Argument>& arguments) {
        book.set("A1", arguments[0].value);
        return arguments[0].value;
    });
    EXPECT_EQ(book.eval("A1+SetA1(5)+A1"), Variant(11.0));
}

TEST_F(HostFunctions, OneFormulaEvaluatedInsideItself) {
    const Formula self = parse("Depth()+1");
    int depth = 0;
    book.registerFunction("Depth", [&](const std::vector<Argument>&) {
        if (++depth > 3) {
            return Variant(0.0);
        }
        return evaluate(self, book);
    });
    EXPECT_EQ(evaluate(self, book), Variant(4.0));
}

TEST_F(HostFunctions, EvaluationReadsNoMoreThanItNeeds) {
    book.registerFunction(
        "Last", [](const std::vector<Argument>& arguments) { return arguments[0].value; });
    book.set("B7", "MSFT");
    const Formula f = parse("Last(B7)");
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(evaluate(f, book), Variant("MSFT"));
    }
    EXPECT_EQ(book.cellReads, 10);
}

}  // namespace
}  // namespace kavex::formula
