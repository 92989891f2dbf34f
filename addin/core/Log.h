#pragma once

#include <string_view>

namespace kavex::addin::core {

// Appends "date time <tab> procedure <tab> message" to KavexLog.txt in the add-in's folder when
// level is at or below the configured LOG_LEVEL (1 errors, 2 details, 3 entry/exit traces).
// Never fails towards the caller.
void WriteLog(std::string_view procedureName, short level, std::string_view message);

}  // namespace kavex::addin::core
