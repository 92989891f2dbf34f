#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/office/CommandBarButton.h"
#include "platform/office/CommandBarComboBox.h"

namespace kavex::addin::commandbars {

// The one dispatcher of the add-in's commands. A command key is the lower-cased Parameter of a
// control tagged "KavexButton"; every key has one handler. Running any command counts as user
// activity (IdleTickCount := 0).
//
// Keys available now: "login", "logout", "options", "set kavex attribute", "auto update",
// "stop update", "lstautoupdate", "update now", "toolbarupdatenow", "toolbarupdatefrom" -- those
// of the last six whose handler exists in this build (CommandKeys() lists them).

// Runs the command of the key (compared without regard to case). False, with nothing run but a
// level-2 log line, for a key that has no handler.
bool DispatchCommand(std::string_view commandKey);

// True when the key has a handler.
bool IsCommandKey(std::string_view commandKey);

// The keys that have a handler, in the order of the command table.
std::vector<std::string> CommandKeys();

// The Click of every "KavexButton" button and the Change of the interval list: both run the
// control's command key.
void KavexButton_Click(const std::shared_ptr<office::CommandBarButton>& ctrl, bool& cancelDefault);
void KavexCombo_Change(const std::shared_ptr<office::CommandBarComboBox>& ctrl);
// The Click of a promotion-toolbar button: ProcessPromoButtonClick with its caption and page, then
// the page is opened.
void KavexPromoButton_Click(const std::shared_ptr<office::CommandBarButton>& ctrl,
                            bool& cancelDefault);

// Binds the three handlers to the tags of the host's command bars (core's ExcelCommandBars);
// done whenever bars are built, so that a fresh host gets them too.
void BindCommandBarEvents();

}  // namespace kavex::addin::commandbars
