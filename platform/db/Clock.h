#pragma once

#include <functional>

#include "platform/base/Date.h"

namespace kavex::db {

// The clock behind the SQL functions Now() and Date(): the machine's clock (real or simulated, as
// the message loop keeps it) unless a test sets another one. An empty function restores the
// machine's clock.
void setClock(std::function<base::Date()> now);
base::Date clockNow();

}  // namespace kavex::db
