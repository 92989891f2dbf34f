#pragma once

#include <memory>
#include <string>

#include "addin/excelevents/clsXLApp.h"

namespace kavex::addin::session {

// The web-service session key; the empty text means that no session exists.
inline std::string UserSessionKey;
// Sent as the Referer header of quote requests; from the login answer.
inline std::string ExFeedReferrer;

// Armed each time the start-up tables are built (and when they are released); the first reader
// call of a classic worksheet function clears it and shows the deprecation notice.
inline bool ShowDeprecatedMacroWarning = false;

// The values of the login answer.
inline std::string LoginUserID;
// The server's date and time of the login; becomes LastLoginDate once the first symbol-list
// upkeep has been queued.
inline std::string LoginDate;
// "1": the dividends-and-splits step of pool command 8 runs.
inline std::string DivSplitProcessFlag;
// The shortest refresh interval, in seconds, the toolbar may offer.
inline short MinRefreshTime = 0;
// An address shown once in the message window after login ("" for none).
inline std::string BroadcastFile;
inline std::string LatestVersion;
inline std::string DownloadFlag;
inline std::string DownloadURL;

// True while the splash window is on screen during a login.
inline bool SplashVisible = false;
// "UnInstall" while the add-in workbook is being uninstalled: the logout then does not rebuild
// the login bar. ShutdownAddIn resets it.
inline std::string AddInState;
// Set by AddinInstance_Initialize; cleared once the add-in has connected.
inline bool AddInStartUp = false;

// The one event sink, created at connection.
inline std::unique_ptr<excelevents::clsXLApp> XLAppEvents;

// The reasons a session ends.
inline constexpr const char* kLogoutNormal = "Logout Normal";
inline constexpr const char* kLogoutSessionTimeout = "Logout Session Timeout";
inline constexpr const char* kLogoutSessionInvalid = "Logout Session Invalid";
inline constexpr const char* kLogoutMandatoryDownload = "Logout Mandatory Download";
inline constexpr const char* kLogoutNonMandatoryDownload = "Logout Non Mandatory Download";
inline constexpr const char* kUninstallAddin = "Uninstall Addin";

// Empties the session and the login answer's values (not the event sink).
void ClearSession();

}  // namespace kavex::addin::session
