#pragma once

#include <functional>

#include "platform/base/Date.h"

namespace kavex::db {

// The clock behind the SQL functions Now() and Date(): the machine's local time unless the host
// sets another one (the simulated clock of tests and scenarios). An empty function restores the
// machine's clock.
void setClock(std::function<base::Date()> now);
base::Date clockNow();

}  // namespace kavex::db
