#pragma once

namespace kavex::addin::commandbars {

// The handlers of the add-in's own commands.

// "login": the Login button. Starts the login as ProcessLoginIfRequired does for the active
// workbook: nothing while a session exists or a login is under way.
void LoginClick();

// "logout": ends the session ("Logout Normal"); nothing without a session.
void LogoutClick();

// "options": shows the options dialog (frmOptions) modally.
void ShowOptionsDialog();

}  // namespace kavex::addin::commandbars
