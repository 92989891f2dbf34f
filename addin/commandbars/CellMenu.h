#pragma once

#include <string_view>

namespace kavex::addin::commandbars {

// The host's context menu of worksheet cells.
inline constexpr std::string_view kCellMenuName = "Cell";
inline constexpr std::string_view kSetAttributeEntry = "Set Kavex Attribute...";

// Adds the add-in's entries to the "Cell" context menu (after removing any left from before):
// each entry is a button tagged "KavexButton" whose Parameter is its command key. Only entries
// whose command is available are added. The first entry begins a group.
void AddCellMenuEntries();

// Removes every entry the add-in may have put on the "Cell" menu ("Set Kavex Attribute..." and
// the others), ignoring errors.
void RemoveCellMenuEntries();

}  // namespace kavex::addin::commandbars
