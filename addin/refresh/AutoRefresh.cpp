#include "addin/refresh/AutoRefresh.h"

namespace kavex::addin::refresh {

// Automatic refresh is not built yet: a tick of the auto-refresh timer counts nothing and queues
// nothing. The timer itself, its handler and AutoRefreshTickCount are in place for it.
void ProcessAutoRefresh() {}

}  // namespace kavex::addin::refresh
