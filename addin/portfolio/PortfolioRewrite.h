#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/portfolio/Ledger.h"
#include "addin/portfolio/PortfolioSheets.h"

namespace kavex::addin::portfolio {

// Where a Portfolio sheet's columns are, all through its names. The attribute columns are the
// header cells of WatchlistAttribHeader with their captions. Optional columns are 0 when absent.
struct PortfolioLayout {
    int headerRow = 0;
    int id = 0, symbol = 0, type = 0, position = 0, date = 0, shares = 0, price = 0, commission = 0,
        remarks = 0;
    int gainDollar = 0, gainPercent = 0, alert = 0, alertId = 0;
    std::vector<std::pair<int, std::string>> attributes;
    int cashRow = 0, cashColumn = 0;
    int lastColumn = 0;
    int firstRow() const { return headerRow + 1; }
};
PortfolioLayout PortfolioLayoutOf(const sheet::Worksheet& portfolio);

// Rewrites the Portfolio sheet from the books: one row per open lot, sorted by symbol and date,
// each with its symbol links, its name and attribute formulas, its gain and loss formulas and a
// link on its ID that edits it; the cash position. A row's alert cells stay with its transaction.
// Rows a user typed that are not booked stay below the lots, except handRow, the row just booked
// from what was typed there (0 for none).
// generation names the books (see KnownSheets.h), 0 when they are not known.
void RewritePortfolio(const PortfolioPair& pair, const Books& books, int handRow,
                      std::uint64_t generation = 0);

// How the books changed: from the books of generation `before` to those of `after`, in the lots
// of onlySymbol alone when it is given.
struct BooksChange {
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    std::optional<std::string> onlySymbol;
    // When all the change did was open one lot (of onlySymbol): its id. The lot is the books' last.
    long openedId = 0;
};

// The same sheet as RewritePortfolio gives, cell for cell, rewriting only the rows from the first
// one that changes on, when the sheet stands as the last rewrite left it; else the whole sheet.
void UpdatePortfolio(const PortfolioPair& pair, const Books& books, int handRow,
                     const BooksChange& change);

}  // namespace kavex::addin::portfolio
