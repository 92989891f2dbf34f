#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CellMenu.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/core/Globals.h"
#include "platform/base/PlatformError.h"
#include "platform/browser/BrowserRecord.h"
#include "platform/office/CommandBarPopup.h"
#include "tests/addin/commandbars/BarsFixture.h"

namespace kavex::addin::commandbars {
namespace {

using testing::BarsFixture;

class MenusTest : public BarsFixture {
  protected:
    static std::shared_ptr<office::CommandBarPopup> menu() {
        return std::dynamic_pointer_cast<office::CommandBarPopup>(
            core::ExcelCommandBars.Item("KavexMenuBar")->Controls().Item(1));
    }
    static std::shared_ptr<office::CommandBarControl> menuEntry(const std::string& parameter) {
        for (const auto& control : menu()->Controls().All()) {
            if (control->Parameter() == parameter) {
                return control;
            }
        }
        return nullptr;
    }
};

TEST_F(MenusTest, TheLoginBarCarriesTheLoginCommand) {
    CreateLoginBar();
    auto bar = core::ExcelCommandBars.Item("KavexLoginBar");
    EXPECT_TRUE(bar->Visible());
    ASSERT_EQ(bar->Controls().Count(), 1);
    auto login = bar->Controls().Item(1);
    EXPECT_EQ(login->Caption(), "Login");
    EXPECT_EQ(login->Tag(), "KavexButton");
    EXPECT_EQ(login->Parameter(), "Login");
    // Built again (after a logout), it is there once.
    CreateLoginBar();
    EXPECT_EQ(core::ExcelCommandBars.FindControls("KavexButton").size(), 1U);
}

TEST_F(MenusTest, TheMenuOffersLoginBeforeASessionAndTheRestAfter) {
    CreateKavexMenu();
    ASSERT_TRUE(menu());
    EXPECT_EQ(menu()->Caption(), "&Kavex");
    ASSERT_TRUE(menuEntry("Login"));
    ASSERT_TRUE(menuEntry("Logout"));
    ASSERT_TRUE(menuEntry("Options"));
    EXPECT_TRUE(menuEntry("Login")->Enabled());
    EXPECT_FALSE(menuEntry("Logout")->Enabled());
    EXPECT_FALSE(menuEntry("Options")->Enabled());

    EnableKavexMenus();
    EXPECT_FALSE(menuEntry("Login")->Enabled());
    EXPECT_TRUE(menuEntry("Logout")->Enabled());
    EXPECT_TRUE(menuEntry("Options")->Enabled());
}

TEST_F(MenusTest, EveryMenuEntryRunsACommandOfThisBuild) {
    CreateKavexMenu();
    for (const auto& control : menu()->Controls().All()) {
        EXPECT_EQ(control->Tag(), "KavexButton") << control->Caption();
        EXPECT_TRUE(IsCommandKey(control->Parameter())) << control->Parameter();
    }
    for (const auto& control : core::ExcelCommandBars.FindControls("KavexButton")) {
        EXPECT_TRUE(IsCommandKey(control->Parameter())) << control->Parameter();
    }
}

TEST_F(MenusTest, TheCellMenuGetsItsEntriesWithTheMenu) {
    CreateKavexMenu();
    EXPECT_EQ(addedCellEntries(),
              (std::vector<std::string>{"Set Kavex Attribute...", "Delete Transaction..."}));
    auto cell = core::ExcelCommandBars.Item("Cell");
    auto entry = cell->Controls().Item("Set Kavex Attribute...");
    EXPECT_EQ(entry->Tag(), "KavexButton");
    EXPECT_EQ(entry->Parameter(), "Set Kavex Attribute");
    EXPECT_TRUE(entry->BeginGroup());
    EXPECT_EQ(cell->Controls().Item("Delete Transaction...")->Parameter(), "Delete Transaction");
    // A second menu (after a logout) does not add a second entry.
    CreateKavexMenu();
    EXPECT_EQ(addedCellEntries().size(), 2U);
    EXPECT_EQ(cell->Controls().Item("Delete Transaction...")->Parameter(), "Delete Transaction");
}

TEST_F(MenusTest, TheCleanUpRemovesTheEntriesAndLeavesTheHostsOwn) {
    auto cell = core::ExcelCommandBars.Item("Cell");
    const int hostEntries = cell->Controls().Count();
    CreateKavexMenu();
    // A copy left by a session that ended without its clean-up.
    auto stray = cell->Controls().AddButton();
    stray->setCaption("Set Kavex Attribute...");
    ASSERT_EQ(cell->Controls().Count(), hostEntries + 3);

    RemoveCellMenuEntries();
    EXPECT_TRUE(addedCellEntries().empty());
    EXPECT_EQ(cell->Controls().Count(), hostEntries);
    // Nothing to remove is no failure.
    EXPECT_NO_THROW(RemoveCellMenuEntries());
}

TEST_F(MenusTest, ShutdownRemovesEveryBarAndEntry) {
    CreateLoginBar();
    CreateKavexMenu();
    CreateKavexToolbar();
    CreatePromoToolbar();
    EnableKavexMenus();
    RemoveKavexCommandBars();
    for (const char* name :
         {"KavexLoginBar", "KavexMenuBar", "KavexToolbar", "KavexPromoToolbar"}) {
        EXPECT_THROW(core::ExcelCommandBars.Item(name), base::PlatformError) << name;
    }
    EXPECT_TRUE(addedCellEntries().empty());
    EXPECT_TRUE(core::ExcelCommandBars.FindControls("KavexButton").empty());
    // Nothing left to remove: no failure either.
    EXPECT_NO_THROW(RemoveKavexCommandBars());
    EXPECT_NO_THROW(RemoveOldCommandBars());
}

TEST_F(MenusTest, PromotionButtonsOpenTheirPagesAndStayOutOfTheDispatcher) {
    core::WebsiteURL = "http://127.0.0.1:9";
    CreatePromoToolbar();
    auto bar = core::ExcelCommandBars.Item("KavexPromoToolbar");
    EXPECT_TRUE(bar->Visible());
    ASSERT_EQ(bar->Controls().Count(), 3);
    std::vector<std::string> pages;
    for (const auto& control : bar->Controls().All()) {
        EXPECT_EQ(control->Tag(), "KavexPromoButton");
        pages.push_back(control->Parameter());
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"http://127.0.0.1:9/feedback.jsp",
                                               "http://127.0.0.1:9/producttour.jsp",
                                               "http://127.0.0.1:9/tryKavex.jsp"}));

    refresh::IdleTickCount = 7;
    auto tour = std::dynamic_pointer_cast<office::CommandBarButton>(bar->Controls().Item(2));
    ASSERT_TRUE(tour->click());
    EXPECT_EQ(browser::lastOpenedAddress(), "http://127.0.0.1:9/producttour.jsp");
    EXPECT_EQ(refresh::IdleTickCount, 0);
}

}  // namespace
}  // namespace kavex::addin::commandbars
