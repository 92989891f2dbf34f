#pragma once

#include <string>

#include "platform/base/Date.h"

namespace kavex::addin::portfolio {

// The transaction being entered or edited, as a row or the transaction form holds it.
struct TransactionFields {
    std::string Equity;
    double Price = 0;
    double Commission = 0;
    double NumberOfShares = 0;
    base::Date TransactionDate;
    std::string Remarks;
};

// Filled by FillRecord; read by the booking operations and by the event handlers, which write it
// back into a row they put back.
inline TransactionFields TransactionRecord;

// Reads row TransactionEditRow of the active sheet into TransactionRecord (flag True), or, when
// TransactionEditRow is 0, empties Equity and Remarks and zeroes the three numbers, leaving the
// date as it was. With False it reads the transaction form, when one is open. Cells are found
// through the portfolio's named ranges; a cell that does not read as its kind leaves that field
// empty or 0. Returns 0, or 1 when the row could not be read (logged at level 1).
short FillRecord(bool& fromSheet);

}  // namespace kavex::addin::portfolio
