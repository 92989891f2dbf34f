#pragma once

#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::refresh {

// The one password of the sheets a user must not edit.
inline constexpr const char* kProtectionPassword = "lantor";

// Protect or unprotect a sheet of a kind the user must not edit ("Vol Leaders", "Price
// Gainers", "Price Losers", "Details", "Exchange Stats"); other kinds are left alone. Nothing
// happens unless the active workbook is an add-in workbook, even for a sheet given explicitly. A
// Nothing sheet means the active sheet. Failing steps are skipped silently.
void ProtectWorksheet(const sheet::Worksheet& sheet = {});
void UnprotectWorksheet(const sheet::Worksheet& sheet = {});

}  // namespace kavex::addin::refresh
