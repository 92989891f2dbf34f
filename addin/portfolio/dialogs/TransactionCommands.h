#pragma once

#include "platform/spreadsheet/Range.h"

namespace kavex::addin::portfolio::dialogs {

// The delete link of a history row: asks "Are you sure you want to delete this transaction?" and,
// on Yes, deletes the transaction when the books stand without it, then rewrites the portfolio.
void DeleteTransaction(const sheet::Range& target);

// The edit link of a portfolio row: loads the row's transaction into TransactionRecord, sets the
// entry mode "Edit" and shows the transaction form on it. A row without a booked transaction is
// refused with a message.
void EditTransaction(const sheet::Range& target);

}  // namespace kavex::addin::portfolio::dialogs
