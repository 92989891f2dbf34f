#include <gtest/gtest.h>

#include "platform/office/CommandBars.h"
#include "tests/platform/base/ErrorNumber.h"

namespace kavex::office {
namespace {

using base::testing::errorNumber;

TEST(CommandBars, StartWithTheCellMenu) {
    CommandBars bars;
    ASSERT_EQ(bars.Count(), 1);
    const auto cell = bars.Item("cell");
    EXPECT_EQ(cell->Name(), "Cell");
    EXPECT_TRUE(cell->BuiltIn());
    EXPECT_EQ(cell->Position(), MsoBarPosition::Popup);
    EXPECT_GT(cell->Controls().Count(), 0);
    EXPECT_EQ(cell->Controls().Item("copy")->Caption(), "&Copy");
    EXPECT_EQ(errorNumber([&] { cell->Delete(); }), base::errors::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([&] { cell->setVisible(true); }), base::errors::InvalidProcedureCall);
}

TEST(CommandBars, AddFindAndDeleteBarsByName) {
    CommandBars bars;
    const auto toolbar = bars.Add("KavexToolbar", MsoBarPosition::Top, true);
    EXPECT_FALSE(toolbar->Visible());
    EXPECT_TRUE(toolbar->Enabled());
    EXPECT_TRUE(toolbar->Temporary());
    EXPECT_EQ(bars.Item("KAVEXTOOLBAR"), toolbar);
    EXPECT_EQ(bars.Item(2), toolbar);
    EXPECT_EQ(toolbar->Index(), 2);
    EXPECT_EQ(errorNumber([&] { bars.Add("kavextoolbar"); }), base::errors::InvalidProcedureCall);
    EXPECT_EQ(bars.Add()->Name(), "Custom 1");
    EXPECT_EQ(bars.Add()->Name(), "Custom 2");

    toolbar->Delete();
    EXPECT_TRUE(toolbar->isDeleted());
    EXPECT_EQ(bars.Count(), 3);
    EXPECT_EQ(errorNumber([&] { bars.Item("KavexToolbar"); }), base::errors::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([&] { bars.Item(9); }), base::errors::InvalidProcedureCall);
    // A kept handle of a deleted bar raises instead of crashing.
    EXPECT_EQ(errorNumber([&] { toolbar->Visible(); }), ObjectDeletedError);
    EXPECT_EQ(errorNumber([&] { toolbar->Controls(); }), ObjectDeletedError);
    // The name is free again.
    EXPECT_NO_THROW(bars.Add("KavexToolbar"));
}

TEST(Controls, AddByPositionAndFindByIndexOrCaption) {
    CommandBars bars;
    auto controls = bars.Add("Bar")->Controls();
    const auto second = controls.AddButton();
    second->setCaption("&Refresh");
    const auto first = controls.AddButton(1);
    first->setCaption("Login");
    const auto list = controls.AddComboBox(MsoControlType::DropDown);
    EXPECT_EQ(controls.Count(), 3);
    EXPECT_EQ(controls.Item(1), first);
    EXPECT_EQ(controls.Item(2), second);
    EXPECT_EQ(second->Index(), 2);
    EXPECT_EQ(controls.Item("refresh"), second);
    EXPECT_EQ(list->Type(), MsoControlType::DropDown);
    EXPECT_EQ(errorNumber([&] { controls.Item(4); }), base::errors::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([&] { controls.Item("Logout"); }), base::errors::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([&] { controls.AddButton(5); }), base::errors::InvalidProcedureCall);

    const auto generic = controls.Add(MsoControlType::Button, 1, "auto update", 0, true);
    EXPECT_EQ(generic->Parameter(), "auto update");
    EXPECT_TRUE(generic->Temporary());
    EXPECT_NE(std::dynamic_pointer_cast<CommandBarButton>(generic), nullptr);
}

TEST(Controls, DeletedControlsRaiseInsteadOfCrashing) {
    CommandBars bars;
    const auto bar = bars.Add("Bar");
    const auto popup = bar->Controls().AddPopup();
    const auto inner = popup->Controls().AddButton();
    const auto button = bar->Controls().AddButton();
    button->Delete();
    EXPECT_EQ(bar->Controls().Count(), 1);
    EXPECT_EQ(errorNumber([&] { button->setCaption("x"); }), ObjectDeletedError);
    EXPECT_EQ(errorNumber([&] { button->click(); }), ObjectDeletedError);
    EXPECT_EQ(errorNumber([&] { button->Delete(); }), ObjectDeletedError);

    // Deleting the bar takes the popup and what it holds.
    const auto innerControls = popup->Controls();
    bar->Delete();
    EXPECT_TRUE(popup->isDeleted());
    EXPECT_TRUE(inner->isDeleted());
    EXPECT_EQ(errorNumber([&] { inner->Tag(); }), ObjectDeletedError);
    EXPECT_EQ(errorNumber([&] { innerControls.Count(); }), ObjectDeletedError);
}

TEST(Controls, PropertiesKeepWhatIsSet) {
    CommandBars bars;
    const auto button = bars.Add("Bar")->Controls().AddButton();
    button->setStyle(MsoButtonStyle::Icon);
    button->setWidth(20);
    button->setFaceId(343);
    button->setTooltipText("Set Auto Update mode Off");
    button->setTag("KavexButton");
    button->setParameter("Stop Update");
    button->setBeginGroup(true);
    button->setEnabled(false);
    EXPECT_EQ(button->Style(), MsoButtonStyle::Icon);
    EXPECT_EQ(button->Width(), 20);
    EXPECT_EQ(button->FaceId(), 343);
    EXPECT_EQ(button->TooltipText(), "Set Auto Update mode Off");
    EXPECT_EQ(button->Tag(), "KavexButton");
    EXPECT_EQ(button->Parameter(), "Stop Update");
    EXPECT_TRUE(button->BeginGroup());
    EXPECT_FALSE(button->Enabled());
    EXPECT_TRUE(button->Visible());
}

TEST(FindControl, SearchesEveryBarAndPopup) {
    CommandBars bars;
    const auto menu = bars.Add("Menu")->Controls().AddPopup();
    const auto nested = menu->Controls().AddButton();
    nested->setTag("KavexButton");
    const auto toolbar = bars.Add("Toolbar");
    const auto direct = toolbar->Controls().AddButton();
    direct->setTag("KavexButton");
    const auto cellEntry = bars.Item("Cell")->Controls().AddButton(0, true);
    cellEntry->setTag("KavexButton");

    // In bar order: "Cell" first, then the bars as they were added.
    EXPECT_EQ(bars.FindControl("KavexButton"), cellEntry);
    EXPECT_EQ(bars.FindControls("KavexButton"),
              (std::vector<std::shared_ptr<CommandBarControl>>{cellEntry, nested, direct}));
    EXPECT_EQ(toolbar->FindControl("KavexButton"), direct);
    EXPECT_EQ(bars.FindControl("nothing"), nullptr);
    cellEntry->Delete();
    nested->Delete();
    EXPECT_EQ(bars.FindControl("KavexButton"), direct);
}

}  // namespace
}  // namespace kavex::office
