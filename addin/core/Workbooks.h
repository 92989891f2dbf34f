#pragma once

#include "platform/spreadsheet/Workbook.h"

namespace kavex::addin::core {

// True when the workbook is one of the add-in's own: its sheet KavexInfo holds the range
// KavexVersion. With recordSizes True it also records the advert browser shapes' sizes. Any
// failure, a Nothing workbook included, gives False.
bool IsKavexWorkbook(const sheet::Workbook& workbook, bool recordSizes);

}  // namespace kavex::addin::core
