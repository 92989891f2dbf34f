#pragma once

#include <string>

namespace kavex::addin::session {

// The web-service session key; the empty text means that no session exists.
inline std::string UserSessionKey;

// Armed each time the start-up tables are built (and when they are released); the first reader
// call of a classic worksheet function clears it and shows the deprecation notice.
inline bool ShowDeprecatedMacroWarning = false;

}  // namespace kavex::addin::session
