#include "addin/portfolio/LedgerCommit.h"

#include <algorithm>
#include <cmath>

#include "addin/core/Globals.h"
#include "addin/core/Strings.h"
#include "addin/portfolio/CellValues.h"
#include "addin/portfolio/HostSwitches.h"
#include "addin/portfolio/KnownSheets.h"
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

long CommitLedgerChange(const PortfolioPair& pair, LedgerChange change, int handRow) {
    KnownLedger& known = LedgerOf(pair.history);
    const HistoryLayout layout = known.layout;
    LedgerRows& ledger = known.ledger;

    // The books as they would stand: everything is checked before anything is written.
    std::vector<LedgerEntry> entries;
    LedgerRow* voided = nullptr;
    if (change.voided != 0) {
        const auto found =
            std::find_if(ledger.rows.begin(), ledger.rows.end(),
                         [&](const LedgerRow& row) { return row.entry.id == change.voided; });
        voided = found == ledger.rows.end() ? nullptr : &*found;
    }
    if (change.voided != 0 && (voided == nullptr || voided->voided)) {
        throw PortfolioRefusal("Transaction " + std::to_string(change.voided) +
                               " is not in the history any more.");
    }
    std::optional<LedgerEntry> added = change.added;
    if (added) {
        added->id = ledger.lastId + 1;
    }
    // A transaction dated on or after every other that counts is the last the books play: it is
    // played on the books as they stand rather than playing the whole ledger again.
    Books* current = std::get_if<Books>(&known.books);
    bool playedLast = added && change.voided == 0 && change.removedRow == 0 && current != nullptr;
    if (playedLast) {
        playedLast = LatestDay(known) <= base::datePart(added->date).serial;
    }
    std::optional<Books> replayed;
    if (playedLast) {
        if (auto refused = ApplyEntry(*current, *added)) {
            throw PortfolioRefusal(refused->message);
        }
    } else {
        if (change.books) {
            replayed = std::move(change.books);
        } else {
            for (const LedgerRow& row : ledger.rows) {
                if (!row.voided && row.entry.id != change.voided && row.row != change.removedRow) {
                    entries.push_back(row.entry);
                }
            }
            if (added) {
                entries.push_back(*added);
            }
            replayed = booksOf(std::move(entries));
        }
        if (const BookingRefusal* refusal = std::get_if<BookingRefusal>(&known.books)) {
            throw PortfolioRefusal(refusal->message);
        }
    }
    const Books& books = playedLast ? *current : *replayed;
    // The lots of one symbol are played apart from the others': a transaction added last, or
    // one deleted, changes only its symbol's lots (and the cash).
    std::optional<std::string> changedSymbol;
    if (playedLast) {
        changedSymbol = added->symbol;
    } else if (!added && change.voided == 0 && change.removedRow != 0) {
        const auto removed =
            std::find_if(ledger.rows.begin(), ledger.rows.end(),
                         [&](const LedgerRow& row) { return row.row == change.removedRow; });
        if (removed != ledger.rows.end()) {
            changedSymbol = removed->entry.symbol;
        }
    }
    const BooksChange booksChange{
        known.generation, NewBooksGeneration(), changedSymbol,
        playedLast && !books.lots.empty() && books.lots.back().id == added->id ? added->id : 0};

    const int addedRow = std::max(ledger.lastRow + 1, layout.firstRow());
    const std::string voidedRemarks =
        voided != nullptr ? WithoutEditMark(voided->entry.remarks) + std::string(kDeletedMark)
                          : std::string();
    // Writing the history and its last id leaves the Portfolio sheet's rows as they are.
    const bool shownKnown = LotsShownOn(pair.portfolio) != nullptr;
    sheet::Application& app = pair.history.parent().application();
    try {
        {
            HostSwitches quiet(app);
            if (voided != nullptr) {
                SetText(pair.history.cells(voided->row, layout.remarks), voidedRemarks);
            }
            if (added) {
                WriteLedgerRow(pair.history, layout, addedRow, *added);
                RecordLastId(pair.history, added->id);
            }
        }
        core::PortfolioHistoryChanged = true;
        if (shownKnown) {
            KnowLotsShownAsWritten(pair.portfolio);
        }
        UpdatePortfolio(pair, books, handRow, booksChange);
        if (change.removedRow != 0) {
            HostSwitches quiet(app);
            DeleteSheetRow(pair.history, change.removedRow);
        }
        KnowLotsShownAsWritten(pair.portfolio);
    } catch (...) {
        std::optional<Books> previous;
        try {
            previous = playedLast ? booksOf(ledger.entries()) : std::get<Books>(known.books);
        } catch (...) {
        }
        const int voidedRow = voided != nullptr ? voided->row : 0;
        const std::string oldRemarks = voided != nullptr ? voided->entry.remarks : std::string();
        ForgetLedger(pair.history);
        ForgetLotsShown(pair.portfolio);
        // Put the history back as it was, then the portfolio with it.
        try {
            HostSwitches quiet(app);
            if (added) {
                ClearLedgerRow(pair.history, layout, addedRow);
            }
            if (voidedRow != 0) {
                SetText(pair.history.cells(voidedRow, layout.remarks), oldRemarks);
            }
        } catch (...) {
        }
        try {
            if (previous) {
                RewritePortfolio(pair, *previous, 0);
            }
        } catch (...) {
        }
        throw;
    }
    // The known ledger follows what was written, as reading the history again would give it.
    if (voided != nullptr) {
        voided->entry.remarks = voidedRemarks;
        voided->voided = true;
        UncountDay(known, voided->entry);
    }
    if (added) {
        LedgerRow row{*added, addedRow, IsVoidRemark(added->remarks)};
        row.entry.symbol = core::TrimWhitespace(row.entry.symbol);
        const auto type = TypeOfCode(row.entry.code);
        if (type && (type->effect == Effect::CashIn || type->effect == Effect::CashOut)) {
            row.entry.amount = std::abs(CashEffect(row.entry));
        } else {
            if (type && type->effect == Effect::Split) {
                row.entry.price = 0;
                row.entry.commission = 0;
            }
            row.entry.amount = CashEffect(row.entry);
        }
        if (!row.voided) {
            CountDay(known, row.entry);
        }
        ledger.rows.push_back(std::move(row));
        ledger.lastRow = addedRow;
        ledger.lastId = std::max(ledger.lastId, added->id);
    }
    if (change.removedRow != 0) {
        for (const LedgerRow& row : ledger.rows) {
            if (row.row == change.removedRow && !row.voided) {
                UncountDay(known, row.entry);
            }
        }
        std::erase_if(ledger.rows,
                      [&](const LedgerRow& row) { return row.row == change.removedRow; });
        // The last row holding anything moves up with the rows below the deleted one; when the
        // deleted row was the last, a transaction on the row above it is the last, else the
        // history is searched for the last row holding anything.
        bool rowAboveHeld = false;
        for (LedgerRow& row : ledger.rows) {
            if (row.row > change.removedRow) {
                --row.row;
            }
            rowAboveHeld = rowAboveHeld || row.row == ledger.lastRow - 1;
        }
        if (change.removedRow < ledger.lastRow || rowAboveHeld) {
            ledger.lastRow = std::max(layout.headerRow, ledger.lastRow - 1);
        } else {
            const sheet::Range used = pair.history.usedRange();
            ledger.lastRow = std::max(layout.headerRow, used.row() + used.rowCount() - 1);
        }
    }
    if (replayed) {
        known.books = std::move(*replayed);
    }
    known.generation = booksChange.after;
    KnowLedgerAsWritten(pair.history);
    return added ? added->id : 0;
}

void RewriteFromLedger(const PortfolioPair& pair, int handRow) {
    const KnownLedger& known = LedgerOf(pair.history);
    if (const BookingRefusal* refusal = std::get_if<BookingRefusal>(&known.books)) {
        throw PortfolioRefusal(refusal->message);
    }
    RewritePortfolio(pair, std::get<Books>(known.books), handRow, known.generation);
    // The rewrite may have named the edit links' target, which leaves the history as it was.
    KnowLedgerAsWritten(pair.history);
}

}  // namespace kavex::addin::portfolio
