#pragma once

#include <string>

namespace kavex::addin::session {

// The splash window's status texts during a login.
inline constexpr const char* kProgressAuthentication = "User Authentication...";
inline constexpr const char* kProgressSettings = "Initialising the settings...";
inline constexpr const char* kProgressTimer = "Initializing the timer...";
inline constexpr const char* kProgressFeatures = "Enabling the Kavex features...";

// The login flow: rebuilds the start-up tables, puts up the login bar and the menu, shows the
// splash window, opens the database and loads the configuration, obtains a first-run account
// when none is stored, shows the login dialog and sends the login. On success it builds the
// toolbars, enables the menus, sets up the timers and queues the first fetch jobs, and returns
// True with UserSessionKey set (the splash window stays up for the workbook activation to close).
// Otherwise (cancelled, refused, servers unreachable) it closes the splash window, leaves no
// session and returns False.
bool ProcessLogin();

// Ends the session with the reason: switches the timers off and releases them, tells the web
// service, writes the six settings back to the configuration and, unless AddInState is
// "UnInstall", puts the login bar back.
void ProcessLogoutUser(const std::string& reason);

// Logs out with the reason ("Logout Normal" when empty) when a session exists, resets AddInState
// from "UnInstall", removes the add-in's command bars and releases the start-up tables.
void ShutdownAddIn(const std::string& reason);

}  // namespace kavex::addin::session
