#pragma once

#include <cstdint>
#include <functional>

#include "platform/spreadsheet/Range.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::addin::excelevents {

// Whether the selection handler goes on after a portfolio entry was judged, or the entry ended
// the event (after remembering the new selection itself).
enum class PortfolioEntryOutcome { GoOn, EventEnded };

// Judges the Portfolio cell the user is leaving (PendingPortfolioEdit) against the new selection
// target of sheet, whose symbol header is in headerRow: puts back a changed position or type of
// a booked transaction, defaults the commission of a new "Dividend Stocks" row and, when the user
// leaves the row, books a row typed by hand or re-books a changed Buy, Sell Short or Dividend
// Stocks row. rememberSelection is the handler's remembering of the new selection; the entry runs
// it whenever it ends the event. Reading the pending transaction id and putting back a locked
// cell fail towards the caller (the handler's error exit); every other step is skipped when it
// fails.
PortfolioEntryOutcome CommitPortfolioRow(const sheet::Worksheet& sheet, const sheet::Range& target,
                                         std::int32_t headerRow,
                                         const std::function<void()>& rememberSelection);

// Books a changed cash-position cell the user is leaving as cash added or withdrawn, dated today,
// says so only when it was booked, and ends the event. Only a number is cash; anything else, or an
// amount the books refuse, is refused with a message and the cell shows the position again. A
// previous position that does not read as a number fails towards the caller.
PortfolioEntryOutcome CheckCashPosition(const sheet::Worksheet& sheet,
                                        const std::function<void()>& rememberSelection);

}  // namespace kavex::addin::excelevents
