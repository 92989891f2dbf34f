#include "addin/commandbars/Bars.h"

#include <array>
#include <string>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/CellMenu.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "platform/office/CommandBarButton.h"
#include "platform/office/CommandBarPopup.h"

namespace kavex::addin::commandbars {

namespace {

// One entry of the add-in's menu.
struct MenuEntry {
    std::string_view caption;
    std::string_view parameter;  // the command key, as shown
    bool needsSession;
    bool beginGroup;
};

constexpr std::string_view kMenuCaption = "&Kavex";

constexpr std::array<MenuEntry, 5> kMenuEntries{{
    {"&Login", "Login", false, false},
    {"Log&out", "Logout", true, false},
    {"&Update Now", "ToolbarUpdateNow", true, true},
    {"Auto Update &Settings...", "ToolbarUpdateFrom", true, false},
    {"&Options...", "Options", true, true},
}};

// One page of the product's web site on the promotion toolbar.
struct PromoEntry {
    std::string_view caption;
    std::string_view page;
};

constexpr std::array<PromoEntry, 3> kPromoEntries{{
    {"Feedback", "feedback.jsp"},
    {"Product Tour", "producttour.jsp"},
    {"Try Kavex", "tryKavex.jsp"},
}};

const MenuEntry* menuEntryOf(std::string_view commandKey) {
    for (const MenuEntry& entry : kMenuEntries) {
        if (LowerCase(entry.parameter) == commandKey) {
            return &entry;
        }
    }
    return nullptr;
}

std::shared_ptr<office::CommandBar> newBar(std::string_view name, office::MsoBarPosition position) {
    DeleteCommandBar(name);
    auto bar = core::ExcelCommandBars.Add(std::string(name), position, true);
    bar->setVisible(true);
    return bar;
}

// The menu's popup, or null.
std::shared_ptr<office::CommandBarPopup> kavexMenu() {
    auto bar = FindCommandBar(kMenuBarName);
    if (!bar) {
        return nullptr;
    }
    for (const auto& control : bar->Controls().All()) {
        if (auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(control)) {
            return popup;
        }
    }
    return nullptr;
}

}  // namespace

void DeleteCommandBar(std::string_view name) {
    // A name could have been added twice by different spellings; delete every match.
    while (auto bar = FindCommandBar(name)) {
        bar->Delete();
    }
}

void RemoveOldCommandBars() {
    core::WriteLog("RemoveOldCommandBars", 3, "Entering");
    for (std::string_view name : {kLoginBarName, kMenuBarName, kToolbarName, kPromoToolbarName}) {
        RunStep("RemoveOldCommandBars", "deleting the bar " + std::string(name),
                [name] { DeleteCommandBar(name); });
    }
    RemoveCellMenuEntries();
    KavexToolbar.reset();
    AutoUpdateButton.reset();
    RefreshIntervalCombo.reset();
    CreateAlertButton.reset();
    core::WriteLog("RemoveOldCommandBars", 3, "Exiting");
}

void CreateLoginBar() {
    core::WriteLog("CreateLoginBar", 3, "Entering");
    BindCommandBarEvents();
    auto bar = newBar(kLoginBarName, office::MsoBarPosition::Top);
    auto login = bar->Controls().AddButton(0, true);
    login->setCaption("Login");
    login->setStyle(office::MsoButtonStyle::Caption);
    login->setTooltipText("Login to Kavex");
    login->setTag(std::string(kButtonTag));
    login->setParameter("Login");
    core::WriteLog("CreateLoginBar", 3, "Exiting");
}

void CreateKavexMenu() {
    core::WriteLog("CreateKavexMenu", 3, "Entering");
    BindCommandBarEvents();
    auto bar = newBar(kMenuBarName, office::MsoBarPosition::Top);
    auto popup = bar->Controls().AddPopup(0, true);
    popup->setCaption(std::string(kMenuCaption));
    for (const MenuEntry& entry : kMenuEntries) {
        // A command that this build does not carry gets no entry rather than a dead one.
        if (!IsCommandKey(entry.parameter)) {
            continue;
        }
        auto button = popup->Controls().AddButton(0, true);
        button->setCaption(std::string(entry.caption));
        button->setStyle(office::MsoButtonStyle::Caption);
        button->setTag(std::string(kButtonTag));
        button->setParameter(std::string(entry.parameter));
        button->setBeginGroup(entry.beginGroup);
        button->setEnabled(!entry.needsSession);
    }
    RunStep("CreateKavexMenu", "adding the cell menu entries", [] { AddCellMenuEntries(); });
    core::WriteLog("CreateKavexMenu", 3, "Exiting");
}

void EnableKavexMenus() {
    core::WriteLog("EnableKavexMenus", 3, "Entering");
    auto popup = kavexMenu();
    if (popup) {
        for (const auto& control : popup->Controls().All()) {
            if (const MenuEntry* entry = menuEntryOf(LowerCase(control->Parameter()))) {
                control->setEnabled(entry->needsSession);
            }
        }
    }
    core::WriteLog("EnableKavexMenus", 3, "Exiting");
}

void CreatePromoToolbar() {
    core::WriteLog("CreatePromoToolbar", 3, "Entering");
    BindCommandBarEvents();
    auto bar = newBar(kPromoToolbarName, office::MsoBarPosition::Top);
    for (const PromoEntry& entry : kPromoEntries) {
        auto button = bar->Controls().AddButton(0, true);
        button->setCaption(std::string(entry.caption));
        button->setStyle(office::MsoButtonStyle::Caption);
        button->setTag(std::string(kPromoButtonTag));
        button->setParameter(core::WebsiteURL + "/" + std::string(entry.page));
    }
    core::WriteLog("CreatePromoToolbar", 3, "Exiting");
}

void RemoveKavexCommandBars() {
    core::WriteLog("RemoveKavexCommandBars", 3, "Entering");
    RemoveOldCommandBars();
    core::WriteLog("RemoveKavexCommandBars", 3, "Exiting");
}

}  // namespace kavex::addin::commandbars
