#pragma once

#include "platform/base/Variant.h"

namespace kavex::addin::alerts {

// Brings AQ_Alert in step with the web service's list of the user's active alerts: alerts the
// service no longer lists are deleted, the others inserted or updated (notification flags the
// service does not send keep their local value, '0' for a new row), all in one transaction.
// Returns the status word ("OK", a transport status or the service's error code); on a failure
// the table stays as it was.
base::Variant SyncAlerts();

}  // namespace kavex::addin::alerts
