#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/office/Constants.h"

namespace kavex::office::detail {

// What all bars and controls of one host share: the bars themselves, the event handlers bound by
// tag (the host raises a Click to every handler bound to a control with the clicked control's
// tag) and the runner of OnAction macros.
struct Hub {
    std::vector<std::shared_ptr<CommandBar>> bars;
    std::map<std::string, ClickHandler> clickHandlers;
    std::map<std::string, ChangeHandler> changeHandlers;
    MacroRunner macroRunner;
    int customBarCount = 0;
};

// The controls of a bar or a popup.
struct ControlList {
    std::vector<std::shared_ptr<CommandBarControl>> items;
    std::weak_ptr<Hub> hub;
    // The owner: a bar or a popup control (one of the two).
    std::weak_ptr<CommandBar> bar;
    std::weak_ptr<CommandBarControl> popup;
    bool deleted = false;
};

}  // namespace kavex::office::detail
