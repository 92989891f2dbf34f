#include "platform/forms/Control.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/forms/Form.h"
#include "tests/platform/base/ErrorNumber.h"

namespace kavex::forms {
namespace {

using base::testing::errorNumber;

TEST(ControlTest, ListsKeepIndexTextAndRaiseChangeThenClick) {
    Form form("frmList");
    Control& combo = form.add(ControlKind::ComboBox, "cmbList");
    std::vector<std::string> events;
    combo.setOnChange([&] { events.push_back("Change"); });
    combo.setOnClick([&] { events.push_back("Click"); });
    combo.AddItem("b");
    combo.AddItem("a", 0);
    combo.AddItem("c");
    EXPECT_EQ(combo.ListCount(), 3);
    EXPECT_EQ(combo.List(0), "a");
    EXPECT_EQ(combo.ListIndex(), -1);

    combo.setListIndex(2);
    EXPECT_EQ(combo.Text(), "c");
    EXPECT_EQ(events, (std::vector<std::string>{"Change", "Click"}));
    combo.setListIndex(2);  // no change, no events
    EXPECT_EQ(events.size(), 2u);

    combo.RemoveItem(0);
    EXPECT_EQ(combo.ListIndex(), 1);
    combo.setText("B");  // typing selects the row that reads the same
    EXPECT_EQ(combo.ListIndex(), 0);
    EXPECT_EQ(combo.Text(), "b");
    combo.setText("free text");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Value(), base::Variant("free text"));

    EXPECT_EQ(errorNumber([&] { combo.setListIndex(5); }), 380);
    EXPECT_EQ(errorNumber([&] { combo.List(-1); }), 381);
    combo.Clear();
    EXPECT_EQ(combo.ListCount(), 0);
    EXPECT_EQ(combo.Text(), "");
}

TEST(ControlTest, AListBoxValueIsNullWithoutASelection) {
    Form form("frmList");
    Control& list = form.add(ControlKind::ListBox, "lstItems");
    list.AddItem("x");
    EXPECT_TRUE(list.Value().isNull());
    list.setValue(base::Variant("x"));
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_EQ(errorNumber([&] { list.setText("y"); }), 380);
}

TEST(ControlTest, OptionButtonsOfAGroupExcludeEachOther) {
    Form form("frmOptions");
    Control& a = form.add(ControlKind::OptionButton, "optA");
    Control& b = form.add(ControlKind::OptionButton, "optB");
    Control& c = form.add(ControlKind::OptionButton, "optC");
    c.setContainer("fraOther");
    int clicksB = 0;
    b.setOnClick([&] { ++clicksB; });
    a.setValue(base::Variant(true));
    c.setValue(base::Variant(true));
    b.click();
    EXPECT_FALSE(a.Value().boolean());
    EXPECT_TRUE(b.Value().boolean());
    EXPECT_TRUE(c.Value().boolean());  // another frame, another group
    EXPECT_EQ(clicksB, 1);
}

TEST(ControlTest, CheckBoxesToggleAndTextBoxesRaiseChangeOnlyOnChange) {
    Form form("frmChecks");
    Control& check = form.add(ControlKind::CheckBox, "chkA");
    Control& text = form.add(ControlKind::TextBox, "txtA");
    int changes = 0;
    text.setOnChange([&] { ++changes; });
    check.click();
    EXPECT_TRUE(check.Value().boolean());
    check.click();
    EXPECT_FALSE(check.Value().boolean());
    text.setText("abc");
    text.setText("abc");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(text.Value(), base::Variant("abc"));
    EXPECT_EQ(errorNumber([&] { check.AddItem("x"); }), 438);
}

TEST(ControlTest, ProgressBarsStayWithinMinAndMax) {
    Form form("frmProgress");
    Control& bar = form.add(ControlKind::ProgressBar, "prgBar");
    bar.setMax(10);
    bar.setValue(base::Variant(7));
    EXPECT_EQ(bar.Value(), base::Variant(7.0));
    EXPECT_EQ(errorNumber([&] { bar.setValue(base::Variant(11)); }), 380);
    EXPECT_EQ(errorNumber([&] { bar.setMin(20); }), 380);
}

TEST(ControlTest, FocusNeedsAnEnabledVisibleControl) {
    Form form("frmFocus");
    Control& text = form.add(ControlKind::TextBox, "txtA");
    text.SetFocus();
    EXPECT_EQ(form.activeControl(), &text);
    text.setEnabled(false);
    EXPECT_NE(errorNumber([&] { text.SetFocus(); }), 0);
}

TEST(ControlTest, ControlNamesAreUniqueAndFoundWithoutRegardToCase) {
    Form form("frmNames");
    form.add(ControlKind::Label, "lblA", "A");
    EXPECT_EQ(form.control("LBLA").Caption(), "A");
    EXPECT_EQ(errorNumber([&] { form.add(ControlKind::Label, "lbla"); }), 380);
    EXPECT_EQ(errorNumber([&] { form.control("missing"); }), 424);
}

// A form starts in the runtime's default font; a control added to it takes the form's font of
// that moment and keeps its own afterwards.
TEST(ControlTest, FormsAndControlsCarryAFont) {
    Form form("frmFont");
    EXPECT_EQ(form.Font().Name(), StdFont::kDefaultName);
    EXPECT_EQ(form.Font().Size(), 8);
    EXPECT_FALSE(form.Font().Bold());
    Control& before = form.add(ControlKind::Label, "lblBefore");
    EXPECT_EQ(before.Font(), form.Font());

    form.Font().setName("Tahoma");
    form.Font().setSize(9.5);
    form.Font().setBold(true);
    Control& after = form.add(ControlKind::CommandButton, "cmdAfter");
    EXPECT_EQ(after.Font().Name(), "Tahoma");
    EXPECT_EQ(after.Font().Size(), 9.5);
    EXPECT_TRUE(after.Font().Bold());
    EXPECT_EQ(before.Font().Name(), StdFont::kDefaultName);

    after.Font().setBold(false);
    after.Font().setItalic(true);
    after.Font().setUnderline(true);
    EXPECT_TRUE(form.Font().Bold());
    EXPECT_TRUE(after.Font().Italic());
    EXPECT_TRUE(after.Font().Underline());
}

TEST(ControlTest, AFontRefusesAnEmptyNameAndSizesOutOfRange) {
    StdFont font;
    EXPECT_EQ(errorNumber([&] { font.setName(""); }), 380);
    EXPECT_EQ(errorNumber([&] { font.setSize(0); }), 380);
    EXPECT_EQ(errorNumber([&] { font.setSize(-8); }), 380);
    EXPECT_EQ(errorNumber([&] { font.setSize(2161); }), 380);
    EXPECT_EQ(errorNumber([&] { font.setSize(std::numeric_limits<double>::infinity()); }), 380);
    EXPECT_EQ(font, StdFont{});
    font.setSize(2160);
    EXPECT_EQ(font.Size(), 2160);
}

}  // namespace
}  // namespace kavex::forms
