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

// "delete transaction": the cell menu's "Delete Transaction...": on a portfolio history, deletes
// the transaction of the active cell's row after asking (as the row's delete link does); nothing
// on any other sheet.
void DeleteTransactionClick();

}  // namespace kavex::addin::commandbars
