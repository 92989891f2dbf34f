#pragma once

#include <string>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/ScenarioContext.h"

namespace kavex::tool {

// Helpers shared by the host command groups: resolving what a script names, and showing values
// as text. Each throws ScriptError (status 2) when the script names something that is not there.

// The active workbook; ScriptError when none is open.
sheet::Workbook activeWorkbook(ScenarioContext& context);
// A reference (A1, A1:B3, Sheet!A1, 'Sheet name'!A1:B2, a defined name) in the active workbook,
// on the active sheet unless it names its sheet.
sheet::Range resolveReference(ScenarioContext& context, const std::string& reference);
// The same, for a reference that must be one cell.
sheet::Range resolveCell(ScenarioContext& context, const std::string& reference);
// A sheet of the active workbook by name.
sheet::Worksheet resolveSheet(ScenarioContext& context, const std::string& name);
// An open workbook by name.
sheet::Workbook resolveWorkbook(ScenarioContext& context, const std::string& name);
// Makes the range's sheet the active one first, as a user goes to a sheet before acting on it.
void goToSheetOf(ScenarioContext& context, const sheet::Range& range);

// "Sheet1!A1", "Sheet1!A1:B3" (no dollar signs), as reports and recorded events name cells.
std::string cellName(const sheet::Range& range);
// A value as scripts compare it: numbers and dates as the runtime's CStr, True/False, errors as
// the cell shows them (#N/A), "" for Empty, <mixed> for Null (cells that differ).
std::string valueText(const base::Variant& value);

}  // namespace kavex::tool
