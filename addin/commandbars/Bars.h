#pragma once

namespace kavex::addin::commandbars {

// Deletes the add-in's bars left from an earlier session (KavexLoginBar, KavexMenuBar,
// KavexToolbar, KavexPromoToolbar), ignoring bars that do not exist.
void RemoveOldCommandBars();
// The login bar (Login button) and the add-in's menu, shown before a session exists.
void CreateLoginBar();
void CreateKavexMenu();
// The main toolbar and the promotion toolbar, built once the user is authenticated.
void CreateKavexToolbar();
void CreatePromoToolbar();
// Enables the menu entries that need a session.
void EnableKavexMenus();
// Removes every bar of the add-in and its entries of the "Cell" context menu (shutdown).
void RemoveKavexCommandBars();

}  // namespace kavex::addin::commandbars
