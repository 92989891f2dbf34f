// The worksheet functions as the host calls them from cells.
#include <gtest/gtest.h>

#include "addin/functions/KavexConnectMethods.h"
#include "tests/addin/functions/CacheFixture.h"

namespace kavex::addin::functions {
namespace {

using base::Variant;

class HostRegistrationTest : public testing::CacheFixture {
  protected:
    void SetUp() override {
        CacheFixture::SetUp();
        for (const InterfaceMethod& method : KavexConnectMethods()) {
            if (method.call)
                host_.registerFunction(std::string(method.name), WorksheetFunctionFor(method));
        }
        host_.workbooks().add();
        core::ExcelApp = &host_;
    }
    void TearDown() override {
        core::ExcelApp = nullptr;
        CacheFixture::TearDown();
    }
    Variant cell(const char* address) { return host_.range(address).value(); }

    sheet::Application host_;
};

TEST_F(HostRegistrationTest, CellsShowTheFormattedCacheValue) {
    cacheSymbol("IBM", "<Stock><Last>1234.5</Last><Name>I%26B</Name></Stock>");
    host_.range("B1").setValue("IBM");
    host_.range("C1").setFormula("=KavexLast(B1)");
    host_.range("D1").setFormula("=kavexname(B1)");
    host_.range("E1").setFormula("=KavexLast(\"ibm\")");
    EXPECT_EQ(cell("C1"), Variant("$1,234.50"));
    EXPECT_EQ(cell("D1"), Variant("I&B"));
    EXPECT_EQ(cell("E1"), Variant("$1,234.50"));
    EXPECT_EQ(host_.range("C1").text(), "$1,234.50");
}

TEST_F(HostRegistrationTest, EmptyNumericAndErrorArguments) {
    host_.range("C1").setFormula("=KavexLast(B1)");
    EXPECT_EQ(cell("C1"), Variant(""));
    host_.range("B1").setValue(42.0);
    EXPECT_EQ(cell("C1"), Variant("#INVALID!"));
    host_.range("B1").setFormula("=1/0");
    EXPECT_EQ(cell("C1"), Variant(base::CellError::Value));
    host_.range("C2").setFormula("=KavexLast()");
    EXPECT_EQ(cell("C2"), Variant(base::CellError::Value));
    host_.range("C3").setFormula("=KavexLast(B1, B2)");
    EXPECT_EQ(cell("C3"), Variant(base::CellError::Value));
    EXPECT_EQ(count("select Symbol from AQ_StockSymbolData"), 0);
}

TEST_F(HostRegistrationTest, OnlyTheWorksheetFunctionsAreRegistered) {
    EXPECT_TRUE(host_.isRegisteredFunction("LASTPRICE"));
    EXPECT_TRUE(host_.isRegisteredFunction("KavexEXCGDataASOF"));
    EXPECT_FALSE(host_.isRegisteredFunction("CreateAlert"));
    EXPECT_FALSE(host_.isRegisteredFunction("NAME"));
    host_.range("C1").setFormula("=KavexYearRange(B1)");
    EXPECT_EQ(cell("C1"), Variant(base::CellError::Name));
}

}  // namespace
}  // namespace kavex::addin::functions
