#include "addin/commandbars/frmOptions.h"

#include <gtest/gtest.h>

#include <string>

#include "addin/commandbars/Commands.h"
#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "platform/base/Conversions.h"
#include "platform/db/Recordset.h"
#include "tests/addin/commandbars/BarsFixture.h"
#include "tests/addin/core/TempFolder.h"
#include "tools/kavex/runner/Database.h"

namespace kavex::addin::commandbars {
namespace {

using forms::FormAction;

class OptionsTest : public testing::BarsFixture {
  protected:
    void SetUp() override {
        BarsFixture::SetUp();
        tool::createDatabase(folder_.path() / "Kavex.mdb");
        core::AddInPath = folder_.withSeparator();
        core::OpenDBConnection();
    }

    std::string storedDecimals() {
        db::Recordset rs;
        rs.Open("select ConfigValue from ConfigSettings where ConfigKey='DECIMAL_PLACE'",
                *core::DBConnection);
        return rs.Eof() ? "<none>" : base::CStr(rs.Fields("ConfigValue"));
    }

    addin::testing::TempFolder folder_{"kavex-options"};
};

TEST_F(OptionsTest, ANewCountIsStoredAndRebuildsThePriceFormat) {
    EXPECT_TRUE(ApplyDecimalPlaces(3));
    EXPECT_EQ(core::DecimalPlaces, 3);
    EXPECT_EQ(core::PriceFormat, "$###,###,##0.000");
    EXPECT_EQ(storedDecimals(), "3");

    EXPECT_TRUE(ApplyDecimalPlaces(0));
    EXPECT_EQ(core::PriceFormat, "$###,###,##0");
    EXPECT_EQ(storedDecimals(), "0");

    EXPECT_TRUE(ApplyDecimalPlaces(4));
    EXPECT_EQ(core::PriceFormat, "$###,###,##0.0000");
}

TEST_F(OptionsTest, ACountOutsideZeroToFourChangesNothing) {
    for (short refused : {5, 9, -1}) {
        EXPECT_FALSE(ApplyDecimalPlaces(refused)) << refused;
        EXPECT_EQ(core::DecimalPlaces, 2);
        EXPECT_EQ(core::PriceFormat, "$###,###,##0.00");
        EXPECT_EQ(storedDecimals(), "2");
    }
}

TEST_F(OptionsTest, ACountThatCannotBeStoredIsNotApplied) {
    core::DBConnection->Execute("drop table ConfigSettings");
    EXPECT_FALSE(ApplyDecimalPlaces(1));
    EXPECT_EQ(core::DecimalPlaces, 2);
    EXPECT_EQ(core::PriceFormat, "$###,###,##0.00");
}

TEST_F(OptionsTest, TheDialogOffersZeroToFourAndAppliesTheChoice) {
    forms::scriptedDriver().queueFormActions(
        "frmOptions", {{FormAction::Kind::Choose, "cmbDecimalPlaces", "1", ""},
                       {FormAction::Kind::Click, "cmdOK", "", ""}});
    refresh::IdleTickCount = 5;
    ShowOptionsDialog();
    EXPECT_EQ(core::DecimalPlaces, 1);
    EXPECT_EQ(core::PriceFormat, "$###,###,##0.0");
    EXPECT_EQ(storedDecimals(), "1");
    EXPECT_EQ(refresh::IdleTickCount, 0);
}

TEST_F(OptionsTest, CancelLeavesTheCountAsItWas) {
    forms::scriptedDriver().queueFormActions(
        "frmOptions", {{FormAction::Kind::Choose, "cmbDecimalPlaces", "4", ""},
                       {FormAction::Kind::Click, "cmdCancel", "", ""}});
    ShowOptionsDialog();
    EXPECT_EQ(core::DecimalPlaces, 2);
    EXPECT_EQ(storedDecimals(), "2");
}

}  // namespace
}  // namespace kavex::addin::commandbars
