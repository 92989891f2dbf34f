#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "addin/core/Errors.h"
#include "platform/office/CommandBar.h"

namespace kavex::addin::commandbars {

// The host's bar of that name, or null when there is none.
std::shared_ptr<office::CommandBar> FindCommandBar(std::string_view name);

// Lower case, as command keys are compared.
std::string LowerCase(std::string_view text);

using core::ErrorText;

// Runs one step that may fail without stopping the procedure: a failure is logged at level 1
// under the procedure's name and the next step runs. A dialog nobody answered is passed on (it is
// the caller's script that is wrong, not the add-in).
void RunStep(std::string_view procedure, std::string_view what,
             const std::function<void()>& action);

}  // namespace kavex::addin::commandbars
