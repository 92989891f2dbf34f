#pragma once

#include <string_view>

namespace kavex::addin::core {

// The log file's name in the add-in's folder.
inline constexpr std::string_view kLogFileName = "KavexLog.txt";

// Appends "date time <tab> procedure <tab> message" to KavexLog.txt in the add-in's folder when
// level is at or below LogLevel (1 errors, 2 details, 3 entry/exit traces); with LogLevel 0
// nothing is written. The file stays open between calls, each line written through at once; a
// removed file is created again and a changed folder followed. Never fails towards the caller: a
// missing folder or an unwritable file loses the line and nothing else.
void WriteLog(std::string_view procedureName, short level, std::string_view message);

}  // namespace kavex::addin::core
