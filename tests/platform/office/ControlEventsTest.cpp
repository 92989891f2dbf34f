#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/PlatformError.h"
#include "platform/office/CommandBars.h"

namespace kavex::office {
namespace {

struct Toolbar {
    CommandBars bars;
    std::shared_ptr<CommandBar> bar = bars.Add("KavexToolbar", MsoBarPosition::Top, true);
    std::shared_ptr<CommandBarButton> button = bar->Controls().AddButton();
    std::shared_ptr<CommandBarComboBox> combo = bar->Controls().AddComboBox();

    Toolbar() {
        bar->setVisible(true);
        button->setTag("KavexButton");
        button->setParameter("Auto Update");
        combo->setTag("KavexCombo");
        for (const char* item : {"Every 30 Secs", "Every 60 Secs", "Off"}) {
            combo->AddItem(item);
        }
    }
};

TEST(ButtonClick, RunsOwnThenTagHandlerThenMacro) {
    Toolbar t;
    std::vector<std::string> calls;
    t.button->setOnClick(
        [&](const auto& ctrl, bool&) { calls.push_back("own " + ctrl->Parameter()); });
    t.bars.bindClick("KavexButton",
                     [&](const auto& ctrl, bool&) { calls.push_back("tag " + ctrl->Parameter()); });
    t.bars.setMacroRunner([&](const std::string& macro) { calls.push_back("macro " + macro); });
    t.button->setOnAction("DoIt");
    EXPECT_TRUE(t.button->click());
    EXPECT_EQ(calls,
              (std::vector<std::string>{"own Auto Update", "tag Auto Update", "macro DoIt"}));
}

TEST(ButtonClick, TagHandlerServesEveryButtonOfThatTag) {
    Toolbar t;
    const auto other = t.bars.Item("Cell")->Controls().AddButton(0, true);
    other->setTag("KavexButton");
    other->setParameter("Update Now");
    std::vector<std::string> keys;
    t.bars.bindClick("KavexButton",
                     [&](const auto& ctrl, bool&) { keys.push_back(ctrl->Parameter()); });
    EXPECT_TRUE(other->click());  // a context-menu entry needs no visible bar
    EXPECT_TRUE(t.button->click());
    EXPECT_EQ(keys, (std::vector<std::string>{"Update Now", "Auto Update"}));
    t.bars.bindClick("KavexButton", nullptr);
    EXPECT_TRUE(t.button->click());
    EXPECT_EQ(keys.size(), 2u);
}

TEST(ButtonClick, UnreachableButtonsDoNothing) {
    Toolbar t;
    int clicks = 0;
    t.bars.bindClick("KavexButton", [&](const auto&, bool&) { ++clicks; });
    t.button->setEnabled(false);
    EXPECT_FALSE(t.button->click());
    t.button->setEnabled(true);
    t.bar->setVisible(false);
    EXPECT_FALSE(t.button->click());
    t.bar->setVisible(true);
    t.bar->setEnabled(false);
    EXPECT_FALSE(t.button->click());
    t.bar->setEnabled(true);

    const auto popup = t.bar->Controls().AddPopup();
    const auto inner = popup->Controls().AddButton();
    inner->setTag("KavexButton");
    popup->setEnabled(false);
    EXPECT_FALSE(inner->click());
    popup->setEnabled(true);
    EXPECT_TRUE(inner->click());
    EXPECT_EQ(clicks, 1);
}

TEST(ButtonClick, HandlerMayDeleteTheToolbar) {
    // A logout from a toolbar click removes the toolbar it was clicked on.
    Toolbar t;
    bool after = false;
    t.bars.bindClick("KavexButton", [&](const auto& ctrl, bool&) {
        t.bars.Item("KavexToolbar")->Delete();
        after = ctrl->isDeleted();
    });
    const std::weak_ptr<CommandBarButton> watch = t.button;
    EXPECT_TRUE(t.button->click());
    EXPECT_TRUE(after);
    t.button.reset();
    t.combo.reset();
    t.bar.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(ComboBox, ItemsAndSelection) {
    Toolbar t;
    auto& combo = *t.combo;
    EXPECT_EQ(combo.ListCount(), 3);
    EXPECT_EQ(combo.ListIndex(), 0);
    EXPECT_EQ(combo.Text(), "");
    combo.setListIndex(3);
    EXPECT_EQ(combo.Text(), "Off");
    EXPECT_EQ(combo.List(1), "Every 30 Secs");
    combo.AddItem("Every 10 Secs", 1);
    EXPECT_EQ(combo.ListIndex(), 4);  // the selection follows its item
    EXPECT_EQ(combo.List(1), "Every 10 Secs");
    combo.RemoveItem(2);
    EXPECT_EQ(combo.ListIndex(), 3);
    combo.RemoveItem(3);
    EXPECT_EQ(combo.ListIndex(), 0);
    EXPECT_EQ(combo.Text(), "");
    combo.setText("Every 60 Secs");
    EXPECT_EQ(combo.ListIndex(), 2);
    combo.setText("typed");
    EXPECT_EQ(combo.ListIndex(), 0);
    EXPECT_EQ(combo.Text(), "typed");
    combo.Clear();
    EXPECT_EQ(combo.ListCount(), 0);
    EXPECT_EQ(combo.Text(), "");
}

TEST(ComboBox, BadIndexesRaiseFive) {
    Toolbar t;
    auto& combo = *t.combo;
    for (auto call : std::vector<std::function<void()>>{
             [&] { combo.setListIndex(4); }, [&] { combo.setListIndex(-1); },
             [&] { combo.List(0); }, [&] { combo.RemoveItem(4); }, [&] { combo.AddItem("x", 5); },
             [&] { combo.setListIndexByUser(0); }}) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const base::PlatformError& error) {
            EXPECT_EQ(error.number(), base::errors::InvalidProcedureCall);
        }
    }
}

TEST(ComboBox, UserChoiceRaisesChangeButCodeDoesNot) {
    Toolbar t;
    std::vector<std::string> seen;
    t.combo->setOnChange([&](const auto& ctrl) { seen.push_back("own " + ctrl->Text()); });
    t.bars.bindChange("KavexCombo",
                      [&](const auto& ctrl) { seen.push_back("tag " + ctrl->Text()); });
    t.combo->setListIndex(1);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(t.combo->setListIndexByUser(3));
    EXPECT_EQ(seen, (std::vector<std::string>{"own Off", "tag Off"}));
    // Picking what is already shown changes nothing.
    EXPECT_TRUE(t.combo->setListIndexByUser(3));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(t.combo->setTextByUser("Every 45 Secs"));
    EXPECT_EQ(seen.back(), "tag Every 45 Secs");

    t.combo->setEnabled(false);
    EXPECT_FALSE(t.combo->setListIndexByUser(1));
    EXPECT_EQ(t.combo->ListIndex(), 0);
}

TEST(ComboBox, DropDownTakesNoTyping) {
    Toolbar t;
    const auto dropDown = t.bar->Controls().AddComboBox(MsoControlType::DropDown);
    EXPECT_THROW(dropDown->setTextByUser("x"), base::PlatformError);
}

}  // namespace
}  // namespace kavex::office
