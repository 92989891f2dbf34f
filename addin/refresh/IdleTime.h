#pragma once

namespace kavex::addin::refresh {

// Idle minutes counted by the session timer; every user command and dialog action sets it to 0.
inline short IdleTickCount = 0;

}  // namespace kavex::addin::refresh
