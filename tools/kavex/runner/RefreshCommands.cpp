#include <memory>
#include <string>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/AttributeColumns.h"
#include "platform/office/CommandBarComboBox.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

namespace commandbars = addin::commandbars;
namespace core = addin::core;

// choose KEY TEXT: the user picks the entry TEXT of the add-in's list whose command key is KEY.
// Picking the entry shown already changes nothing, as on the real toolbar.
void choose(ScenarioContext&, const CommandArgs& args) {
    const std::string key = commandbars::LowerCase(args[0]);
    for (const auto& control :
         core::ExcelCommandBars.FindControls(std::string(commandbars::kButtonTag))) {
        auto list = std::dynamic_pointer_cast<office::CommandBarComboBox>(control);
        if (!list || list->isDeleted() || commandbars::LowerCase(list->Parameter()) != key) {
            continue;
        }
        for (int index = 1; index <= list->ListCount(); ++index) {
            if (list->List(index) == args[1]) {
                if (!list->Enabled() || !list->Visible()) {
                    throw ExpectationFailed("a list the user can reach", "disabled or hidden",
                                            "choose " + args[0]);
                }
                list->setListIndexByUser(index);
                return;
            }
        }
        args.fail("the list '" + args[0] + "' has no entry '" + args[1] + "'");
    }
    args.fail("no list has the key '" + args[0] + "'");
}

// header-change REF: the add-in's handling of changed header captions, run on REF of its sheet as
// the sheet-change handler does when a user changes a managed sheet's header.
void headerChange(ScenarioContext& context, const CommandArgs& args) {
    if (core::ExcelApp == nullptr) {
        args.fail("the add-in is not loaded (addin load)");
    }
    const sheet::Range target = resolveReference(context, args[0]);
    const sheet::Worksheet sheet = target.worksheet();
    addin::refresh::ProcessAttributeHeaderChange(sheet, core::GetTheSheetType(sheet), target);
}

}  // namespace

void registerRefreshCommands(CommandTable& table) {
    table.add({"choose", "KEY TEXT",
               "picks the entry TEXT of the add-in's command-bar list with the command key KEY", 2,
               2, choose});
    table.add({"header-change", "REF",
               "runs the add-in's handling of changed header captions on the cells REF", 1, 1,
               headerChange});
}

}  // namespace kavex::tool
