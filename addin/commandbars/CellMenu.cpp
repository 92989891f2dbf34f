#include "addin/commandbars/CellMenu.h"

#include <array>
#include <string>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/commandbars/CommandDispatcher.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Menus.h"
#include "platform/office/CommandBarButton.h"

namespace kavex::addin::commandbars {

namespace {

struct CellMenuEntry {
    std::string_view caption;
    std::string_view parameter;
};

// In the order they appear at the end of the "Cell" menu.
constexpr std::array<CellMenuEntry, 4> kCellMenuEntries{{
    {kSetAttributeEntry, "Set Kavex Attribute"},
    {core::kVisualAlertDetails, "Visual Alert Details"},
    {core::kRemoveVisualAlert, "Remove Visual Alert"},
    {core::kDeleteTransaction, "Delete Transaction"},
}};

std::shared_ptr<office::CommandBar> cellMenu() {
    return core::ExcelCommandBars.Item(kCellMenuName);
}

}  // namespace

void AddCellMenuEntries() {
    core::WriteLog("AddCellMenuEntries", 3, "Entering");
    RemoveCellMenuEntries();
    BindCommandBarEvents();
    auto menu = cellMenu();
    bool first = true;
    for (const CellMenuEntry& entry : kCellMenuEntries) {
        if (!IsCommandKey(entry.parameter)) {
            continue;
        }
        auto button = menu->Controls().AddButton(0, true);
        button->setCaption(std::string(entry.caption));
        button->setStyle(office::MsoButtonStyle::Caption);
        button->setTag(std::string(kButtonTag));
        button->setParameter(std::string(entry.parameter));
        button->setBeginGroup(first);
        first = false;
    }
    core::WriteLog("AddCellMenuEntries", 3, "Exiting");
}

void RemoveCellMenuEntries() {
    for (const CellMenuEntry& entry : kCellMenuEntries) {
        // Every copy: an earlier session that ended without its clean-up may have left one.
        try {
            auto menu = cellMenu();
            for (const auto& control : menu->Controls().All()) {
                if (!control->isDeleted() && !control->BuiltIn() &&
                    LowerCase(control->Caption()) == LowerCase(entry.caption)) {
                    control->Delete();
                }
            }
        } catch (const std::exception&) {
            // The clean-up goes on whatever one entry does.
        }
    }
}

}  // namespace kavex::addin::commandbars
