#pragma once

#include <string>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Range.h"

namespace kavex::addin::alerts {

// The font colour of a symbol cell without an alert: blue (Excel's colour value 16711680).
inline constexpr long kNoAlertFontColor = 16711680;

// Sets the font colour of the range to kNoAlertFontColor.
void SetAlertFontColor(sheet::Range& cell);

// The user cleared or replaced the symbol of an alert row. When the alert's AQ_Alert row keeps an
// e-mail or SMS notice, only its visual notice is switched off (NotifyVisuallyFlag '0'); otherwise
// the row is deleted. Then the alert-formula and alert-id cells of the cell's row are emptied.
// An empty alert id or symbol falls back to SelectedRowAlertID / SelectedRowSymbol. Returns True
// when done, False when a step failed (logged).
base::Variant ClearVisualAlert(const std::string& alertId, const std::string& symbol,
                               sheet::Range& cell);

}  // namespace kavex::addin::alerts
