#pragma once

#include <string>

namespace kavex::addin::excelevents {

// The symbol cell and the alert-id cell of the active cell's row on a managed sheet, kept current
// by the selection-change handler and set when a sheet is entered.
inline std::string SelectedRowSymbol;
inline std::string SelectedRowAlertID;

}  // namespace kavex::addin::excelevents
