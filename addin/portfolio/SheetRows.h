#pragma once

#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::portfolio {

// Deletes a whole row of the sheet: the rows below move up with everything they hold.
void DeleteSheetRow(const sheet::Worksheet& sheet, int row);

}  // namespace kavex::addin::portfolio
