#pragma once

#include <string>

#include "platform/base/Date.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::portfolio {

// Books an opening transaction ("Buy" long 3, "Sell Short" short 5, "Dividend Stocks" long 12)
// on the active portfolio: a new history row, or, in the entry mode "Edit", a new version of the
// transaction of portfolio row TransactionEditRow (the old one kept in the history as deleted).
// The portfolio sheet is then rewritten from the history. Shows the completion message or why
// it was refused; empties TransactionEntryMode; True when booked. A refused booking changes
// nothing.
bool BuyTransactionFunction(std::string typeName, std::string position, short typeCode,
                            std::string symbol, base::Date transactionDate, double numberOfShares,
                            double price, double commission, std::string remarks);

// Books a sale ("Sell" long 4, "Cover Short" short 6) against the open lots of the symbol, oldest
// first; refused when it is larger than what is open on its date. Messages, entry mode and
// result as BuyTransactionFunction.
bool SellTransactionFunction(std::string typeName, std::string position, short typeCode,
                             short transactionType, std::string symbol, base::Date transactionDate,
                             double numberOfShares, double price, double commission,
                             std::string remarks);

// Books "Add Cash" ("1") or "Withdraw Cash" ("2") into the history of the active portfolio and
// rewrites its cash position. Shows only why it was refused; True when booked.
bool AddCashToPortFolioHistory(std::string& typeText, base::Date& transactionDate, double& amount,
                               std::string& typeCode, std::string& remarks);

// Rewrites the active portfolio sheet from its history. In the entry mode "Hand Edit" the row the
// user typed (PortfolioEditRow) gives way to the booked row. Shows why it could not.
void RefreshPortFolioSheet();

// Deletes the transaction of that history row, when the books stand without it (a purchase whose
// shares were sold later cannot go), and rewrites the portfolio. Shows why it was refused; True
// when deleted.
bool DeleteHistoryTransaction(const sheet::Worksheet& history, int row);

}  // namespace kavex::addin::portfolio
