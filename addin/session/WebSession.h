#pragma once

#include <string>

#include "addin/marketdata/SymbolList.h"

namespace kavex::addin::session {

// The web-service operations of a session. Each returns "OK" or another status word: a transport
// status ("FAIL", "TIMEOUT", "CONNECTIVITYLOST") or the service's error code ("invalid_login",
// "invalid_session", "invalid_xml"); description says what failed. None throws.

// Login.jsp: on "OK" fills UserSessionKey, ExFeedReferrer and the login answer's values; on
// anything else changes nothing.
std::string LoginUser(const std::string& userId, const std::string& password,
                      std::string& description);

// Logout.jsp with the reason. Does not touch the session globals.
std::string LogoutUser(const std::string& sessionKey, const std::string& reason,
                       std::string& description);

// AuthenticateSession.jsp: "OK" while the session is valid.
std::string AuthenticateSession(const std::string& sessionKey, std::string& description);

// RegisterDummyUser.jsp: a first-run account.
std::string RegisterDummyUser(std::string& userId, std::string& password, std::string& description);

// UserActionInfo.jsp: the second text as the active worksheet, the third as the previous one, the
// type id and the fourth text as the reason; the first text is not sent.
std::string AddUserAction(const std::string& sessionKey, short typeId, const std::string& arg1,
                          const std::string& arg2, const std::string& arg3,
                          const std::string& arg4);

// Pool command 5: checks the session, then fetches what the active sheet shows -- the top list
// of arg2's kind for the exchange, the exchanges' statistics, or the quotes of the symbols (and
// the statistics of the exchanges the sheet's formulas use) -- and queues the "Screen Refresh"
// user action (type 11). An invalid session is ended ("Logout Session Invalid").
std::string RefreshData(const std::string& sessionKey, const std::string& exchange,
                        const marketdata::SymbolList& symbolList, short actionValue,
                        const std::string& arg1, const std::string& arg2, const std::string& arg3,
                        const std::string& arg4, std::string& description);

}  // namespace kavex::addin::session
