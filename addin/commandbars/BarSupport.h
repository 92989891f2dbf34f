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

using core::RunStep;

}  // namespace kavex::addin::commandbars
