#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "addin/portfolio/TransactionCodes.h"
#include "platform/base/Date.h"

namespace kavex::addin::portfolio {

// One booked transaction, as a row of the portfolio-history sheet holds it. Cash rows carry their
// sum in amount; every other row's amount follows from shares, price and commission. A split
// carries its factor (new shares per old share) in shares.
struct LedgerEntry {
    long id = 0;
    std::string symbol;
    short code = 0;
    base::Date date;
    double shares = 0;
    double price = 0;
    double commission = 0;
    double amount = 0;
    std::string remarks;
};

// What a transaction does to the cash position: money in is positive.
double CashEffect(const LedgerEntry& entry);

// A lot still open: what is left of the transaction that opened it. Commission shrinks with the
// shares used up, so that the gain of what is left carries its share of the cost.
struct Lot {
    long id = 0;
    std::string symbol;
    short code = 0;
    Position position = Position::None;
    base::Date date;
    double shares = 0;
    double openedShares = 0;  // after splits, before any sale
    double price = 0;
    double commission = 0;
    std::string remarks;

    // True once a sale or cover has used up part of the lot.
    bool adjusted() const;
};

// The books the ledger leads to: the open lots in the order they were opened, and the cash.
struct Books {
    std::vector<Lot> lots;
    double cash = 0;
};

// A transaction the books cannot take, and why.
struct BookingRefusal {
    long id = 0;
    std::string message;
};

// Plays the ledger through in date order (booking order within a day): lots open, sales use up
// the oldest lots of their symbol and position first, splits and dividends apply to what is open
// on their date. A sale or cover larger than what is open is refused.
std::variant<Books, BookingRefusal> Replay(std::vector<LedgerEntry> entries);

// Plays one more transaction on the books, as Replay does for a transaction dated after all the
// others; a refused one leaves the books as they were.
std::optional<BookingRefusal> ApplyEntry(Books& books, const LedgerEntry& entry);

// The long shares of the symbol open at the end of the date (letter case of the symbol aside).
double SharesHeld(const std::vector<LedgerEntry>& entries, const std::string& symbol,
                  base::Date date, Position position = Position::Long);

// The factor of a split ratio "new:old" ("2:1" is 2, "1:4" is 0.25); nullopt for anything else.
std::optional<double> SplitFactor(const std::string& ratio);

// A number of shares as the messages show it: whole numbers without decimals.
std::string SharesText(double shares);

}  // namespace kavex::addin::portfolio
