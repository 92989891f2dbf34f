#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "addin/portfolio/Ledger.h"
#include "addin/portfolio/PortfolioRewrite.h"
#include "addin/portfolio/PortfolioSheets.h"

namespace kavex::addin::portfolio {

// What the portfolio code last read from a history sheet or wrote to a Portfolio sheet, kept for
// as long as that sheet has not changed since (its change count). A booking then neither reads
// the whole ledger again nor rewrites the rows it does not change, so that its cost does not
// grow with what the portfolio already holds. Anything else that changes the sheet - a user, a
// refresh that colours a cell, a formula whose value recalculation changed, whatever made it
// recalculate - makes the next booking read and rewrite it whole.

// A history sheet's ledger as ReadLedger reads it, with the books it leads to.
struct KnownLedger {
    HistoryLayout layout;
    LedgerRows ledger;
    std::variant<Books, BookingRefusal> books;
    // How many of the transactions that count fall on each day (date part), once asked for
    // (LatestDay); kept up to date as transactions start and stop counting, so that neither a
    // booking nor a deletion looks at every transaction again.
    std::optional<std::map<double, std::size_t>> days;
    // Names these books among all books known: a Portfolio sheet that shows them says so.
    std::uint64_t generation = 0;
};

// The latest day (date part) of the known ledger's transactions that count; the lowest double
// when none does.
double LatestDay(KnownLedger& known);
// The transaction starts or stops counting in the known ledger's days.
void CountDay(KnownLedger& known, const LedgerEntry& entry);
void UncountDay(KnownLedger& known, const LedgerEntry& entry);

// A number no books known so far carry.
std::uint64_t NewBooksGeneration();

// The ledger of the history sheet: read again when the sheet changed since it was last known.
// Refused (PortfolioRefusal) as HistoryLayoutOf and ReadLedger refuse. The reference stays valid
// until the next call of these functions.
KnownLedger& LedgerOf(const sheet::Worksheet& history);
// The known ledger when the sheet has not changed since it was known, else nullptr; reads nothing.
const KnownLedger* LedgerKnown(const sheet::Worksheet& history);
// The known ledger, brought up to date by its caller after writing the history, stands for the
// sheet as it is now; unless recalculation changed a value of the sheet since it was known, which
// the caller's writes do not account for: then it is forgotten.
void KnowLedgerAsWritten(const sheet::Worksheet& history);
void ForgetLedger(const sheet::Worksheet& history);

// What a rewrite left on a Portfolio sheet: its layout, the lots in their rows (sorted, from the
// first row), and how many typed rows follow them.
struct ShownLots {
    PortfolioLayout layout;
    std::vector<Lot> lots;
    std::size_t typedRows = 0;
    std::uint64_t generation = 0;  // of the books shown; 0 when not known
};
// nullptr when the sheet changed since the last rewrite, or none is known.
ShownLots* LotsShownOn(const sheet::Worksheet& portfolio);
void KnowLotsShown(const sheet::Worksheet& portfolio, ShownLots shown);
// The lots known stay known across edits made since by the caller that leave the Portfolio
// sheet's rows as they were (the history's rows, the history's names); forgotten when
// recalculation changed a value of the sheet meanwhile.
void KnowLotsShownAsWritten(const sheet::Worksheet& portfolio);
void ForgetLotsShown(const sheet::Worksheet& portfolio);
// Forgets every sheet known, letting go of sheets whose workbook has gone (a new session).
void ForgetKnownSheets();

}  // namespace kavex::addin::portfolio
