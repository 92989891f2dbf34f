#pragma once

#include <string_view>

namespace kavex::addin::commandbars {

// The add-in's command bars.
inline constexpr std::string_view kLoginBarName = "KavexLoginBar";
inline constexpr std::string_view kMenuBarName = "KavexMenuBar";
inline constexpr std::string_view kToolbarName = "KavexToolbar";
inline constexpr std::string_view kPromoToolbarName = "KavexPromoToolbar";

// Every control that runs a command carries this tag; its Parameter, lower-cased, is the command
// key the one dispatcher (CommandDispatcher.h) runs.
inline constexpr std::string_view kButtonTag = "KavexButton";
// The promotion toolbar's buttons: Caption and, in Parameter, the page they open.
inline constexpr std::string_view kPromoButtonTag = "KavexPromoButton";

// Deletes the add-in's bars left from an earlier session (KavexLoginBar, KavexMenuBar,
// KavexToolbar, KavexPromoToolbar) and its cell context-menu entries, ignoring what does not
// exist.
void RemoveOldCommandBars();
// The login bar (a Login button), shown while no session exists.
void CreateLoginBar();
// The add-in's menu (KavexMenuBar) and its cell context-menu entries. The entries that need a
// session stay disabled until EnableKavexMenus.
void CreateKavexMenu();
// The main toolbar (Toolbar.h), built once the user is authenticated; it takes the place of the
// login bar, which it deletes.
void CreateKavexToolbar();
// The promotion toolbar: one button per page of the product's web site; a click reports the
// user action and opens the page.
void CreatePromoToolbar();
// Enables the menu entries that need a session and disables Login.
void EnableKavexMenus();
// Removes every bar of the add-in and its entries of the "Cell" context menu (shutdown), and
// forgets the toolbar's controls.
void RemoveKavexCommandBars();

// Deletes one bar by name, ignoring a bar that does not exist.
void DeleteCommandBar(std::string_view name);

}  // namespace kavex::addin::commandbars
