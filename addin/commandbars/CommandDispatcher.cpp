#include "addin/commandbars/CommandDispatcher.h"

#include <array>

#include "addin/commandbars/BarSupport.h"
#include "addin/commandbars/Bars.h"
#include "addin/commandbars/Commands.h"
#include "addin/commandbars/RefreshIntervals.h"
#include "addin/commandbars/Toolbar.h"
#include "addin/core/Browser.h"
#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "addin/core/Promo.h"
#include "addin/functions/frmAttr.h"
#include "addin/portfolio/dialogs/TransactionCommands.h"
#include "addin/portfolio/dialogs/frmTransaction.h"
#include "addin/refresh/AutoUpdate.h"
#include "addin/refresh/IdleTime.h"
#include "addin/refresh/frmSetRefreshInterval.h"
#include "platform/forms/DialogDriver.h"

namespace kavex::addin::commandbars {

namespace {

struct CommandEntry {
    std::string_view key;
    void (*handler)();
};

// Every command key and its handler. A command of a part of the add-in that this build does not
// carry has no row, and no control is built for it.
constexpr auto kCommands = std::to_array<CommandEntry>({
    {"add transaction", portfolio::dialogs::ShowTransactionForm},
    {"delete transaction", DeleteTransactionClick},
    {"login", LoginClick},
    {"logout", LogoutClick},
    {"options", ShowOptionsDialog},
    {"set kavex attribute", functions::ShowAttributeDialog},
    {"auto update", refresh::StartAutoUpdate},
    {"stop update", refresh::StopAutoUpdate},
    {"lstautoupdate", refresh::ProcessAutoUpdateListChange},
    {"update now", refresh::UpdateData},
    {"toolbarupdatenow", refresh::ToolbarUpdateNow},
    {"toolbarupdatefrom", refresh::ShowRefreshIntervalDialog},
});

const CommandEntry* find(std::string_view commandKey) {
    const std::string key = LowerCase(commandKey);
    for (const CommandEntry& entry : kCommands) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

bool DispatchCommand(std::string_view commandKey) {
    static constexpr std::string_view kProcedure = "DispatchCommand";
    const std::string key = LowerCase(commandKey);
    refresh::IdleTickCount = 0;
    const CommandEntry* entry = find(key);
    if (entry == nullptr) {
        core::WriteLog(kProcedure, 2, "No command for the key " + key);
        return false;
    }
    core::WriteLog(kProcedure, 3, "Entering with Command Key :" + key);
    try {
        entry->handler();
    } catch (const forms::DialogFailure&) {
        throw;
    } catch (const std::exception& error) {
        core::WriteLog(kProcedure, 1,
                       "Error while processing the command " + key +
                           " Error description : " + ErrorText(error));
    }
    core::WriteLog(kProcedure, 3, "Exiting");
    return true;
}

bool IsCommandKey(std::string_view commandKey) {
    return find(commandKey) != nullptr;
}

std::vector<std::string> CommandKeys() {
    std::vector<std::string> keys;
    for (const CommandEntry& entry : kCommands) {
        keys.emplace_back(entry.key);
    }
    return keys;
}

void KavexButton_Click(const std::shared_ptr<office::CommandBarButton>& ctrl, bool& cancelDefault) {
    cancelDefault = true;
    if (ctrl) {
        DispatchCommand(ctrl->Parameter());
    }
}

void KavexCombo_Change(const std::shared_ptr<office::CommandBarComboBox>& ctrl) {
    if (!ctrl) {
        return;
    }
    // The interval list remembers the last interval chosen, so that switching automatic refresh
    // on from "Off" comes back to it.
    if (ctrl == RefreshIntervalCombo && ctrl->ListIndex() > 0 && ctrl->Text() != kIntervalOff) {
        RefreshListIndex = static_cast<short>(ctrl->ListIndex());
    }
    DispatchCommand(ctrl->Parameter());
}

void KavexPromoButton_Click(const std::shared_ptr<office::CommandBarButton>& ctrl,
                            bool& cancelDefault) {
    cancelDefault = true;
    if (!ctrl) {
        return;
    }
    refresh::IdleTickCount = 0;
    const std::string caption = ctrl->Caption();
    const std::string address = ctrl->Parameter();
    RunStep("KavexPromoButton_Click", "reporting the promotion click",
            [&] { core::ProcessPromoButtonClick(caption, address); });
    RunStep("KavexPromoButton_Click", "opening " + address,
            [&] { core::OpenURLInBrowser(address); });
}

void BindCommandBarEvents() {
    core::ExcelCommandBars.bindClick(std::string(kButtonTag), KavexButton_Click);
    core::ExcelCommandBars.bindChange(std::string(kButtonTag), KavexCombo_Change);
    core::ExcelCommandBars.bindClick(std::string(kPromoButtonTag), KavexPromoButton_Click);
}

}  // namespace kavex::addin::commandbars
