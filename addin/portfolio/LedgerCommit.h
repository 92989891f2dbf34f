#pragma once

#include <optional>

#include "addin/portfolio/Ledger.h"
#include "addin/portfolio/PortfolioSheets.h"

namespace kavex::addin::portfolio {

// One change of a portfolio's history: a transaction added (its id is given here), a transaction
// voided by an edit, a history row deleted.
struct LedgerChange {
    std::optional<LedgerEntry> added;
    long voided = 0;
    int removedRow = 0;
    // The books as they stand with the change, when the caller has played them already (every
    // ledger id is 1 or more, so they are the books of the transactions the change keeps).
    std::optional<Books> books;
};

// Applies the change when the books stand with it, else refuses (PortfolioRefusal) having
// changed nothing: the history gets its row, the portfolio sheet is rewritten from the books and
// PortfolioHistoryChanged is set. A failure while writing puts the history back as it was.
// handRow is the portfolio row typed by hand that the booking replaces (0 for none). Returns the
// id given to the added transaction (0 when none was added).
long CommitLedgerChange(const PortfolioPair& pair, LedgerChange change, int handRow);

// Rewrites the portfolio sheet from its history as it stands.
void RewriteFromLedger(const PortfolioPair& pair, int handRow);

}  // namespace kavex::addin::portfolio
