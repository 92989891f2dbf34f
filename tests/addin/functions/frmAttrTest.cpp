#include "addin/functions/frmAttr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addin/core/Globals.h"
#include "addin/functions/AttributeNames.h"
#include "addin/refresh/IdleTime.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::addin::functions {
namespace {

using forms::FormAction;

class frmAttrTest : public ::testing::Test {
  protected:
    void SetUp() override {
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
        host_.workbooks().add();
        core::ExcelApp = &host_;
        host_.select(host_.range("B5"));
        LoadAttributeNames();
    }
    void TearDown() override {
        EXPECT_FALSE(forms::scriptedDriver().failure().has_value())
            << forms::scriptedDriver().failure()->what();
        forms::scriptedDriver().reset();
        core::ExcelApp = nullptr;
    }

    static std::string indexOf(const std::string& name) {
        auto it = std::find(AttributeNames.begin(), AttributeNames.end(), name);
        return std::to_string(it - AttributeNames.begin());
    }
    static FormAction choose(const std::string& name) {
        return {FormAction::Kind::Choose, "cmbAttributes", indexOf(name), {}};
    }
    static FormAction address(const std::string& text) {
        return {FormAction::Kind::Set, "txtSymbolExchange", text, {}};
    }
    static FormAction click(const std::string& button) {
        return {FormAction::Kind::Click, button, {}, {}};
    }
    void run(std::vector<FormAction> actions) {
        forms::scriptedDriver().queueFormActions("frmAttr", std::move(actions));
        ShowAttributeDialog();
    }
    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& m : forms::scriptedDriver().messages())
            out.push_back(m.prompt);
        return out;
    }
    std::string formulaB5() { return host_.range("B5").formula(); }

    sheet::Application host_;
};

TEST_F(frmAttrTest, WritesTheChosenFunctionOverTheTypedAddress) {
    refresh::IdleTickCount = 7;
    run({choose("KavexLast"), address("B3"), click("cmdSelect")});
    EXPECT_EQ(formulaB5(), "=KavexLast(B3)");
    EXPECT_TRUE(prompts().empty());
    EXPECT_EQ(refresh::IdleTickCount, 0);
    const auto& shown = forms::scriptedDriver().formsShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, "frmAttr");
    EXPECT_TRUE(shown[0].modal);
}

TEST_F(frmAttrTest, OkClosesTheDialogOnlyAfterAWrite) {
    frmAttr dialog;
    forms::scriptedDriver().queueFormActions(
        "frmAttr", {choose("KavexLast"), address("B3"), click("cmdSelect")});
    dialog.Show(forms::vbModeless);
    EXPECT_FALSE(dialog.isLoaded());
    EXPECT_EQ(formulaB5(), "=KavexLast(B3)");
}

TEST_F(frmAttrTest, AFailedActivationIsLoggedAndTheDialogStaysOpen) {
    addin::testing::TempFolder folder("kavex-frmattr");
    const std::string savedPath = core::AddInPath;
    const short savedLevel = core::LogLevel;
    core::AddInPath = folder.withSeparator();
    core::LogLevel = 1;
    core::ExcelApp = nullptr;  // no active cell to show
    frmAttr dialog;
    forms::scriptedDriver().queueFormActions("frmAttr", {});
    dialog.Show(forms::vbModeless);
    core::AddInPath = savedPath;
    core::LogLevel = savedLevel;

    EXPECT_TRUE(dialog.isLoaded());
    EXPECT_EQ(dialog.control("cmbAttributes").ListCount(), 207);
    EXPECT_EQ(dialog.control("lblCurrentCell").Caption(), "");
    std::vector<std::string> lines = folder.lines("KavexLog.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\tUserForm_Activate\t"), std::string::npos) << lines[0];
    EXPECT_FALSE(lines[0].ends_with("\tUserForm_Activate\t")) << "the cause is missing";
    dialog.Unload();
}

TEST_F(frmAttrTest, OffersEveryRowOfTheNameTableIncludingThoseWithoutAFunction) {
    run({choose("KavexYearRange"), address("A1"), click("cmdSelect")});
    EXPECT_EQ(formulaB5(), "=KavexYearRange(A1)");
    run({choose("KavexEXCGDataASOF"), address("$C$2"), click("cmdSelect")});
    EXPECT_EQ(formulaB5(), "=KavexEXCGDataASOF($C$2)");
}

TEST_F(frmAttrTest, RefusesTheSeparatorAndAMissingChoiceAndKeepsTheDialogOpen) {
    run({choose("-------------- EXCHANGE --------------"), address("B3"), click("cmdSelect"),
         click("cmdCancel")});
    run({address("B3"), click("cmdSelect"), click("cmdCancel")});
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Select a valid attribute.",
                                                   "The Attribute should not be empty."}));
    EXPECT_EQ(formulaB5(), "");
    const auto& box = forms::scriptedDriver().messages().front();
    EXPECT_EQ(box.title, "Kavex");
    EXPECT_EQ(box.style, forms::vbExclamation);
}

TEST_F(frmAttrTest, RefusesAnEmptyAddressButNotBlanks) {
    run({choose("KavexLast"), click("cmdSelect"), click("cmdCancel")});
    EXPECT_EQ(prompts(), (std::vector<std::string>{"The Cell value should not be empty."}));
    EXPECT_EQ(formulaB5(), "");
    // Blanks are an address as far as the dialog is concerned; the host decides.
    forms::scriptedDriver().reset();
    run({choose("KavexLast"), address("  "), click("cmdSelect")});
    EXPECT_TRUE(prompts().empty());
    EXPECT_TRUE(formulaB5().starts_with("=KavexLast(")) << formulaB5();
}

TEST_F(frmAttrTest, AnAddressTheHostCannotReadWritesNothing) {
    host_.range("B5").setValue("kept");
    run({choose("KavexLast"), address("B3 +"), click("cmdSelect"), click("cmdCancel")});
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Invalid Symbol/Exchange Cell Address."}));
    EXPECT_EQ(host_.range("B5").value(), base::Variant("kept"));
}

TEST_F(frmAttrTest, FocusReturnsToTheAddressAfterARefusedFormula) {
    frmAttr dialog;
    forms::scriptedDriver().queueFormActions(
        "frmAttr", {choose("KavexLast"), address("(("), click("cmdSelect")});
    dialog.Show(forms::vbModeless);
    EXPECT_TRUE(dialog.isLoaded());
    EXPECT_TRUE(dialog.Enabled());
    ASSERT_NE(dialog.activeControl(), nullptr);
    EXPECT_EQ(dialog.activeControl()->Name(), "txtSymbolExchange");
    EXPECT_EQ(dialog.control("txtSymbolExchange").Text(), "((");
}

TEST_F(frmAttrTest, ActivationShowsTheActiveCellAndLaysOutTheRule) {
    frmAttr dialog;
    forms::scriptedDriver().queueFormActions("frmAttr", {});
    dialog.Show(forms::vbModeless);
    EXPECT_EQ(dialog.Caption(), "Kavex - Set Attribute");
    EXPECT_EQ(dialog.control("lblCurrentCell").Caption(), "$B$5");
    EXPECT_EQ(dialog.control("cmbAttributes").ListCount(), 207);
    const auto& heading = dialog.control("lblHeading").layout();
    const auto& list = dialog.control("cmbAttributes").layout();
    const auto& line1 = dialog.control("Line1").layout();
    const auto& line2 = dialog.control("Line2").layout();
    EXPECT_EQ(line1.X1, heading.Left + heading.Width + 7);
    EXPECT_EQ(line1.X2, list.Left + list.Width);
    EXPECT_EQ(line1.Y1, heading.Top + heading.Height - 1);
    EXPECT_EQ(line2.Y1, heading.Top + heading.Height);
    EXPECT_EQ(line2.X1, line1.X1);
    dialog.Unload();
}

TEST_F(frmAttrTest, CancelWritesNothing) {
    refresh::IdleTickCount = 3;
    run({choose("KavexLast"), address("B3"), click("cmdCancel")});
    EXPECT_EQ(formulaB5(), "");
    EXPECT_EQ(refresh::IdleTickCount, 0);
}

}  // namespace
}  // namespace kavex::addin::functions
