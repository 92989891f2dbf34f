#pragma once

#include <string>

namespace kavex::addin::core {

// A click on a promotion-toolbar button: queues the user-action report (pool command 6, type 12)
// with the reason caption & " - " & address.
void ProcessPromoButtonClick(const std::string& caption, const std::string& address);

}  // namespace kavex::addin::core
