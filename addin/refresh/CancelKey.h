#pragma once

namespace kavex::addin::refresh {

// The host's cancel key during a refresh: off (0) while it runs, back to interrupt (1) after.
// Errors are ignored.
void DisableCancelKey();
void EnableCancelKeyInterrupt();

}  // namespace kavex::addin::refresh
