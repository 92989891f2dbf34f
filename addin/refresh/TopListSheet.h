#pragma once

#include <string>

namespace kavex::addin::refresh {

// Refills the active top-list sheet ("Vol Leaders", "Price Gainers" or "Price Losers") from the
// cached ranked list of its kind for the exchange: at most count symbols in rank order below the
// symbol header, each with its links, the symbols of a longer earlier list cleared, then the
// exchange header and every row recalculated with its change colouring. Another kind changes
// nothing. The sheet ends protected, with events on and (unless a cut or copy is pending)
// calculation automatic; a failure is logged (unless it is error 1004) and takes the same end.
void RefreshTemplateWorksheet(const std::string& exchange, const std::string& sheetKind,
                              short count);

}  // namespace kavex::addin::refresh
