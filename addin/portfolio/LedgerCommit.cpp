#include "addin/portfolio/LedgerCommit.h"

#include <algorithm>

#include "addin/core/Globals.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/HostSwitches.h"
#include "addin/portfolio/Messages.h"
#include "addin/portfolio/PortfolioRewrite.h"
#include "addin/portfolio/SheetRows.h"

namespace kavex::addin::portfolio {

namespace {

Books booksOf(std::vector<LedgerEntry> entries) {
    auto books = Replay(std::move(entries));
    if (const BookingRefusal* refusal = std::get_if<BookingRefusal>(&books)) {
        throw PortfolioRefusal(refusal->message);
    }
    return std::get<Books>(std::move(books));
}

}  // namespace

long CommitLedgerChange(const PortfolioPair& pair, const LedgerChange& change, int handRow) {
    const HistoryLayout layout = HistoryLayoutOf(pair.history);
    const LedgerRows ledger = ReadLedger(pair.history, layout);

    // The books as they would stand: everything is checked before anything is written.
    std::vector<LedgerEntry> entries;
    const LedgerRow* voided = change.voided != 0 ? ledger.find(change.voided) : nullptr;
    if (change.voided != 0 && (voided == nullptr || voided->voided)) {
        throw PortfolioRefusal("Transaction " + std::to_string(change.voided) +
                               " is not in the history any more.");
    }
    for (const LedgerRow& row : ledger.rows) {
        if (!row.voided && row.entry.id != change.voided && row.row != change.removedRow) {
            entries.push_back(row.entry);
        }
    }
    std::optional<LedgerEntry> added = change.added;
    if (added) {
        added->id = ledger.lastId + 1;
        entries.push_back(*added);
    }
    const Books books = booksOf(std::move(entries));
    const Books before = booksOf(ledger.entries());

    const int addedRow = std::max(ledger.lastRow + 1, layout.firstRow());
    sheet::Application& app = pair.history.parent().application();
    try {
        {
            HostSwitches quiet(app);
            if (voided != nullptr) {
                SetText(pair.history.cells(voided->row, layout.remarks),
                        WithoutEditMark(voided->entry.remarks) + std::string(kDeletedMark));
            }
            if (added) {
                WriteLedgerRow(pair.history, layout, addedRow, *added);
                RecordLastId(pair.history, added->id);
            }
        }
        core::PortfolioHistoryChanged = true;
        RewritePortfolio(pair, books, handRow);
        if (change.removedRow != 0) {
            HostSwitches quiet(app);
            DeleteSheetRow(pair.history, change.removedRow);
        }
    } catch (...) {
        // Put the history back as it was, then the portfolio with it.
        try {
            HostSwitches quiet(app);
            if (added) {
                ClearLedgerRow(pair.history, layout, addedRow);
            }
            if (voided != nullptr) {
                SetText(pair.history.cells(voided->row, layout.remarks), voided->entry.remarks);
            }
        } catch (...) {
        }
        try {
            RewritePortfolio(pair, before, 0);
        } catch (...) {
        }
        throw;
    }
    return added ? added->id : 0;
}

void RewriteFromLedger(const PortfolioPair& pair, int handRow) {
    const HistoryLayout layout = HistoryLayoutOf(pair.history);
    const LedgerRows ledger = ReadLedger(pair.history, layout);
    RewritePortfolio(pair, booksOf(ledger.entries()), handRow);
}

}  // namespace kavex::addin::portfolio
