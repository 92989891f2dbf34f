#pragma once

#include <cstdint>
#include <string>

namespace kavex::addin::portfolio::dialogs {

// The entry modes of a booking.
inline constexpr const char* kEntryModeEdit = "Edit";
inline constexpr const char* kEntryModeHandEdit = "Hand Edit";

// "" for a new transaction from the dialog, "Edit" for an edit of a booked row, "Hand Edit" for a
// row typed into the sheet; emptied by the portfolio engine after each booking.
inline std::string TransactionEntryMode;

// The sheet row of the transaction being edited; 0 for none.
inline std::int32_t TransactionEditRow = 0;

}  // namespace kavex::addin::portfolio::dialogs
